// CWnd: a non-owning wrapper of a window handle with the calls the program uses.
#pragma once

#include "framework/Object.h"
#include "framework/String.h"

class CWnd : public CObject {
public:
    CWnd() = default;
    virtual ~CWnd() = default;
    CWnd(const CWnd&) = delete;
    CWnd& operator=(const CWnd&) = delete;

    HWND GetSafeHwnd() const { return m_hWnd; }
    operator HWND() const { return m_hWnd; }

    LRESULT SendMessage(UINT msg, WPARAM wp = 0, LPARAM lp = 0) const {
        return ::SendMessageW(m_hWnd, msg, wp, lp);
    }
    BOOL PostMessage(UINT msg, WPARAM wp = 0, LPARAM lp = 0) const {
        return ::PostMessageW(m_hWnd, msg, wp, lp);
    }
    BOOL ShowWindow(int cmd) const { return ::ShowWindow(m_hWnd, cmd); }
    BOOL IsIconic() const { return ::IsIconic(m_hWnd); }
    BOOL IsWindowVisible() const { return ::IsWindowVisible(m_hWnd); }
    void SetWindowText(const WCHAR* text) const { ::SetWindowTextW(m_hWnd, text); }
    CString GetWindowText() const;
    HWND GetDlgItem(int id) const { return ::GetDlgItem(m_hWnd, id); }
    void SetIcon(HICON icon, BOOL big) const {
        ::SendMessageW(m_hWnd, WM_SETICON, big ? ICON_BIG : ICON_SMALL,
                       reinterpret_cast<LPARAM>(icon));
    }
    // Adds and removes window style bits.
    void ModifyStyle(DWORD remove, DWORD add) const;
    // A message box owned by this window; a null caption shows the application title.
    int MessageBox(const WCHAR* text, const WCHAR* caption = nullptr, UINT type = MB_OK) const;

    HWND m_hWnd = nullptr;
};

// Dots per inch of the window's screen (GetDpiForWindow is missing on older systems).
int WindowDpi(HWND hwnd);
