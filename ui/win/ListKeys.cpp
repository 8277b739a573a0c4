// The list keys: F5 refreshes the window list, Delete deletes the selected rule, Ctrl+C copies
// the selected row as one tab-separated line (with the column names under Ctrl+Shift+C).
#include "QuellixDlg.h"

#include "framework/win/App.h"
#include "res/resource.h"

#include <iterator>

namespace {

// The cells of a list's row, or its column names, joined by tabs.
CString ListLine(const CListCtrl& list, int row, bool names) {
    HWND header = list.GetHeaderCtrl();
    const int columns = header != nullptr ? Header_GetItemCount(header) : 0;
    CString line;
    for (int c = 0; c < columns; ++c) {
        if (c > 0)
            line += _T('\t');
        if (!names) {
            line += VisibleText(list.GetItemText(row, c).View()); // one cell of one line
            continue;
        }
        WCHAR text[256] = {};
        HDITEMW item{};
        item.mask = HDI_TEXT;
        item.pszText = text;
        item.cchTextMax = static_cast<int>(std::size(text));
        if (Header_GetItem(header, c, &item))
            line += text;
    }
    return line;
}

// Ctrl+C: the selected row as one line, under the column names when Shift is held too.
void CopySelectedRow(const CListCtrl& list, HWND owner) {
    const int row = list.GetNextItem(-1, LVNI_SELECTED);
    if (row < 0)
        return;
    CString text;
    if (::GetKeyState(VK_SHIFT) < 0) {
        text = ListLine(list, row, true);
        text += _T("\r\n");
    }
    text += ListLine(list, row, false);
    CopyTextToClipboard(owner, text);
}

bool IsCopyKey(WORD key) {
    return key == 'C' && ::GetKeyState(VK_CONTROL) < 0;
}

} // namespace

void CQuellixDlg::OnRuleListKey(NMHDR* nmhdr, LRESULT* result) {
    const WORD key = reinterpret_cast<NMLVKEYDOWN*>(nmhdr)->wVKey;
    *result = 0;
    if (key == VK_DELETE)
        OnBnClickedDeleteRecord();
    else if (key == VK_F5)
        RefreshWindowList();
    else if (IsCopyKey(key))
        CopySelectedRow(m_listRules, m_hWnd);
}

void CQuellixDlg::OnWindowListKey(NMHDR* nmhdr, LRESULT* result) {
    const WORD key = reinterpret_cast<NMLVKEYDOWN*>(nmhdr)->wVKey;
    *result = 0;
    if (key == VK_F5)
        RefreshWindowList();
    else if (IsCopyKey(key))
        CopySelectedRow(m_listWindows, m_hWnd);
}
