#include "ui/Settings.h"
#include "ui/WindowListCells.h"

#include <gtest/gtest.h>

#include <climits>
#include <vector>

namespace {

// The nine cells of a row as the list draws them.
std::array<CString, kWindowListColumnCount> Cells(int row, const CWindowInfo& info) {
    std::array<CString, kWindowListColumnCount> cells;
    cells[0] = RowNumberText(row);
    for (int column = 1; column < kWindowListColumnCount; ++column)
        cells[static_cast<size_t>(column)] = RecordCellText(info, column);
    return cells;
}

TEST(WindowListColumns, CaptionsWidthsAndOnlyYCentred) {
    const WCHAR16* captions[] = {_T("Sr"),     _T("Window Text"), _T("Window Class"),
                                 _T("X"),      _T("Y"),           _T("Width"),
                                 _T("Height"), _T("Style"),       _T("Ex Style")};
    const int widths[] = {50, 100, 100, 50, 50, 75, 75, 75, 75};
    for (int i = 0; i < kWindowListColumnCount; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(CString(kWindowListColumns[i].caption), captions[i]);
        EXPECT_EQ(kWindowListColumns[i].defaultWidth, widths[i]);
        EXPECT_EQ(kWindowListColumns[i].format, i == 4 ? kColumnAlignCenter : kColumnAlignLeft);
    }
}

TEST(WindowListColumns, WidthValueNamesCountColumnsFromZeroAndListsFromOne) {
    EXPECT_EQ(ColumnWidthValueName(0, 1), _T("Column 0 Of 1"));
    EXPECT_EQ(ColumnWidthValueName(8, 1), _T("Column 8 Of 1"));
    EXPECT_EQ(ColumnWidthValueName(9, 2), _T("Column 9 Of 2"));
    EXPECT_EQ(StoredColumnWidth(4096, 50), 4096);
    EXPECT_EQ(StoredColumnWidth(static_cast<UINT>(-5), 50), 50);
    EXPECT_EQ(StoredColumnWidth(999999, 75), 75);
}

TEST(WindowListCells, SignedDecimalsAndBareLowerCaseHex) {
    CWindowInfo info;
    info.m_strTitle = _T("Untitled - Editor");
    info.m_strClass = _T("EditorFrame");
    info.m_rcWindow = {-8, -8, 1288, 1010};
    info.m_dwStyle = 0x80CF0048u;
    info.m_dwExStyle = 0;
    auto cells = Cells(0, info);
    const WCHAR16* expected[] = {_T("1"),
                                 _T("Untitled - Editor"),
                                 _T("EditorFrame"),
                                 _T("-8"),
                                 _T("-8"),
                                 _T("1296"),
                                 _T("1018"),
                                 _T("80cf0048"),
                                 _T("0")};
    for (int i = 0; i < kWindowListColumnCount; ++i)
        EXPECT_EQ(cells[static_cast<size_t>(i)], expected[i]) << "column " << i;
}

TEST(WindowListCells, RowNumberWidthHeightAndEdgeValues) {
    CWindowInfo info;
    // A window to the left of the primary monitor, and an inverted one.
    info.m_rcWindow = {-1920, 100, -1000, 40};
    info.m_dwStyle = 0xFFFFFFFFu;
    info.m_dwExStyle = 0x00000100u;
    auto cells = Cells(41, info);
    EXPECT_EQ(cells[0], _T("42"));
    EXPECT_EQ(cells[3], _T("-1920"));
    EXPECT_EQ(cells[5], _T("920"));
    EXPECT_EQ(cells[6], _T("-60"));
    EXPECT_EQ(cells[7], _T("ffffffff"));
    EXPECT_EQ(cells[8], _T("100"));
    EXPECT_TRUE(cells[1].IsEmpty());
    EXPECT_TRUE(cells[2].IsEmpty());

    // A width beyond the 32-bit range wraps as the platform's arithmetic does; no overflow.
    info.m_rcWindow = {INT_MIN, 0, INT_MAX, 0};
    EXPECT_EQ(Cells(0, info)[5], _T("-1"));
}

CWindowFacts ListedFacts() {
    CWindowFacts f;
    f.rect = {10, 10, 210, 110};
    f.style = WS_CAPTION;
    return f;
}

TEST(WindowListFilter, EachOptionLeavesOutOnlyItsOwnKind) {
    CWindowListOptions all;
    CWindowListOptions none{FALSE, FALSE, FALSE, FALSE};

    CWindowFacts zero = ListedFacts();
    zero.rect = {-5, 7, -5, 7};
    CWindowFacts thin = ListedFacts();
    thin.rect = {30, 0, 30, 20}; // 0 wide, 20 high
    CWindowFacts flat = ListedFacts();
    flat.rect = {0, 30, 20, 30};
    CWindowFacts disabled = ListedFacts();
    disabled.enabled = FALSE;
    CWindowFacts hidden = ListedFacts();
    hidden.visible = FALSE;
    CWindowFacts borderOnly = ListedFacts();
    borderOnly.style = WS_BORDER | 0x10000000u;
    CWindowFacts dlgFrameOnly = ListedFacts();
    dlgFrameOnly.style = WS_DLGFRAME;

    EXPECT_EQ(FilterWindow(all, ListedFacts()), WindowFilter::Listed);
    EXPECT_EQ(FilterWindow(all, zero), WindowFilter::ZeroDimensions);
    EXPECT_EQ(FilterWindow(all, thin), WindowFilter::Listed);
    EXPECT_EQ(FilterWindow(all, flat), WindowFilter::Listed);
    EXPECT_EQ(FilterWindow(all, disabled), WindowFilter::Disabled);
    EXPECT_EQ(FilterWindow(all, hidden), WindowFilter::Hidden);
    EXPECT_EQ(FilterWindow(all, borderOnly), WindowFilter::NoCaption);
    EXPECT_EQ(FilterWindow(all, dlgFrameOnly), WindowFilter::NoCaption);

    for (const CWindowFacts& f : {zero, disabled, hidden, borderOnly})
        EXPECT_EQ(FilterWindow(none, f), WindowFilter::Listed);

    // Turning one option off lets exactly its kind through.
    CWindowListOptions o = all;
    o.hideZeroDimensions = FALSE;
    EXPECT_EQ(FilterWindow(o, zero), WindowFilter::Listed);
    o = all;
    o.hideDisabled = FALSE;
    EXPECT_EQ(FilterWindow(o, disabled), WindowFilter::Listed);
    EXPECT_EQ(FilterWindow(o, hidden), WindowFilter::Hidden);
    o = all;
    o.hideHidden = FALSE;
    EXPECT_EQ(FilterWindow(o, hidden), WindowFilter::Listed);
    o = all;
    o.hideWithoutCaption = FALSE;
    EXPECT_EQ(FilterWindow(o, borderOnly), WindowFilter::Listed);
}

TEST(WindowListFilter, FirstFailingTestNamesTheReason) {
    // A window that vanished reads as all zeros: zero-sized, disabled, hidden, no caption.
    CWindowFacts gone;
    gone.enabled = FALSE;
    gone.visible = FALSE;
    CWindowListOptions all;
    EXPECT_EQ(FilterWindow(all, gone), WindowFilter::ZeroDimensions);
    all.hideZeroDimensions = FALSE;
    EXPECT_EQ(FilterWindow(all, gone), WindowFilter::Disabled);
    all.hideDisabled = FALSE;
    EXPECT_EQ(FilterWindow(all, gone), WindowFilter::Hidden);
    all.hideHidden = FALSE;
    EXPECT_EQ(FilterWindow(all, gone), WindowFilter::NoCaption);
}

// Records the steps taken; `answers` lists, per WM_GETICON wParam, the icon (0 = none) or
// -1 for a window that does not answer in time.
struct IconProbe {
    std::vector<int> messages;
    std::vector<int> classIndices;
    int smallIcon2 = 0, smallIcon = 0, bigIcon = 0, classIcon = 0, classIconSm = 0;

