#include "PortableMode.h"

#include "framework/DiskFile.h"
#include "framework/win/App.h"
#include "rules/DataFilePath.h"
#include "rules/RuleFilePath.h"

namespace {

constexpr wchar_t kPortableFile[] = L"Quellix.ini";

// The folder of the running program, ending with a backslash.
CString ProgramFolder() {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD n = ::GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (n == 0)
            return CString();
        if (n < path.size()) {
            path.resize(n);
            break;
        }
        path.resize(path.size() * 2);
    }
    return CString(StringView(path).substr(0, path.find_last_of(L'\\') + 1));
}

bool CanWrite(const CString& file) {
    CFileHandle handle(::CreateFileW(file, GENERIC_WRITE,
                                     FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                     nullptr, OPEN_EXISTING, 0, nullptr));
    return static_cast<bool>(handle) || ::GetLastError() == ERROR_FILE_NOT_FOUND;
}

// Whether saving can work here: a new file can be made in the folder (a save writes one and
// renames it), and the files it replaces are not read-only.
bool CanWriteFolder(const CString& folder, const CString& ini, const CString& data) {
    CString probe = folder;
    probe += L"Quellix-write-test.tmp";
    CFileHandle created(::CreateFileW(probe, GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                      FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE,
                                      nullptr));
    return created && CanWrite(ini) && CanWrite(data);
}

} // namespace

bool StartPortableMode(CWinApp& app) {
    const CString folder = ProgramFolder();
    CString ini = folder;
    ini += kPortableFile;
    if (folder.IsEmpty() || !DiskFiles::Exists(ini))
        return false;
    const CString data = RuleFilePath::DataFile(folder.View());
    const bool writable = CanWriteFolder(folder, ini, data);
    app.SetProfileFile(ini, writable);
    UseDataFile(data, writable);
    if (!writable) {
        CString text;
        text.Format(L"Quellix runs in portable mode, but it cannot write to its folder:\n%s\n\n"
                    L"Settings and rules changed now are kept only until Quellix ends; the files "
                    L"there stay as they are.",
                    folder);
        AfxMessageBox(text, MB_OK | MB_ICONEXCLAMATION);
    }
    return true;
}
