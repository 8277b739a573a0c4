// Rule-list cell texts: the record's columns, each shown only when its criterion is set,
// and the delay.
#pragma once

#include "rules/RecordColumns.h"
#include "rules/Rule.h"

// The record's nine columns, the delay, the program, the name and what the rule does.
inline constexpr int kRuleDelayColumn = kRecordColumnCount;
inline constexpr int kRuleProgramColumn = kRecordColumnCount + 1;
inline constexpr int kRuleNameColumn = kRecordColumnCount + 2;
inline constexpr int kRuleActionColumn = kRecordColumnCount + 3;
inline constexpr int kRuleColumnCount = kRecordColumnCount + 4;
inline constexpr CListColumn kActionColumn = {_T("Action"), 100, kColumnAlignLeft, _T("Action")};
// After them the rule list shows how many windows each rule closed, from the history.
inline constexpr CListColumn kClosedColumn = {_T("Closed"), 55, kColumnAlignRight, _T("Closed")};

// The rule list's column i.
const CListColumn& RuleColumn(int i);

// What the rule does, in words: "Close", "Press \"No\"", "Minimize", with a close's follow-up.
CString RuleActionText(const CRule& rule);

// Columns 1 to 12: whether the cell shows its value. A criterion's cell is shown only when the
// rule asks for it; the delay and the name always are.
bool RuleCellShown(const CRule& rule, int column);
// Columns 1 to 12: the text of a shown cell, or an empty text. A text compared otherwise than
// exactly says how first: "wildcard: Update*".
CString RuleCellText(const CRule& rule, int column);
