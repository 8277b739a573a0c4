#include "RuleFile.h"

#include "framework/DiskFile.h"
#include "rules/RuleBlock.h"
#include "rules/RuleFilePath.h"
#include "rules/RuleSet.h"

#include <chrono>
#include <cstring>
#include <ctime>
#include <new>
#include <random>
#include <thread>

namespace {

// Runs `work`; returns false with the error's description when the framework or the memory
// failed. Anything else propagates.
template <class F> bool Guarded(F&& work, CString& message) {
    try {
        work();
        return true;
    } catch (const CException& e) {
        message = e.GetErrorMessage();
    } catch (const std::bad_alloc&) {
        message = CMemoryException().GetErrorMessage();
    }
    return false;
}

CString OpenFailure(const CString& path) {
    return LastFileError(path).GetErrorMessage();
}

void Append(CString& text, const WCHAR16* format, const CString& a, const CString& b = {}) {
    CString line;
    line.Format(format, a, b);
    text += line;
}

// What is wrong with a file that was read but not whole.
CString DamageText(const CRuleFileReport& report) {
    if (report.result == CRuleFileReport::Result::BlockUnusable ||
        report.result == CRuleFileReport::Result::RuleUnusable)
        return report.problem;
    if (report.result != CRuleFileReport::Result::NegativeCount)
        return CArchiveException(CArchiveException::endOfFile).GetErrorMessage();
    CString text;
    text.Format(_T("The rule count at the start of the file is negative (%d)."), report.count);
    return text;
}

CString FileName(const CString& path) {
    const size_t slash = path.View().find_last_of(_T("\\/"));
    return CString(slash == StringView::npos ? path.View() : path.View().substr(slash + 1));
}

// The copy of the rule block kept beside the rule file: an older Quellix saves the records
// alone, and this says what they lost. Layout: tag "QLXK", version (1), the records' checksum
// (RuleBlock::RecordsChecksum), then the block as the rule file holds it.
constexpr BYTE kKeptTag[4] = {'Q', 'L', 'X', 'K'};
constexpr std::uint32_t kKeptVersion = 1;
constexpr size_t kKeptHeaderSize = 12;

CString KeptPath(const CString& path) {
    return path + _T(".details");
}

std::uint32_t GetU32(const BYTE* p) {
    return std::uint32_t(p[0]) | std::uint32_t(p[1]) << 8 | std::uint32_t(p[2]) << 16 |
           std::uint32_t(p[3]) << 24;
}

// The whole file; empty when it is missing or cannot be read.
std::vector<BYTE> ReadWhole(const CString& path) {
    std::vector<BYTE> bytes;
    CDiskFile file;
    if (!file.Open(path, CDiskFile::modeRead | CDiskFile::shareDenyWrite))
        return bytes;
    CString ignored;
    Guarded(
        [&] {
            BYTE chunk[4096];
            for (UINT n; (n = file.Read(chunk, sizeof chunk)) != 0;)
                bytes.insert(bytes.end(), chunk, chunk + n);
        },
        ignored);
    return bytes;
}

// After a complete load of records that need no block: an older Quellix saved them. When they
// are the records the kept block belongs to, the rules get back what it holds.
CString RestoreKeptDetails(const CString& path, CRuleSet& rules) {
    CString notice;
    if (rules.IsEmpty() || CRuleBlock::IsNeeded(rules))
        return notice;
    const CString kept = KeptPath(path);
    const std::vector<BYTE> bytes = ReadWhole(kept);
    if (bytes.size() < kKeptHeaderSize || std::memcmp(bytes.data(), kKeptTag, 4) != 0 ||
        GetU32(bytes.data() + 4) != kKeptVersion)
        return notice;
    const bool same = GetU32(bytes.data() + 8) == CRuleBlock::RecordsChecksum(rules);
    if (same && CRuleBlock::Restore(bytes.data() + kKeptHeaderSize, bytes.size() - kKeptHeaderSize,
                                    rules)) {
        notice.Format(
            _T("The rule file %s was saved by an older version of Quellix, which left out ")
            _T("the rules' names, compare modes, programs, moments and on/off states. ")
            _T("They have been restored from %s."),
            path, FileName(kept));
        return notice;
    }
    notice.Format(_T("The rule file %s was saved by an older version of Quellix, which left out ")
                  _T("the rules' names, compare modes, programs, moments and on/off states. ")
                  _T("A copy of them was kept, but the rules were changed since, so it was not ")
                  _T("used: the rules that only this version can express match no window."),
                  path);
    return notice;
}

} // namespace

