// The tray icon, the popup menus, and hiding and showing the main dialog.
#include "QuellixDlg.h"

void CQuellixDlg::AddTrayIcon() {}
void CQuellixDlg::RemoveTrayIcon() {}
void CQuellixDlg::ShowMainDialog() {}
void CQuellixDlg::OnOK() {}
void CQuellixDlg::OnContextMenu(HWND, POINT) {}
void CQuellixDlg::OnMenuButton() {}
void CQuellixDlg::OnHelpButton() {}
void CQuellixDlg::OnHideToTray() {}
void CQuellixDlg::OnConfigure() {}
LRESULT CQuellixDlg::OnTrayNotify(WPARAM, LPARAM) {
    return 1;
}
LRESULT CQuellixDlg::OnTaskbarCreated(WPARAM, LPARAM) {
    return 1;
}
