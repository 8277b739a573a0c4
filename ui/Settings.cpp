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

CString ColumnWidthValueName(const CListColumn& column, int position, int listNumber) {
    if (column.widthName == nullptr)
        return ColumnWidthValueName(position, listNumber);
    CString name;
    name.Format(Settings::kNamedColumnWidthFormat, column.widthName, listNumber);
    return name;
}