CDateTime CDateTime::Now() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
#ifdef _WIN32
    localtime_s(&local, &now);
#else
    localtime_r(&now, &local);
#endif
    return {local.tm_year + 1900, local.tm_mon + 1, local.tm_mday,
            local.tm_hour,        local.tm_min,     local.tm_sec};
}

CString UnreadableAsideName(StringView dataFile, const CDateTime& t, int number) {
    const size_t slash = dataFile.find_last_of(_T("\\/"));
    CString name(dataFile.substr(0, slash == StringView::npos ? 0 : slash + 1));
    CString stamp;
    // Two digits each; %d has no padding.
    const auto two = [](int v) {
        CString s;
        s.Format(v < 10 ? _T("0%d") : _T("%d"), v);
        return s;
    };
    stamp.Format(_T("Data-unreadable-%d%s%s-%s%s%s"), t.year, two(t.month), two(t.day), two(t.hour),
                 two(t.minute), two(t.second));
    name += stamp;
    if (number > 0) {
        CString suffix;
        suffix.Format(_T("-%d"), number);
        name += suffix;
    }
    name += _T(".dat");
    return name;
}

// The first aside name for `path` at this second that no file has.
static CString FreeAsideName(StringView path) {
    const CDateTime now = CDateTime::Now();
    CString name;
    for (int n = 0; DiskFiles::Exists(name = UnreadableAsideName(path, now, n)); ++n) {
    }
    return name;
}

