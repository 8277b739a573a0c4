#include "RuleCells.h"

bool RuleCellShown(const CWindowInfo& rule, int column) {
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
    case 9:
        return true;
    default:
        return false;
    }
}

CString RuleCellText(const CWindowInfo& rule, int column) {
    if (column == 9) {
        CString delay;
        delay.Format(_T("%d"), rule.m_nDelayMs);
        return delay;
    }
    return RuleCellShown(rule, column) ? RecordCellText(rule, column) : CString();
}
