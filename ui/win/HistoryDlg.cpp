#include "HistoryDlg.h"

#include "framework/win/MessageMap.h"
#include "res/resource.h"

#include <cstring>

CHistoryDlg::CHistoryDlg(CHistory& history, CWnd* parent)
    : CDialog(IDD_HISTORY, parent), m_history(history) {}

bool CHistoryDlg::OnWndMsg(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) {
    using M = CMessageMap<CHistoryDlg>;
    static const M::Entry messageMap[] = {
        M::Notify<&CHistoryDlg::OnGetCell>(LVN_GETDISPINFOW, IDC_HISTORY_LIST),
        M::Command<&CHistoryDlg::OnCopy>(IDC_HISTORY_COPY),
        M::Command<&CHistoryDlg::OnClear>(IDC_HISTORY_CLEAR),
    };
    return M::Dispatch(messageMap, *this, msg, wp, lp, result) ||
           CDialog::OnWndMsg(msg, wp, lp, result);
}

BOOL CHistoryDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    // A button on the taskbar of its own, also while the main window is hidden in the tray:
    // minimised, it is found there.
    ::SetWindowLongW(m_hWnd, GWL_EXSTYLE, ::GetWindowLongW(m_hWnd, GWL_EXSTYLE) | WS_EX_APPWINDOW);
    m_list.m_hWnd = ::GetDlgItem(m_hWnd, IDC_HISTORY_LIST);
    m_list.SetExtendedStyle(m_list.GetExtendedStyle() | LVS_EX_GRIDLINES | LVS_EX_FULLROWSELECT);
    static const int kWidths[kHistoryColumnCount] = {125, 120, 90, 60, 42, 55, 205};
    const int dpi = WindowDpi(m_list); // the widths are pixels at 96 DPI
    for (int i = 0; i < kHistoryColumnCount; ++i)
        m_list.InsertColumn(i, HistoryColumnCaption(i), LVCFMT_LEFT, ::MulDiv(kWidths[i], dpi, 96));
    Refresh();
    return TRUE;
}

void CHistoryDlg::Open() {
    if (m_hWnd == nullptr && !Create())
        return;
    Refresh();
    // Chosen again while minimised, it comes back as it was, in front.
    ShowWindow(::IsIconic(m_hWnd) ? SW_RESTORE : SW_SHOW);
    ::SetForegroundWindow(m_hWnd);
}

void CHistoryDlg::Refresh() {
    if (m_list.m_hWnd == nullptr)
        return;
    // Every row moves down by one per new entry: all are drawn again.
    m_list.SetItemCountEx(static_cast<int>(m_history.GetCount()), 0);
    ::InvalidateRect(m_list, nullptr, FALSE);
}

void CHistoryDlg::OnGetCell(NMHDR* nmhdr, LRESULT* result) {
    LVITEMW& item = reinterpret_cast<NMLVDISPINFOW*>(nmhdr)->item;
    *result = 0;
    if (item.iItem >= 0 && static_cast<size_t>(item.iItem) < m_history.GetCount())
        SetDispInfoText(
            item, HistoryCellText(m_history.GetAt(static_cast<size_t>(item.iItem)), item.iSubItem)
                      .View());
}

void CHistoryDlg::OnCopy() {
    if (!CopyTextToClipboard(m_hWnd, HistoryText(m_history)))
        MessageBox(L"The history could not be put on the clipboard.", nullptr,
                   MB_OK | MB_ICONEXCLAMATION);
}

void CHistoryDlg::OnClear() {
    m_history.Clear();
    Refresh();
}

bool CopyTextToClipboard(HWND owner, const CString& text) {
    if (!::OpenClipboard(owner))
        return false;
    struct Closer {
        ~Closer() { ::CloseClipboard(); }
    } closer;
    ::EmptyClipboard();
    const size_t bytes = (static_cast<size_t>(text.GetLength()) + 1) * sizeof(WCHAR);
    HGLOBAL memory = ::GlobalAlloc(GMEM_MOVEABLE, bytes);
    if (memory == nullptr)
        return false;
    if (void* target = ::GlobalLock(memory)) {
        std::memcpy(target, text.GetString(), bytes);
        ::GlobalUnlock(memory);
        // The clipboard owns the memory once it took it.
        if (::SetClipboardData(CF_UNICODETEXT, memory) != nullptr)
            return true;
    }
    ::GlobalFree(memory);
    return false;
}
