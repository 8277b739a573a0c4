// The foreground watcher: every foreground window of another program is reported and
// compared with the rules.
#include "ui/QuellixDlg.h"

#include "rules/WindowInfo.h"

void CQuellixDlg::InstallWinEventHook() {}
void CQuellixDlg::RemoveWinEventHook() {
    m_hWinEventHook.Reset();
}
void CQuellixDlg::CheckWindowAgainstRules(HWND) {}
void CQuellixDlg::CancelPendingClose(CWindowInfo&) {}
