// The plain matcher that the rule set's scan must agree with: every criterion a rule sets,
// tested one by one on the rule's own record. Tests and benchmarks only.
#pragma once

#include "engine/Match.h"

// True when every criterion that the rule sets holds for the window; a rule that sets none
// may not act and matches no window.
inline bool MatchesRule(const CRule& rule, const CWindowSnapshot& window) {
    if (!rule.m_bMatchStyle && !rule.m_bMatchExStyle && !rule.m_bMatchTitle &&
        !rule.m_bMatchClass && !rule.m_bMatchLocation && !rule.m_bMatchDimensions &&
        !rule.m_bMatchProcess)
        return false;
    if (rule.m_bMatchStyle && rule.m_dwStyle != window.dwStyle)
        return false;
    if (rule.m_bMatchExStyle && rule.m_dwExStyle != window.dwExStyle)
        return false;
    if (rule.m_bMatchTitle && !SameText(rule.m_strTitle.View(), window.strTitle))
        return false;
    if (rule.m_bMatchClass && !SameText(rule.m_strClass.View(), window.strClass))
        return false;
    if (rule.m_bMatchLocation && (rule.m_rcWindow.left != window.rcWindow.left ||
                                  rule.m_rcWindow.top != window.rcWindow.top))
        return false;
    if (rule.m_bMatchDimensions && (RectWidth(rule.m_rcWindow) != RectWidth(window.rcWindow) ||
                                    RectHeight(rule.m_rcWindow) != RectHeight(window.rcWindow)))
        return false;
    return true;
}
