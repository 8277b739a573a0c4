// The columns of the window list and the rule list: set up from the stored widths, and the
// widths stored again at exit.
#include "QuellixDlg.h"

#include "ui/Settings.h"
#include "framework/win/App.h"
#include "rules/RuleCells.h"

namespace {

// Column i of a list: the record's, then the window list's program or the rule list's own.
const CListColumn& ListColumn(int listNumber, int i) {
    if (listNumber == Settings::kRuleListNumber)
        return i < kRuleColumnCount ? RuleColumn(i) : kClosedColumn;
    return i < kRecordColumnCount ? RuleColumn(i) : kProgramColumn;
}

} // namespace

void CQuellixDlg::SetupListColumns(CListCtrl& list, int listNumber, int columnCount) {
    list.ModifyStyle(0, LVS_REPORT | LVS_SINGLESEL);
    list.SetExtendedStyle(list.GetExtendedStyle() | LVS_EX_GRIDLINES | LVS_EX_FULLROWSELECT);
    const int dpi = WindowDpi(list);
    for (int i = 0; i < columnCount; ++i)
        InsertListColumn(list, listNumber, i, ListColumn(listNumber, i), dpi);
}

void CQuellixDlg::InsertListColumn(CListCtrl& list, int listNumber, int i,
                                   const CListColumn& column, int dpi) {
    // Named columns took over the width an older version stored by their position, once.
    // Default widths are pixels at 96 DPI; a width the user stored is used as stored.
    const int defaultWidth = ::MulDiv(column.defaultWidth, dpi, 96);
    constexpr UINT kAbsent = 0xFFFFFFFF; // no width stored under the name
    CWinApp* app = AfxGetApp();
    m_strColumnKey = ColumnWidthValueName(column, i, listNumber);
    UINT stored = app->GetProfileIntW(Settings::kSection, m_strColumnKey, kAbsent);
    for (const Settings::CStoredPosition& old : Settings::kStoredPositions) {
        if (stored != kAbsent || column.widthName == nullptr || old.listNumber != listNumber ||
            StringView(old.widthName) != StringView(column.widthName))
            continue;
        m_strColumnKey = ColumnWidthValueName(old.position, listNumber);
        stored = app->GetProfileIntW(Settings::kSection, m_strColumnKey, kAbsent);
    }
    list.InsertColumn(i, column.caption, column.format, StoredColumnWidth(stored, defaultWidth));
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
        m_strColumnKey = ColumnWidthValueName(ListColumn(listNumber, i), i, listNumber);
        AfxGetApp()->WriteProfileInt(Settings::kSection, m_strColumnKey, item.cxy);
    }
}
