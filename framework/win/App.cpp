#include "App.h"

#include "framework/Exception.h"
#include "framework/DiskFile.h"

#include <ole2.h>

#include <cwchar>
#include <new>

namespace {
CWinApp* g_pApp = nullptr;
}

CWinApp* AfxGetApp() {
    return g_pApp;
}

CWinApp::CWinApp() {
    g_pApp = this;
}

CWinApp::~CWinApp() {
    if (g_pApp == this)
        g_pApp = nullptr;
}

BOOL CWinApp::InitInstance() {
    if (m_dwRestartManagerSupportFlags & AFX_RESTART_MANAGER_SUPPORT_RESTART)
        ::RegisterApplicationRestart(L"", 0);
    return TRUE;
}

namespace {

// Hands the message to the modeless dialog that its window belongs to, if any.
bool IsModelessDialogMessage(MSG& msg) {
    HWND root = msg.hwnd != nullptr ? ::GetAncestor(msg.hwnd, GA_ROOT) : nullptr;
    if (root == nullptr)
        return false;
    WCHAR cls[8] = {};
    ::GetClassNameW(root, cls, 8);
    return std::wcscmp(cls, L"#32770") == 0 && ::IsDialogMessageW(root, &msg);
}

} // namespace

namespace {

// Errors caught at callbacks' boundaries: kept in place (recording may not allocate), each
// text once, until the loop shows them.
struct CCallbackErrors {
    static constexpr int kKept = 8;
    static constexpr size_t kUnits = 256;
    WCHAR texts[kKept][kUnits] = {};
    int recorded = 0;
    int shown = 0;
    bool posted = false;
};
CCallbackErrors g_callbackErrors;

} // namespace

UINT AfxCallbackErrorMessage() {
    static const UINT message = ::RegisterWindowMessageW(L"Quellix.CallbackError");
    return message;
}

void AfxRecordCallbackError(const WCHAR* text) noexcept {
    CCallbackErrors& errors = g_callbackErrors;
    for (int i = 0; i < errors.recorded; ++i)
        if (std::wcsncmp(errors.texts[i], text, CCallbackErrors::kUnits - 1) == 0)
            return; // said once
    if (errors.recorded == CCallbackErrors::kKept)
        return;
    std::wcsncpy(errors.texts[errors.recorded], text, CCallbackErrors::kUnits - 1);
    ++errors.recorded;
    if (errors.posted)
        return;
    // The main window's message reaches it in any loop that runs, a modal one too.
    CWinApp* app = AfxGetApp();
    HWND main = app != nullptr && app->m_pMainWnd != nullptr ? app->m_pMainWnd->m_hWnd : nullptr;
    errors.posted = main != nullptr
                        ? ::PostMessageW(main, AfxCallbackErrorMessage(), 0, 0) != FALSE
                        : ::PostThreadMessageW(::GetCurrentThreadId(), AfxCallbackErrorMessage(), 0,
                                               0) != FALSE;
}

void AfxRecordCurrentError() noexcept {
    try {
        try {
            throw;
        } catch (const CException& e) {
            AfxRecordCallbackError(e.GetErrorMessage());
        } catch (const std::bad_alloc&) {
            AfxRecordCallbackError(CMemoryException().GetErrorMessage());
        }
    } catch (...) {
        // Not one of ours, or its description failed too.
        AfxRecordCallbackError(L"Unknown Exception");
    }
}

void AfxReportCallbackErrors() {
    CCallbackErrors& errors = g_callbackErrors;
    errors.posted = false;
    // Errors recorded while a box is open post again and are shown by the nested call.
    while (errors.shown < errors.recorded) {
        const WCHAR* text = errors.texts[errors.shown++];
        AfxMessageBox(text, MB_OK | MB_ICONEXCLAMATION);
    }
}

int CWinApp::Run() {
    MSG msg;
    while (::GetMessageW(&msg, nullptr, 0, 0) > 0) {
        if (msg.hwnd == nullptr && msg.message == AfxCallbackErrorMessage()) {
            AfxReportCallbackErrors();
            continue;
        }
        // Modal dialogs run their own loops; this one gives every modeless dialog (the main
        // one, the history) its keys: Tab, Esc, mnemonics.
        if (IsModelessDialogMessage(msg))
            continue;
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
    }
    ExitInstance();
    return static_cast<int>(msg.wParam);
}

int CWinApp::ExitInstance() {
    return 0;
}

void CWinApp::SetRegistryKey(const WCHAR* company) {
    m_strRegistryKey = company;
}

void CWinApp::SetProfileFile(const CString& path, bool writable) {
    m_strProfileFile = path;
    m_bProfileFileWritable = writable;
    std::string bytes;
    try {
        CDiskFile file;
        if (file.Open(path, CDiskFile::modeRead)) {
            bytes.resize(static_cast<size_t>(file.GetLength()));
            bytes.resize(file.Read(bytes.data(), static_cast<UINT>(bytes.size())));
        }
    } catch (const CException&) {
        bytes.clear(); // unreadable: the defaults
    }
    m_iniProfile = CIniText(IniTextFromBytes(bytes).View());
}

