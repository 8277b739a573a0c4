// The few Win32 types and constants that the platform-independent core uses.
// On Windows they come from <windows.h>; elsewhere they are defined here with the same sizes.
#pragma once

#ifdef _WIN32
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
#include <tchar.h>
// Text is UTF-16; on Windows wchar_t is one UTF-16 unit.
using WCHAR16 = wchar_t;
#else
#include <cstdint>

using BOOL = int;
using BYTE = std::uint8_t;
using WORD = std::uint16_t;
using DWORD = std::uint32_t;
using LONG = std::int32_t;
using UINT = unsigned int;
using INT_PTR = std::intptr_t;
using UINT_PTR = std::uintptr_t;
using WCHAR16 = char16_t;
using HWND = struct HWND__*;

#define TRUE 1
#define FALSE 0
#define _T(x) u##x

struct RECT {
    LONG left;
    LONG top;
    LONG right;
    LONG bottom;
};
struct POINT {
    LONG x;
    LONG y;
};
struct WINDOWPLACEMENT {
    UINT length;
    UINT flags;
    UINT showCmd;
    POINT ptMinPosition;
    POINT ptMaxPosition;
    RECT rcNormalPosition;
};

#define SW_HIDE 0
#define WM_CLOSE 0x0010
#define WS_BORDER 0x00800000L
#define WS_DLGFRAME 0x00400000L
#define WS_CAPTION 0x00C00000L
#endif

// Width and height as the window system computes them: 32-bit, wrapping on overflow. Formatted
// with %d they show as the system's signed values.
inline DWORD RectWidth(const RECT& rc) {
    return static_cast<DWORD>(rc.right) - static_cast<DWORD>(rc.left);
}
inline DWORD RectHeight(const RECT& rc) {
    return static_cast<DWORD>(rc.bottom) - static_cast<DWORD>(rc.top);
}

static_assert(sizeof(WCHAR16) == 2, "text is handled as UTF-16 code units");
static_assert(sizeof(WINDOWPLACEMENT) == 44, "the stored placement is the 44-byte record");
