// The columns of the window list and the rule list: set up from the stored widths, and the
// widths stored again at exit.
#include "QuellixDlg.h"

#include "ui/Settings.h"
#include "framework/win/App.h"
#include "rules/RuleCells.h"

void CQuellixDlg::SetupListColumns(CListCtrl& list, int listNumber, int columnCount) {
    list.ModifyStyle(0, LVS_REPORT | LVS_SINGLESEL);
    list.SetExtendedStyle(list.GetExtendedStyle() | LVS_EX_GRIDLINES | LVS_EX_FULLROWSELECT);
    const int dpi = WindowDpi(list);
    for (int i = 0; i < columnCount; ++i)
        InsertListColumn(list, listNumber, i,
                         listNumber == Settings::kRuleListNumber || i < kRecordColumnCount
                             ? RuleColumn(i)
                             : kProgramColumn,
                         dpi);
}

void CQuellixDlg::InsertListColumn(CListCtrl& list, int listNumber, int i,
                                   const CListColumn& column, int dpi) {
    // Default widths are pixels at 96 DPI; a width the user stored is used as stored.
    m_strColumnKey = ColumnWidthValueName(i, listNumber);
    const int defaultWidth = ::MulDiv(column.defaultWidth, dpi, 96);
    const int width = StoredColumnWidth(
        AfxGetApp()->GetProfileIntW(Settings::kSection, m_strColumnKey, defaultWidth),
        defaultWidth);
    list.InsertColumn(i, column.caption, column.format, width);
}

void CQuellixDlg::SaveColumnWidths(CListCtrl& list, int listNumber) {
    HWND header = list.GetHeaderCtrl();
    if (header == nullptr)
        return;
    for (int i = 0; i < Header_GetItemCount(header); ++i) {
        HDITEMW item{};
        item.mask = HDI_WIDTH;
        if (!Header_GetItem(header, i, &item))
            continue;
        m_strColumnKey = ColumnWidthValueName(i, listNumber);
        AfxGetApp()->WriteProfileInt(Settings::kSection, m_strColumnKey, item.cxy);
    }
}
