#include "QuellixApp.h"

#include "PortableMode.h"

#include "ui/win/SettingsStore.h"
#include "res/resource.h"

#include <commctrl.h>

namespace {

const wchar_t kInstanceName[] = L"{6E0B4C1A-93D2-4F57-A8C4-2B7E15D39F60}";

// DLLs that the system loads on our behalf come from System32 only, never from the folder
// the program was started in (a portable copy may run from Downloads). Looked up, not
// imported: a Windows 7 without its loader update lacks the function and must still start.
void LoadDllsFromSystem32Only() {
    using SetDirectories = BOOL(WINAPI*)(DWORD);
    HMODULE kernel = ::GetModuleHandleW(L"kernel32.dll");
    FARPROC proc =
        kernel != nullptr ? ::GetProcAddress(kernel, "SetDefaultDllDirectories") : nullptr;
    if (proc != nullptr)
        reinterpret_cast<SetDirectories>(reinterpret_cast<void (*)()>(proc))(
            LOAD_LIBRARY_SEARCH_SYSTEM32);
}

} // namespace

CQuellixApp theApp;

CQuellixApp::CQuellixApp() {
    m_dwRestartManagerSupportFlags = AFX_RESTART_MANAGER_SUPPORT_RESTART;
    g_pMainDlg = &m_dlgMain;
}

BOOL CQuellixApp::InitInstance() {
    LoadDllsFromSystem32Only();

    m_instance = std::make_unique<CSingleInstance>(kInstanceName);
    if (!m_instance->IsFirst()) {
        m_instance->ActivateFirst();
        return FALSE;
    }

    INITCOMMONCONTROLSEX icc{sizeof(icc), ICC_WIN95_CLASSES};
    ::InitCommonControlsEx(&icc);
    CWinApp::InitInstance();
    AfxOleInit();
    AfxEnableControlContainer();
    SetRegistryKey(L"Velmora");
    StartPortableMode(*this);

    m_pMainWnd = &m_dlgMain;
    if (!m_dlgMain.Create(IDD_QUELLIX_DIALOG)) {
        m_pMainWnd = nullptr;
        return FALSE;
    }
    if (ReadSetting(Settings::StartInSystemTray) == 0)
        m_dlgMain.ShowWindow(m_nCmdShow);
    m_instance->AnnounceReady();
    return TRUE;
}
