#include "RecordColumns.h"

namespace {

CString Format(const WCHAR16* format, long long value) {
    CString text;
    text.Format(format, value);
    return text;
}

} // namespace

CString RowNumberText(int row) {
    return Format(_T("%d"), row + 1LL);
}

CString RecordCellText(const CWindowInfo& record, int column) {
    const RECT& rc = record.m_rcWindow;
    switch (column) {
    case 1:
        return record.m_strTitle;
    case 2:
        return record.m_strClass;
    case 3:
        return Format(_T("%d"), rc.left);
    case 4:
        return Format(_T("%d"), rc.top);
    case 5:
        return Format(_T("%d"), RectWidth(rc));
    case 6:
        return Format(_T("%d"), RectHeight(rc));
    case 7:
        return Format(_T("%x"), record.m_dwStyle);
    case 8:
        return Format(_T("%x"), record.m_dwExStyle);
    default:
        return CString();
    }
}
