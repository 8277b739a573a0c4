// The tray icon's record: the fields that every change of the icon names it by.
#pragma once

#include "ui/win/QuellixDlg.h"

#include <shellapi.h>

#if !defined(_WIN64)
// The full current layout; the shell reads the record by this size.
static_assert(sizeof(NOTIFYICONDATAW) == 956, "tray record must have the full current layout");
#endif

inline NOTIFYICONDATAW TrayRecord(HWND hwnd, UINT flags) {
    NOTIFYICONDATAW nid{};
    nid.cbSize = sizeof(nid);
    nid.hWnd = hwnd;
    nid.uID = kTrayIconId;
    nid.uFlags = flags;
    return nid;
}
