#include "QuellixApp.h"

#include "SingleInstance.h"
#include "ui/win/SettingsStore.h"
#include "res/resource.h"

#include <commctrl.h>

namespace {
const wchar_t kInstanceMutexName[] = L"Global\\{6E0B4C1A-93D2-4F57-A8C4-2B7E15D39F60}";
}

CQuellixApp theApp;

CQuellixApp::CQuellixApp() {
    m_dwRestartManagerSupportFlags = AFX_RESTART_MANAGER_SUPPORT_RESTART;
    g_pMainDlg = &m_dlgMain;
}

BOOL CQuellixApp::InitInstance() {
    CLimitSingleInstance instance(kInstanceMutexName);
    if (ActivateRunningInstance(m_strAppName))
        return FALSE;

    INITCOMMONCONTROLSEX icc{sizeof(icc), ICC_WIN95_CLASSES};
    ::InitCommonControlsEx(&icc);
    CWinApp::InitInstance();
    AfxOleInit();
    AfxEnableControlContainer();
    SetRegistryKey(L"Velmora");

    m_pMainWnd = &m_dlgMain;
    if (!m_dlgMain.Create(IDD_QUELLIX_DIALOG)) {
        m_pMainWnd = nullptr;
        return FALSE;
    }
    if (ReadSetting(Settings::StartInSystemTray) == 0)
        m_dlgMain.ShowWindow(m_nCmdShow);
    return TRUE;
}