CRuleFile::CLoadResult CRuleFile::Load(CRuleSet& rules, int retryMs) {
    CLoadResult result;
    CDiskFile file;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(retryMs);
    // Readers may share it (saves replace the file whole); a writer makes the load wait.
    while (!file.Open(m_strPath, CDiskFile::modeRead | CDiskFile::shareDenyWrite)) {
        if (file.LastOpenError() == CDiskFile::OpenError::Missing)
            return result; // a first start: no rules, no message
        result.message = OpenFailure(m_strPath);
        if (std::chrono::steady_clock::now() >= deadline)
            break;
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    CRuleFileReport report;
    if (file.IsOpen() && Guarded(
                             [&] {
                                 CArchive ar(&file, CArchive::load, 4096);
                                 report = rules.Load(ar);
                                 ar.Close();
                                 file.Close();
                             },
                             result.message)) {
        if (report.IsComplete()) {
            result.status = LoadStatus::Loaded;
            result.message = RestoreKeptDetails(m_strPath, rules);
            return result;
        }
        result.message = DamageText(report);
    }

    // Not read whole: keep every byte of it under a name that no save will touch.
    result.status = LoadStatus::Incomplete;
    m_strAside = FreeAsideName(m_strPath.View());
    Append(result.message,
           _T("\n\nThe rule file %s was not read completely, so it is kept unchanged. "
              "Before the rules are saved again, it is renamed to %s in the same folder."),
           m_strPath, FileName(m_strAside));
    return result;
}

bool CRuleFile::WriteTemp(const CString& target, const std::function<void(CArchive&)>& store,
                          CString& temp, CString& message) {
    CDiskFile file;
#ifdef _WIN32
    // The data folder is the user's own: a stale file of an interrupted save is replaced.
    temp = RuleFilePath::TempFile(target.View());
    const bool opened = file.Open(temp, CDiskFile::modeCreate | CDiskFile::modeWrite |
                                            CDiskFile::shareExclusive) != FALSE;
#else
    // Other runs of the tool and other users may write into the folder: a name of this save's
    // own, created new (never through a link planted there), so that nothing else writes into it.
    std::random_device random;
    bool opened = false;
    for (int attempt = 0; attempt < 100 && !opened; ++attempt) {
        temp = RuleFilePath::TempFile(target.View(), random() | 1u);
        opened = file.Open(temp, CDiskFile::modeCreateNew | CDiskFile::modeWrite) != FALSE;
        if (!opened && file.LastOpenError() != CDiskFile::OpenError::Exists)
            break;
    }
#endif
    if (!opened) {
        message = OpenFailure(temp);
        temp.Empty(); // nothing of this save's to remove
        return false;
    }
    return Guarded(
        [&] {
            file.KeepModeOf(target);
            CArchive ar(&file, CArchive::store, 4096);
            store(ar);
            ar.Close();
            file.Close();
        },
        message);
}

CRuleFile::CSaveResult CRuleFile::Save(const CRuleSet& rules) {
    CSaveResult result;
    CString movedAside; // where the file that was not read whole went for this save
    if (!m_strAside.IsEmpty() && DiskFiles::Exists(m_strPath)) {
        // The name may have been taken since the load.
        const CString aside =
            DiskFiles::Exists(m_strAside) ? FreeAsideName(m_strPath.View()) : m_strAside;
        if (!DiskFiles::Rename(m_strPath, aside)) {
            result.message = OpenFailure(m_strPath);
            Append(result.message,
                   _T("\n\nThe rules were not saved: %s could not be renamed to %s, and it is kept "
                      "unchanged."),
                   m_strPath, FileName(aside));
            return result;
        }
        movedAside = aside;
    }

    CString temp;
    if (WriteTemp(
            m_strPath, [&](CArchive& ar) { rules.Store(ar); }, temp, result.message)) {
        if (DiskFiles::Replace(temp, m_strPath)) {
            m_strAside.Empty();
            result.saved = true;
            KeepDetails(rules);
            return result;
        }
        result.message = OpenFailure(m_strPath);
    }
    if (!temp.IsEmpty())
        DiskFiles::Remove(temp);
    // The file that was not read whole goes back, so that the next start reads it and says
    // again that it is damaged; the next save moves it aside again.
    if (!movedAside.IsEmpty() && !DiskFiles::Rename(movedAside, m_strPath)) {
        m_strAside.Empty();
        Append(result.message,
               _T("\n\nThe rules were not saved to %s. The rule file that was not read "
                  "completely is now %s in the same folder."),
               m_strPath, FileName(movedAside));
        return result;
    }
    Append(result.message,
           _T("\n\nThe rules were not saved to %s; it keeps its previous contents."), m_strPath);
    return result;
}

void CRuleFile::KeepDetails(const CRuleSet& rules) {
    const CString kept = KeptPath(m_strPath);
    if (!CRuleBlock::IsNeeded(rules)) {
        // Nothing to keep; an older copy would restore details the rules no longer have.
        if (DiskFiles::Exists(kept))
            DiskFiles::Remove(kept);
        return;
    }
    const std::uint32_t sum = CRuleBlock::RecordsChecksum(rules);
    const auto store = [&](CArchive& ar) {
        const BYTE header[kKeptHeaderSize] = {
            kKeptTag[0], kKeptTag[1], kKeptTag[2],    kKeptTag[3],     BYTE(kKeptVersion), 0, 0,
            0,           BYTE(sum),   BYTE(sum >> 8), BYTE(sum >> 16), BYTE(sum >> 24)};
        ar.Write(header, sizeof header);
        CRuleBlock::Store(ar, rules);
    };
    CString temp, message;
    if (WriteTemp(kept, store, temp, message) && DiskFiles::Replace(temp, kept))
        return;
    if (!temp.IsEmpty())
        DiskFiles::Remove(temp);
    // A copy of an earlier save must not give the rules details older than theirs.
    DiskFiles::Remove(kept);
}
