// Wrappers of the common controls, menus and image lists that the program uses.
#pragma once

#include "Handle.h"
#include "Wnd.h"

class CEdit : public CWnd {};

// Answers an owner-data list's request for a cell: the text, cut to the room it gives.
void SetDispInfoText(LVITEMW& item, StringView text);

class CListCtrl : public CWnd {
public:
    int GetItemCount() const { return static_cast<int>(SendMessage(LVM_GETITEMCOUNT)); }
    int GetNextItem(int start, UINT flags) const {
        return static_cast<int>(
            SendMessage(LVM_GETNEXTITEM, static_cast<WPARAM>(start), MAKELPARAM(flags, 0)));
    }
    DWORD GetExtendedStyle() const {
        return static_cast<DWORD>(SendMessage(LVM_GETEXTENDEDLISTVIEWSTYLE));
    }
    void SetExtendedStyle(DWORD style) const {
        SendMessage(LVM_SETEXTENDEDLISTVIEWSTYLE, 0, style);
    }
    int InsertColumn(int index, const WCHAR* caption, int format, int width) const;
    CString GetItemText(int row, int column) const;
    BOOL DeleteAllItems() const { return static_cast<BOOL>(SendMessage(LVM_DELETEALLITEMS)); }
    BOOL DeleteItem(int row) const {
        return static_cast<BOOL>(SendMessage(LVM_DELETEITEM, static_cast<WPARAM>(row)));
    }
    // An owner-data list: the number of rows it shows.
    void SetItemCountEx(int count, DWORD flags = LVSICF_NOSCROLL | LVSICF_NOINVALIDATEALL) const {
        SendMessage(LVM_SETITEMCOUNT, static_cast<WPARAM>(count), flags);
    }
    void RedrawItems(int first, int last) const {
        SendMessage(LVM_REDRAWITEMS, static_cast<WPARAM>(first), last);
    }
    HIMAGELIST SetImageList(HIMAGELIST list, int kind) const {
        return reinterpret_cast<HIMAGELIST>(SendMessage(LVM_SETIMAGELIST, static_cast<WPARAM>(kind),
                                                        reinterpret_cast<LPARAM>(list)));
    }
    HWND GetHeaderCtrl() const { return reinterpret_cast<HWND>(SendMessage(LVM_GETHEADER)); }
};

// Keeps a visible window from drawing anything for its lifetime, then has all of it painted,
// frame and children included, at the next paint. A list view still updates its scroll bars
// meanwhile but draws none of them at once: its own redraw switch (WM_SETREDRAW) draws them when
// turned back on, and Wine takes about 4 ms to draw a themed scroll bar, twice per new count.
class CDrawLater {
public:
    explicit CDrawLater(const CWnd& wnd)
        : m_hwnd(::IsWindowVisible(wnd.m_hWnd) ? wnd.m_hWnd : nullptr) {
        if (m_hwnd != nullptr)
            ::DefWindowProcW(m_hwnd, WM_SETREDRAW, FALSE, 0);
    }
    ~CDrawLater() {
        if (m_hwnd == nullptr)
            return;
        ::DefWindowProcW(m_hwnd, WM_SETREDRAW, TRUE, 0);
        ::RedrawWindow(m_hwnd, nullptr, nullptr,
                       RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN);
    }
    CDrawLater(const CDrawLater&) = delete;
    CDrawLater& operator=(const CDrawLater&) = delete;

private:
    HWND m_hwnd;
};

class CImageList {
public:
    BOOL Create(int cx, int cy, UINT flags, int initial, int grow) {
        m_list.Reset(::ImageList_Create(cx, cy, flags, initial, grow));
        return m_list ? TRUE : FALSE;
    }
    void DeleteImageList() { m_list.Reset(); }
    // Appends a copy of the icon; returns its index or -1.
    int Add(HICON icon) const { return ::ImageList_ReplaceIcon(m_list.Get(), -1, icon); }
    int GetImageCount() const { return ::ImageList_GetImageCount(m_list.Get()); }
    HIMAGELIST GetSafeHandle() const { return m_list.Get(); }

private:
    CImageListHandle m_list;
};

class CMenu {
public:
    BOOL LoadMenu(UINT id);
    // Sub-menus stay owned by this menu.
    HMENU GetSubMenu(int pos) const { return ::GetSubMenu(m_menu.Get(), pos); }

private:
    CMenuHandle m_menu;
};
