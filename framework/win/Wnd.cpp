#include "Wnd.h"

#include "App.h"
#include "framework/Exception.h"

CString CWnd::GetWindowText() const {
    CString text;
    int n = ::GetWindowTextLengthW(m_hWnd);
    ::GetWindowTextW(m_hWnd, text.GetBuffer(n + 1), n + 1);
    text.ReleaseBuffer();
    return text;
}

void CWnd::ModifyStyle(DWORD remove, DWORD add) const {
    DWORD style = static_cast<DWORD>(::GetWindowLongW(m_hWnd, GWL_STYLE));
    ::SetWindowLongW(m_hWnd, GWL_STYLE, static_cast<LONG>((style & ~remove) | add));
}

int CWnd::MessageBox(const WCHAR* text, const WCHAR* caption, UINT type) const {
    return ::MessageBoxW(m_hWnd, text, caption ? caption : AfxGetApp()->m_strAppName.GetString(),
                         type);
}

BOOL CString::LoadString(UINT id) {
    const WCHAR* p = nullptr;
    int n = ::LoadStringW(::GetModuleHandleW(nullptr), id, reinterpret_cast<LPWSTR>(&p), 0);
    if (n <= 0 || p == nullptr) {
        Empty();
        return FALSE;
    }
    *this = CString(p, n);
    return TRUE;
}

int CException::ReportError(UINT nType) const {
    return AfxMessageBox(GetErrorMessage(), nType);
}

int WindowDpi(HWND hwnd) {
    struct WindowDC {
        HWND hwnd;
        HDC dc;
        ~WindowDC() {
            if (dc != nullptr)
                ::ReleaseDC(hwnd, dc);
        }
    } owner{hwnd, ::GetDC(hwnd)};
    const int dpi = owner.dc != nullptr ? ::GetDeviceCaps(owner.dc, LOGPIXELSX) : 0;
    return dpi > 0 ? dpi : 96;
}
