#include "RecordColumns.h"

CString NumberText(const WCHAR16* format, long long value) {
    CString text;
    text.Format(format, value);
    return text;
}

CString RowNumberText(int row) {
    return NumberText(_T("%d"), row + 1LL);
}
