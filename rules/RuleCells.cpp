#include "RuleCells.h"

bool RuleCellShown(const CRule& rule, int column) {
    switch (column) {
    case 1:
        return rule.m_bMatchTitle != 0;
    case 2:
        return rule.m_bMatchClass != 0;
    case 3:
    case 4:
        return rule.m_bMatchLocation != 0;
    case 5:
    case 6:
        return rule.m_bMatchDimensions != 0;
    case 7:
        return rule.m_bMatchStyle != 0;
    case 8:
        return rule.m_bMatchExStyle != 0;
    case kRuleProgramColumn:
        return rule.m_bMatchProcess != 0;
    case kRuleDelayColumn:
    case kRuleNameColumn:
        return true;
    default:
        return false;
    }
}

const CListColumn& RuleColumn(int i) {
    return i < kRecordColumnCount    ? kRecordColumns[static_cast<size_t>(i)]
           : i == kRuleDelayColumn   ? kDelayColumn
           : i == kRuleProgramColumn ? kProgramColumn
                                     : kNameColumn;
}

namespace {

CString ModeText(TextMode mode, const CString& text) {
    if (mode == TextMode::Is)
        return text;
    CString cell;
    cell.Format(_T("%s: %s"), TextModeName(mode), text);
    return cell;
}

} // namespace

CString RuleCellText(const CRule& rule, int column) {
    if (!RuleCellShown(rule, column))
        return CString();
    switch (column) {
    case kRuleDelayColumn: {
        CString delay;
        delay.Format(_T("%d"), rule.m_nDelayMs);
        return delay;
    }
    case kRuleProgramColumn:
        return ModeText(rule.m_processMode, rule.m_strProcess);
    case kRuleNameColumn:
        return rule.m_strName;
    case 1:
        return ModeText(rule.m_titleMode, rule.m_strTitle);
    case 2:
        return ModeText(rule.m_classMode, rule.m_strClass);
    default:
        return RecordCellText(rule, column);
    }
}
