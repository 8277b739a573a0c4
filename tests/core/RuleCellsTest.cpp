// Rule-list cells.
#include "rules/RuleCells.h"

#include <gtest/gtest.h>

namespace {

std::vector<CString> Cells(const CRule& rule) {
    std::vector<CString> cells;
    for (int column = 1; column <= kRuleDelayColumn; ++column)
        cells.push_back(RuleCellText(rule, column));
    return cells;
}

TEST(RuleCells, DefaultCriteriaLeaveTitleAndLocationEmpty) {
    CRule rule;
    rule.m_strTitle = _T("Untitled - Editor");
    rule.m_strClass = _T("EditorClass");
    rule.m_rcWindow = {-1280, -20, 100, 580};
    rule.m_dwStyle = 0x94C80000;
    rule.m_dwExStyle = 0;
    const std::vector<CString> expected = {_T(""),         _T("EditorClass"), _T(""),
                                           _T(""),         _T("1380"),        _T("600"),
                                           _T("94c80000"), _T("0"),           _T("100")};
    EXPECT_EQ(Cells(rule), expected);
}

TEST(RuleCells, EveryCriterionShowsItsValueAndDelayAlwaysShows) {
    CRule rule;
    rule.m_strTitle = _T("T");
    rule.m_strClass = _T("C");
    rule.m_rcWindow = {-1280, -20, -1000, 0};
    rule.m_dwStyle = 0x16CF0000;
    rule.m_dwExStyle = 0x100;
    rule.m_bMatchTitle = rule.m_bMatchLocation = 2; // any non-zero value counts as set
    rule.m_nDelayMs = -5;
    const std::vector<CString> all = {_T("T"),  _T("C"),        _T("-1280"), _T("-20"), _T("280"),
                                      _T("20"), _T("16cf0000"), _T("100"),   _T("-5")};
    EXPECT_EQ(Cells(rule), all);

    rule.m_bMatchTitle = rule.m_bMatchClass = rule.m_bMatchLocation = 0;
    rule.m_bMatchDimensions = rule.m_bMatchStyle = rule.m_bMatchExStyle = 0;
    const std::vector<CString> delayOnly(8, CString());
    std::vector<CString> cells = Cells(rule);
    EXPECT_EQ(cells.back(), _T("-5"));
    cells.pop_back();
    EXPECT_EQ(cells, delayOnly);
}

TEST(RuleCells, RowNumbersCountFromOneAndTheDelayColumnFollowsTheRecordColumns) {
    EXPECT_EQ(RowNumberText(0), _T("1"));
    EXPECT_EQ(RowNumberText(41), _T("42"));
    ASSERT_EQ(kRuleColumnCount, 13);
    EXPECT_EQ(StringView(kDelayColumn.caption), StringView(_T("Delay")));
    EXPECT_EQ(kDelayColumn.defaultWidth, 75);
    EXPECT_EQ(kDelayColumn.format, kColumnAlignLeft);
}

TEST(RuleCells, ProgramNameAndCompareModes) {
    CRule rule;
    rule.m_strTitle = _T("Update*");
    rule.m_bMatchTitle = TRUE;
    rule.m_titleMode = TextMode::Wildcard;
    rule.m_strProcess = _T("updater.exe");
    rule.m_strName = _T("updates");
    EXPECT_EQ(RuleCellText(rule, 1), _T("wildcard: Update*"));
    EXPECT_EQ(RuleCellText(rule, kRuleProgramColumn), _T("")); // not a criterion
    rule.m_bMatchProcess = TRUE;
    EXPECT_EQ(RuleCellText(rule, kRuleProgramColumn), _T("updater.exe"));
    EXPECT_EQ(RuleCellText(rule, kRuleNameColumn), _T("updates"));
    EXPECT_EQ(StringView(RuleColumn(kRuleNameColumn).caption), StringView(_T("Name")));
}

} // namespace
