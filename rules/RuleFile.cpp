// The rule file: Data.dat in the user's local application data folder.
#include "RuleFile.h"

#include "framework/DiskFile.h"
#include "rules/RuleArchive.h"
#include "rules/RuleFilePath.h"
#include "ui/QuellixDlg.h"

#include <shlobj.h>

#include <new>

namespace {

// Runs `work` and reports a framework error (or exhausted memory) the way the framework
// reports errors; anything else is dropped. Returns true when `work` completed.
template <class F> bool Guarded(F&& work) {
    try {
        work();
        return true;
    } catch (const CException& e) {
        e.ReportError(MB_OK | MB_ICONEXCLAMATION);
    } catch (const std::bad_alloc&) {
        CMemoryException().ReportError(MB_OK | MB_ICONEXCLAMATION);
    } catch (...) {
    }
    return false;
}

void LoadRuleFile(CObject& content, const CString& path) {
    CDiskFile file;
    if (!file.Open(path, CDiskFile::modeRead | CDiskFile::shareExclusive))
        return; // no file yet, or not readable: no rules, no message
    Guarded([&] {
        CArchive ar(&file, CArchive::load, 4096);
        content.Serialize(ar);
        ar.Close();
        file.Close();
    });
}

// Writes a temporary file beside Data.dat and replaces Data.dat with it only once the whole
// image is on the disk, so a failed save leaves the previous rules intact.
void SaveRuleFile(CObject& content, const CString& path) {
    const CString temp = RuleFilePath::TempFile(path.View());
    bool written = false;
    {
        CDiskFile file;
        if (!file.Open(temp,
                       CDiskFile::modeCreate | CDiskFile::modeWrite | CDiskFile::shareExclusive))
            return;
        written = Guarded([&] {
            CArchive ar(&file, CArchive::store, 4096);
            content.Serialize(ar);
            ar.Close();
            file.Close();
        });
    }
    if (!written || !::MoveFileExW(temp, path, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        ::DeleteFileW(temp);
}

} // namespace

CString GetDataFilePath() {
    WCHAR base[MAX_PATH] = {};
    if (FAILED(
            ::SHGetFolderPathW(nullptr, CSIDL_LOCAL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, base)) ||
        base[0] == 0)
        return CString();
    const CString folder = RuleFilePath::DataFolder(base);
    if (::GetFileAttributesW(folder) == INVALID_FILE_ATTRIBUTES)
        ::CreateDirectoryW(folder, nullptr);
    return RuleFilePath::DataFile(folder.View());
}

void CQuellixDlg::Serialize(CArchive& ar) {
    if (ar.IsStoring()) {
        static const CWindowInfo kNoRecord;
        StoreRules(ar, m_listRules.GetItemCount(), [this](int row) -> const CWindowInfo& {
            const CWindowInfo* rule = GetRule(row);
            return rule != nullptr ? *rule : kNoRecord;
        });
    } else {
        LoadRules(ar,
                  [this](std::unique_ptr<CWindowInfo> rule) { AppendRuleRow(std::move(rule)); });
    }
}

void CQuellixDlg::SerializeRuleFile(BOOL save) {
    const CString path = GetDataFilePath();
    if (path.IsEmpty())
        return; // nowhere to keep rules: skip without a message
    if (save) {
        SaveRuleFile(*this, path);
    } else {
        CRedrawOff redrawOff(m_listRules);
        LoadRuleFile(*this, path);
    }
}
