// Pausing every rule, pending delayed closes included; remembered across starts.
#include "QuellixDlg.h"

#include "framework/win/App.h"
#include "res/resource.h"
#include "ui/win/SettingsStore.h"

#include "ui/win/TrayRecord.h"

#include <iterator>

void CQuellixDlg::RestorePause() {
    m_watcher.SetPaused(ReadSetting(Settings::PauseAutoClose) != 0);
    ShowPauseState();
}

void CQuellixDlg::OnTogglePause() {
    m_watcher.SetPaused(!m_watcher.IsPaused());
    WriteSetting(Settings::PauseAutoClose, m_watcher.IsPaused() ? 1 : 0);
    ShowPauseState();
}

void CQuellixDlg::ShowPauseState() {
    const UINT check = m_watcher.IsPaused() ? MF_CHECKED : MF_UNCHECKED;
    ::CheckMenuItem(m_menuPopup.GetSubMenu(0), ID_POPUP_PAUSE, MF_BYCOMMAND | check);
    ::CheckMenuItem(m_menuTray.GetSubMenu(0), ID_POPUP_PAUSE, MF_BYCOMMAND | check);
    if (m_hWnd == nullptr)
        return;
    NOTIFYICONDATAW nid = TrayRecord(m_hWnd, NIF_TIP);
    CString tip = AfxGetApp()->m_strAppName;
    if (m_watcher.IsPaused())
        tip += L" (paused)";
    ::lstrcpynW(nid.szTip, tip, static_cast<int>(std::size(nid.szTip)));
    ::Shell_NotifyIconW(NIM_MODIFY, &nid);
}
