// Rule-list cell texts: the record's columns, each shown only when its criterion is set,
// and the delay.
#pragma once

#include "rules/RecordColumns.h"

// The record's nine columns and the delay.
inline constexpr int kRuleColumnCount = kRecordColumnCount + 1;

// Columns 1 to 9: whether the cell shows its value. A criterion's cell is shown only when the
// rule asks for it; the delay always is.
bool RuleCellShown(const CWindowInfo& rule, int column);
// Columns 1 to 9: the text of a shown cell, or an empty text.
CString RuleCellText(const CWindowInfo& rule, int column);
