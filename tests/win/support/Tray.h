// The shell's notification area, as tests see it from outside the program.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace qt {

inline constexpr UINT kTrayIconId = 90;
inline constexpr UINT kTrayCallbackMsg = WM_USER + 1;

// Modifying nothing succeeds only while the shell holds an icon for this window and id.
bool TrayIconExists(HWND owner, UINT id = kTrayIconId);
// Deletes an icon behind its owner's back, as a restarted shell would have lost it.
void DeleteTrayIcon(HWND owner, UINT id = kTrayIconId);
// The tip texts that the shell's tooltip controls hold, read inside the shell's process.
// Wine keeps a tip after its icon is gone, so this tells what the shell got, not what is there.
std::vector<std::wstring> TrayTips();
bool HasTrayTip(const std::wstring& tip);
// The visible popup menu (class #32768) of a process; null when none is open.
HWND FindPopupMenu(DWORD pid);

} // namespace qt
