// Rule-list cell texts and columns.
#pragma once

#include "rules/WindowInfo.h"

#include <iterator>

struct CRuleColumn {
    const WCHAR16* caption;
    bool centred;
    int defaultWidth;
};

// The ten columns of the rule list; the first nine repeat the window list's.
inline constexpr CRuleColumn kRuleColumns[] = {
    {_T("Sr"), false, 50},
    {_T("Window Text"), false, 100},
    {_T("Window Class"), false, 100},
    {_T("X"), false, 50},
    {_T("Y"), true, 50},
    {_T("Width"), false, 75},
    {_T("Height"), false, 75},
    {_T("Style"), false, 75},
    {_T("Ex Style"), false, 75},
    {_T("Delay"), false, 75},
};
inline constexpr int kRuleColumnCount = static_cast<int>(std::size(kRuleColumns));

// Column 0: the row number, counted from 1.
CString RuleRowNumberText(int row);
// Columns 1 to 9: a criterion's cell stays empty unless the rule asks for it; the delay
// is always shown.
CString RuleCellText(const CWindowInfo& rule, int column);
