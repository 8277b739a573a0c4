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
    case kRuleActionColumn:
        return true;
    default:
        return false;
    }
}

const CListColumn& RuleColumn(int i) {
    return i < kRecordColumnCount    ? kRecordColumns[static_cast<size_t>(i)]
           : i == kRuleDelayColumn   ? kDelayColumn
           : i == kRuleProgramColumn ? kProgramColumn
           : i == kRuleNameColumn    ? kNameColumn
                                     : kActionColumn;
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

CString RuleActionText(const CRule& rule) {
    CString text;
    switch (rule.m_action) {
    case ERuleAction::Press:
        if (rule.m_nButtonId != 0)
            text.Format(_T("Press button %d"), rule.m_nButtonId);
        else if (rule.m_buttonMode == TextMode::Is)
            text.Format(_T("Press \"%s\""), rule.m_strButton);
        else
            text.Format(_T("Press (%s) \"%s\""), TextModeName(rule.m_buttonMode), rule.m_strButton);
        return text;
    case ERuleAction::Minimize:
        return CString(_T("Minimize"));
    case ERuleAction::Close:
        break;
    }
    switch (rule.m_escalate) {
    case EEscalate::SysClose:
        text.Format(_T("Close, then its menu's Close after %d ms"), rule.m_nEscalateAfterMs);
        return text;
    case EEscalate::End:
        text.Format(_T("Close, then its menu's Close and ending after %d ms"),
                    rule.m_nEscalateAfterMs);
        return text;
    case EEscalate::None:
        break;
    }
    return CString(_T("Close"));
}

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
    case kRuleActionColumn:
        return RuleActionText(rule);
    case 1:
        return ModeText(rule.m_titleMode, rule.m_strTitle);
    case 2:
        return ModeText(rule.m_classMode, rule.m_strClass);
    default:
        return RecordCellText(rule, column);
    }
}