// Through a temporary file, so that a failed write leaves the file as it was.
void CWinApp::SaveProfileFile() const {
    if (!m_bProfileFileWritable)
        return;
    CString temp = m_strProfileFile;
    temp += L".tmp";
    try {
        const std::string bytes = IniBytesFromText(m_iniProfile.Text());
        CDiskFile file;
        if (!file.Open(temp, CDiskFile::modeCreate | CDiskFile::modeWrite))
            return;
        file.Write(bytes.data(), static_cast<UINT>(bytes.size()));
        file.Close();
        if (DiskFiles::Replace(temp, m_strProfileFile))
            return;
    } catch (const CException&) {
        // ignored, as a failed registry write is
    }
    DiskFiles::Remove(temp);
}

CRegKey CWinApp::OpenSectionKey(const WCHAR* section, bool create) const {
    CString path;
    path.Format(L"Software\\%s\\%s\\%s", m_strRegistryKey, m_strAppName, section);
    HKEY key = nullptr;
    LONG rc = create ? ::RegCreateKeyExW(HKEY_CURRENT_USER, path, 0, nullptr, 0,
                                         KEY_READ | KEY_WRITE, nullptr, &key, nullptr)
                     : ::RegOpenKeyExW(HKEY_CURRENT_USER, path, 0, KEY_READ, &key);
    return CRegKey(rc == ERROR_SUCCESS ? key : nullptr);
}

UINT CWinApp::GetProfileIntW(const WCHAR* section, const WCHAR* entry, int defaultValue) const {
    if (IsProfileFile())
        return static_cast<UINT>(m_iniProfile.GetInt(section, entry).value_or(defaultValue));
    CRegKey key = OpenSectionKey(section, false);
    DWORD value = 0, type = 0, size = sizeof(value);
    if (!key ||
        ::RegQueryValueExW(key.Get(), entry, nullptr, &type, reinterpret_cast<BYTE*>(&value),
                           &size) != ERROR_SUCCESS ||
        type != REG_DWORD || size != sizeof(value))
        return static_cast<UINT>(defaultValue);
    return value;
}

BOOL CWinApp::WriteProfileInt(const WCHAR* section, const WCHAR* entry, int value) {
    if (IsProfileFile()) {
        m_iniProfile.SetInt(section, entry, value);
        SaveProfileFile();
        return TRUE;
    }
    CRegKey key = OpenSectionKey(section, true);
    DWORD v = static_cast<DWORD>(value);
    return key && ::RegSetValueExW(key.Get(), entry, 0, REG_DWORD,
                                   reinterpret_cast<const BYTE*>(&v), sizeof(v)) == ERROR_SUCCESS;
}

BOOL CWinApp::GetProfileBinary(const WCHAR* section, const WCHAR* entry,
                               std::vector<BYTE>& data) const {
    data.clear();
    if (IsProfileFile())
        return m_iniProfile.GetBinary(section, entry, data) ? TRUE : FALSE;
    CRegKey key = OpenSectionKey(section, false);
    DWORD type = 0, size = 0;
    if (!key ||
        ::RegQueryValueExW(key.Get(), entry, nullptr, &type, nullptr, &size) != ERROR_SUCCESS ||
        type != REG_BINARY)
        return FALSE;
    data.resize(size);
    if (::RegQueryValueExW(key.Get(), entry, nullptr, &type, data.data(), &size) != ERROR_SUCCESS) {
        data.clear();
        return FALSE;
    }
    data.resize(size);
    return TRUE;
}

BOOL CWinApp::WriteProfileBinary(const WCHAR* section, const WCHAR* entry, const BYTE* data,
                                 UINT size) {
    if (IsProfileFile()) {
        m_iniProfile.SetBinary(section, entry, data, size);
        SaveProfileFile();
        return TRUE;
    }
    CRegKey key = OpenSectionKey(section, true);
    return key && ::RegSetValueExW(key.Get(), entry, 0, REG_BINARY, data, size) == ERROR_SUCCESS;
}

void CWinApp::BeginWaitCursor() {
    if (m_nWaitCursor++ == 0)
        m_hcurWaitRestore = ::SetCursor(::LoadCursorW(nullptr, IDC_WAIT));
}

void CWinApp::EndWaitCursor() {
    if (m_nWaitCursor > 0 && --m_nWaitCursor == 0)
        ::SetCursor(m_hcurWaitRestore);
}

int AfxMessageBox(const WCHAR* text, UINT type) {
    CWinApp* app = AfxGetApp();
    HWND owner = nullptr;
    if (app != nullptr && app->m_pMainWnd != nullptr && ::IsWindowVisible(app->m_pMainWnd->m_hWnd))
        owner = app->m_pMainWnd->m_hWnd;
    if ((type & MB_ICONMASK) == 0)
        type |= MB_ICONEXCLAMATION;
    return ::MessageBoxW(owner, text, app ? app->m_strAppName.GetString() : L"", type);
}

BOOL AfxOleInit() {
    return SUCCEEDED(::OleInitialize(nullptr)) ? TRUE : FALSE;
}

void AfxEnableControlContainer() {
    // The program hosts no ActiveX controls: nothing to prepare.
}
