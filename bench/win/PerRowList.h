// What the measurements compare the owner-data lists with: a list view that holds its rows, and
// its redraw switch.
#pragma once

#include "framework/win/Controls.h"

// Inserts a row with its column-0 text.
inline void InsertRow(const CListCtrl& list, int row, const WCHAR* text) {
    LVITEMW item{};
    item.mask = LVIF_TEXT;
    item.iItem = row;
    item.pszText = const_cast<WCHAR*>(text);
    list.SendMessage(LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item));
}

inline void SetRowText(const CListCtrl& list, int row, int column, const WCHAR* text) {
    LVITEMW item{};
    item.iSubItem = column;
    item.pszText = const_cast<WCHAR*>(text);
    list.SendMessage(LVM_SETITEMTEXTW, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
}

// Turns a control's drawing off for its lifetime: each row that a list view adds or removes
// would otherwise update the scroll bars and repaint.
class CRedrawOff {
public:
    explicit CRedrawOff(const CWnd& wnd) : m_wnd(wnd) { m_wnd.SendMessage(WM_SETREDRAW, FALSE); }
    ~CRedrawOff() {
        m_wnd.SendMessage(WM_SETREDRAW, TRUE);
        ::InvalidateRect(m_wnd.m_hWnd, nullptr, TRUE);
    }
    CRedrawOff(const CRedrawOff&) = delete;
    CRedrawOff& operator=(const CRedrawOff&) = delete;

private:
    const CWnd& m_wnd;
};
