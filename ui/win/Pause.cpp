// Pausing every rule, pending delayed closes included; remembered across starts.
#include "QuellixDlg.h"

#include "framework/win/App.h"
#include "res/resource.h"
#include "ui/win/SettingsStore.h"

#include "ui/win/TrayRecord.h"

#include <iterator>

void CQuellixDlg::RestorePause() {
    // A pause remembered from before a policy took Pause away is not honoured.
    m_watcher.SetPaused(m_policies.bAllowPause && ReadSetting(Settings::PauseAutoClose) != 0);
    ShowPauseState();
}

void CQuellixDlg::OnTogglePause() {
    if (!m_policies.bAllowPause)
        return; // greyed, but a command may still come (a posted one, an old menu)
    m_watcher.SetPaused(!m_watcher.IsPaused());
    WriteSetting(Settings::PauseAutoClose, m_watcher.IsPaused() ? 1 : 0);
    ShowPauseState();
}

void CQuellixDlg::ShowPauseState() {
    const UINT check = m_watcher.IsPaused() ? MF_CHECKED : MF_UNCHECKED;
    const UINT enable = m_policies.bAllowPause ? MF_ENABLED : MF_GRAYED;
    for (HMENU menu : {m_menuPopup.GetSubMenu(0), m_menuTray.GetSubMenu(0)}) {
        ::CheckMenuItem(menu, ID_POPUP_PAUSE, MF_BYCOMMAND | check);
        ::EnableMenuItem(menu, ID_POPUP_PAUSE, MF_BYCOMMAND | enable);
    }
    if (m_hWnd == nullptr)
        return;
    NOTIFYICONDATAW nid = TrayRecord(m_hWnd, NIF_TIP);
    CString tip = AfxGetApp()->m_strAppName;
    if (m_watcher.IsPaused())
        tip += L" (paused)";
    ::lstrcpynW(nid.szTip, tip, static_cast<int>(std::size(nid.szTip)));
    ::Shell_NotifyIconW(NIM_MODIFY, &nid);
}
