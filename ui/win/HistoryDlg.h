// CHistoryDlg: the history window. Modeless and resizable; shows the history newest first, and
// copies or clears it. Closing only hides it.
#pragma once

#include "engine/History.h"
#include "framework/win/Controls.h"
#include "framework/win/Dialog.h"

class CHistoryDlg : public CDialog {
public:
    CHistoryDlg(CHistory& history, CWnd* parent);

    // Creates the window on first use, then shows it in front with the latest entries.
    void Open();
    // Shows the history as it is now, if the window exists.
    void Refresh();

protected:
    bool OnWndMsg(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;
    BOOL OnInitDialog() override;
    void OnOK() override {}
    void OnGetCell(NMHDR* nmhdr, LRESULT* result);
    void OnCopy();
    void OnClear();

private:
    CHistory& m_history;
    CListCtrl m_list;
};

// Puts the text on the clipboard as Unicode text; false when the clipboard refused it.
bool CopyTextToClipboard(HWND owner, const CString& text);
