// The window list: the desktop's top-level windows, filtered by the options.
#include "QuellixDlg.h"

#include "rules/WindowInfo.h"

void CQuellixDlg::SetupWindowListColumns() {}
void CQuellixDlg::RefreshWindowList() {}
void CQuellixDlg::AddWindowToList(HWND) {}
BOOL CALLBACK CQuellixDlg::EnumWindowsCallback(HWND, LPARAM) {
    return TRUE;
}
void CQuellixDlg::ClearRecordList(CListCtrl& list) {
    if (list.m_hWnd == nullptr)
        return;
    for (int n = list.GetItemCount(); n > 0; --n) {
        delete reinterpret_cast<CWindowInfo*>(list.GetItemData(0));
        list.DeleteItem(0);
    }
}
void CQuellixDlg::SaveColumnWidths(CListCtrl&, int) {}
void CQuellixDlg::OnHideZeroDimensionsClicked() {}
void CQuellixDlg::OnHideDisabledClicked() {}
void CQuellixDlg::OnHideHiddenClicked() {}
void CQuellixDlg::OnDisplayIconClicked() {}
void CQuellixDlg::OnHideWithoutCaptionClicked() {}
void CQuellixDlg::OnRefreshListCommand() {}
void CQuellixDlg::OnCloseSelectedWindow() {}