    int Look() {
        return LookUpIcon<int>(
            [&](int wParam) {
                messages.push_back(wParam);
                int v = wParam == 2 ? smallIcon2 : wParam == 0 ? smallIcon : bigIcon;
                return CIconAnswer<int>{v >= 0, v < 0 ? 0 : v};
            },
            [&](int index) {
                classIndices.push_back(index);
                return index == -14 ? classIcon : classIconSm;
            });
    }
};

TEST(WindowIconLookup, StepsInOrderAndFirstIconWins) {
    IconProbe none;
    EXPECT_EQ(none.Look(), 0);
    EXPECT_EQ(none.messages, (std::vector<int>{2, 0, 1}));
    EXPECT_EQ(none.classIndices, (std::vector<int>{-14, -34}));

    IconProbe small2;
    small2.smallIcon2 = 7;
    small2.bigIcon = 9;
    small2.classIcon = 11;
    EXPECT_EQ(small2.Look(), 7);
    EXPECT_EQ(small2.messages, (std::vector<int>{2}));
    EXPECT_TRUE(small2.classIndices.empty());

    IconProbe big;
    big.bigIcon = 9;
    big.classIconSm = 13;
    EXPECT_EQ(big.Look(), 9);
    EXPECT_EQ(big.messages, (std::vector<int>{2, 0, 1}));

    IconProbe classSmall;
    classSmall.classIconSm = 13;
    EXPECT_EQ(classSmall.Look(), 13);
    EXPECT_EQ(classSmall.classIndices, (std::vector<int>{-14, -34}));
}

TEST(WindowIconLookup, AHungWindowIsAskedOnceButItsClassIconsStillCount) {
    IconProbe hung;
    hung.smallIcon2 = -1;
    hung.smallIcon = -1;
    hung.bigIcon = -1;
    hung.classIcon = 21;
    EXPECT_EQ(hung.Look(), 21);
    EXPECT_EQ(hung.messages, (std::vector<int>{2}));

    // Timing out on a later message also stops the remaining ones.
    IconProbe late;
    late.smallIcon = -1;
    late.bigIcon = 5;
    EXPECT_EQ(late.Look(), 0);
    EXPECT_EQ(late.messages, (std::vector<int>{2, 0}));
    EXPECT_EQ(late.classIndices, (std::vector<int>{-14, -34}));
}

} // namespace
