#include "RuleCells.h"

namespace {

CString Decimal(long long value) {
    CString text;
    text.Format(_T("%d"), value);
    return text;
}

CString Hex(DWORD value) {
    CString text;
    text.Format(_T("%x"), value);
    return text;
}

} // namespace

CString RuleRowNumberText(int row) {
    return Decimal(row + 1LL);
}

CString RuleCellText(const CWindowInfo& rule, int column) {
    const RECT& rc = rule.m_rcWindow;
    switch (column) {
    case 1:
        return rule.m_bMatchTitle ? rule.m_strTitle : CString();
    case 2:
        return rule.m_bMatchClass ? rule.m_strClass : CString();
    case 3:
        return rule.m_bMatchLocation ? Decimal(rc.left) : CString();
    case 4:
        return rule.m_bMatchLocation ? Decimal(rc.top) : CString();
    case 5:
        return rule.m_bMatchDimensions ? Decimal(static_cast<long long>(rc.right) - rc.left)
                                       : CString();
    case 6:
        return rule.m_bMatchDimensions ? Decimal(static_cast<long long>(rc.bottom) - rc.top)
                                       : CString();
    case 7:
        return rule.m_bMatchStyle ? Hex(rule.m_dwStyle) : CString();
    case 8:
        return rule.m_bMatchExStyle ? Hex(rule.m_dwExStyle) : CString();
    case 9:
        return Decimal(rule.m_nDelayMs);
    default:
        return CString();
    }
}
