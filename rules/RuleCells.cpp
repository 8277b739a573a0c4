#include "RuleCells.h"

CString RuleCellText(const CWindowInfo& rule, int column) {
    BOOL shown = FALSE;
    switch (column) {
    case 1:
        shown = rule.m_bMatchTitle;
        break;
    case 2:
        shown = rule.m_bMatchClass;
        break;
    case 3:
    case 4:
        shown = rule.m_bMatchLocation;
        break;
    case 5:
    case 6:
        shown = rule.m_bMatchDimensions;
        break;
    case 7:
        shown = rule.m_bMatchStyle;
        break;
    case 8:
        shown = rule.m_bMatchExStyle;
        break;
    case 9: {
        CString delay;
        delay.Format(_T("%d"), rule.m_nDelayMs);
        return delay;
    }
    default:
        break;
    }
    return shown ? RecordCellText(rule, column) : CString();
}
