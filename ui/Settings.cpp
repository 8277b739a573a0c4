#include "Settings.h"

int StoredColumnWidth(UINT stored, int defaultWidth) {
    constexpr UINT kMaxColumnWidth = 4096;
    return stored <= kMaxColumnWidth ? static_cast<int>(stored) : defaultWidth;
}

CString ColumnWidthValueName(int column, int listNumber) {
    CString name;
    name.Format(Settings::kColumnWidthFormat, column, listNumber);
    return name;
}
