// Rule-list cell texts: the record's columns, each shown only when its criterion is set,
// and the delay.
#pragma once

#include "rules/RecordColumns.h"

// The record's nine columns and the delay.
inline constexpr int kRuleColumnCount = kRecordColumnCount + 1;

// Columns 1 to 9: a criterion's cell stays empty unless the rule asks for it; the delay
// is always shown.
CString RuleCellText(const CWindowInfo& rule, int column);
