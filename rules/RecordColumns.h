// The columns that show a window record, shared by the window list and the rule list, and
// the texts of their cells.
#pragma once

#include "rules/WindowInfo.h"

#include <array>

// Column alignments; the values are the list view's LVCFMT_LEFT, _RIGHT and _CENTER.
inline constexpr int kColumnAlignLeft = 0;
inline constexpr int kColumnAlignRight = 1;
inline constexpr int kColumnAlignCenter = 2;

struct CListColumn {
    const WCHAR16* caption;
    int defaultWidth;
    int format;
    // The name its stored width goes by; null for the first columns, which go by position.
    const WCHAR16* widthName = nullptr;
};

// Both lists show these nine; the rule list adds the delay after them.
inline constexpr int kRecordColumnCount = 9;
inline constexpr std::array<CListColumn, kRecordColumnCount> kRecordColumns = {{
    {_T("Sr"), 50, kColumnAlignLeft},
    {_T("Window Text"), 100, kColumnAlignLeft},
    {_T("Window Class"), 100, kColumnAlignLeft},
    {_T("X"), 50, kColumnAlignLeft},
    {_T("Y"), 50, kColumnAlignCenter},
    {_T("Width"), 75, kColumnAlignLeft},
    {_T("Height"), 75, kColumnAlignLeft},
    {_T("Style"), 75, kColumnAlignLeft},
    {_T("Ex Style"), 75, kColumnAlignLeft},
}};
inline constexpr CListColumn kDelayColumn = {_T("Delay"), 75, kColumnAlignLeft};
// After those: the program (both lists), then the rule's name (the rule list).
inline constexpr CListColumn kProgramColumn = {_T("Program"), 100, kColumnAlignLeft, _T("Program")};
inline constexpr CListColumn kNameColumn = {_T("Name"), 100, kColumnAlignLeft, _T("Name")};

// Column 0: the row number, counted from 1.
CString RowNumberText(int row);
CString NumberText(const WCHAR16* format, long long value);
// Columns 1 to 8: the record's caption, class, left, top, width, height, style and extended
// style ("%d" and "%x"), of a window's record or a rule's.
template <class Record> CString RecordCellText(const Record& record, int column) {
    const RECT& rc = record.m_rcWindow;
    switch (column) {
    case 1:
        return record.m_strTitle;
    case 2:
        return record.m_strClass;
    case 3:
        return NumberText(_T("%d"), rc.left);
    case 4:
        return NumberText(_T("%d"), rc.top);
    case 5:
        return NumberText(_T("%d"), RectWidth(rc));
    case 6:
        return NumberText(_T("%d"), RectHeight(rc));
    case 7:
        return NumberText(_T("%x"), record.m_dwStyle);
    case 8:
        return NumberText(_T("%x"), record.m_dwExStyle);
    default:
        return CString();
    }
}
