// Matching a window snapshot against a rule.
#pragma once

#include "framework/String.h"
#include "rules/WindowInfo.h"

// What the watcher reads of one foreground window. The texts are views into buffers that
// the caller keeps, so that a snapshot costs no allocation.
struct CWindowSnapshot {
    StringView strTitle;
    StringView strClass;
    RECT rcWindow = {0, 0, 0, 0};
    DWORD dwStyle = 0;
    DWORD dwExStyle = 0;
};

// Width and height as the window system computes them: 32-bit, wrapping on overflow.
inline DWORD RectWidth(const RECT& rc) {
    return static_cast<DWORD>(rc.right) - static_cast<DWORD>(rc.left);
}
inline DWORD RectHeight(const RECT& rc) {
    return static_cast<DWORD>(rc.bottom) - static_cast<DWORD>(rc.top);
}

// True when every criterion that the rule sets holds for the window; a rule that sets none
// matches every window.
bool MatchesRule(const CWindowInfo& rule, const CWindowSnapshot& window);
