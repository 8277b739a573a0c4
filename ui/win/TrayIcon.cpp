// The tray icon, the popup menus, and hiding and showing the main dialog.
#include "QuellixDlg.h"

#include "framework/win/App.h"
#include "res/resource.h"

#include "ui/win/TrayRecord.h"

#include <iterator>

namespace {

// Pops up sub-menu 0 of a menu at a screen point; the choice comes back as WM_COMMAND.
// A menu closes on a click elsewhere only while its owner is the foreground window, and the
// posted message makes the owner's thread notice that the menu has gone.
void TrackMenu(const CMenu& menu, POINT pt, HWND owner) {
    ::SetForegroundWindow(owner);
    ::TrackPopupMenu(menu.GetSubMenu(0), 0, pt.x, pt.y, 0, owner, nullptr);
    ::PostMessageW(owner, WM_NULL, 0, 0);
}

POINT CursorPos() {
    POINT pt{0, 0};
    ::GetCursorPos(&pt);
    return pt;
}

// Where a menu opened from the keyboard (Shift+F10, the menu key) shows: below the list's
// selected row when it is in view, else at the list's top left corner.
POINT KeyboardMenuPoint(HWND list) {
    const int row = static_cast<int>(::SendMessageW(list, LVM_GETNEXTITEM, static_cast<WPARAM>(-1),
                                                    MAKELPARAM(LVNI_SELECTED, 0)));
    RECT rowRect{LVIR_BOUNDS, 0, 0, 0}; // the message reads the part from `left`
    RECT client{0, 0, 0, 0}, seen{0, 0, 0, 0};
    ::GetClientRect(list, &client);
    POINT pt{0, 0};
    if (row >= 0 &&
        ::SendMessageW(list, LVM_GETITEMRECT, static_cast<WPARAM>(row),
                       reinterpret_cast<LPARAM>(&rowRect)) != 0 &&
        ::IntersectRect(&seen, &rowRect, &client))
        pt = POINT{seen.left, seen.bottom};
    ::ClientToScreen(list, &pt);
    return pt;
}

} // namespace

void CQuellixDlg::SetupTray() {
    // A process with UI access runs above the shell, which would filter out its broadcast.
    ::ChangeWindowMessageFilterEx(m_hWnd, g_uTaskbarCreatedMsg, MSGFLT_ALLOW, nullptr);
    // Loaded whether or not the icon can be added now: at sign-in the shell may still be
    // starting, and the icon comes later, when the shell announces itself.
    m_menuTray.LoadMenu(IDR_SYSTEMTRAY);
    ::SetMenuDefaultItem(m_menuTray.GetSubMenu(0), ID_TRAY_CONFIGURE, FALSE);
    AddTrayIcon();
}

void CQuellixDlg::AddTrayIcon() {
    NOTIFYICONDATAW nid = TrayRecord(m_hWnd, NIF_MESSAGE | NIF_ICON | NIF_TIP);
    nid.uCallbackMessage = kTrayCallbackMsg;
    nid.hIcon = m_hIcon;
    // Truncates to the field: at most 127 units and the terminator.
    ::lstrcpynW(nid.szTip, AfxGetApp()->m_strAppName, static_cast<int>(std::size(nid.szTip)));
    if (::Shell_NotifyIconW(NIM_ADD, &nid))
        ShowPauseState();
}

void CQuellixDlg::RemoveTrayIcon() {
    NOTIFYICONDATAW nid = TrayRecord(m_hWnd, NIF_MESSAGE | NIF_ICON | NIF_TIP);
    ::Shell_NotifyIconW(NIM_DELETE, &nid);
}

LRESULT CQuellixDlg::OnTaskbarCreated(WPARAM, LPARAM) {
    // A new shell has no icons; the delete only clears a stale one.
    RemoveTrayIcon();
    AddTrayIcon();
    return 1;
}

LRESULT CQuellixDlg::OnTrayNotify(WPARAM, LPARAM lParam) {
    const POINT pt = CursorPos();
    switch (LOWORD(lParam)) {
    case WM_RBUTTONUP:
        TrackMenu(m_menuTray, pt, m_hWnd);
        break;
    case WM_LBUTTONDBLCLK:
        ShowMainDialog();
        break;
    default:
        break;
    }
    return 1;
}

void CQuellixDlg::ShowMainDialog() {
    ShowWindow(SW_SHOW);
    ShowWindow(SW_RESTORE);
    ::SetActiveWindow(m_hWnd);
    ::SetForegroundWindow(m_hWnd);
    ::BringWindowToTop(m_hWnd);
}

void CQuellixDlg::OnConfigure() {
    ShowMainDialog();
}

void CQuellixDlg::OnHideToTray() {
    // Minimised first, so that no taskbar button is left behind.
    ShowWindow(SW_MINIMIZE);
    ShowWindow(SW_HIDE);
}

void CQuellixDlg::OnOK() {
    // Enter only minimises: the dialog has no OK button and must not end.
    ShowWindow(SW_MINIMIZE);
}

void CQuellixDlg::OnContextMenu(HWND hwnd, POINT point) {
    const bool ruleList = hwnd == m_listRules.m_hWnd;
    if (point.x == -1 && point.y == -1)
        point = KeyboardMenuPoint(ruleList ? m_listRules.m_hWnd : m_listWindows.m_hWnd);
    if (ruleList) {
        OnRuleListMenu(point);
        return;
    }
    TrackMenu(m_menuPopup, point, m_hWnd);
}

void CQuellixDlg::OnMenuButton() {
    TrackMenu(m_menuPopup, CursorPos(), m_hWnd);
}

void CQuellixDlg::OnHelpButton() {
    TrackMenu(m_menuHelp, CursorPos(), m_hWnd);
}
