#include "rules/Rule.h"

#include <gtest/gtest.h>

namespace {

TEST(WindowInfo, NewRecordAsksForClassDimensionsAndStylesAndClosesAfter100Ms) {
    CWindowInfo info;
    EXPECT_TRUE(info.m_strTitle.IsEmpty());
    EXPECT_TRUE(info.m_strClass.IsEmpty());
    EXPECT_EQ(info.m_hWnd, nullptr);
    EXPECT_EQ(info.m_rcWindow.left, 0);
    EXPECT_EQ(info.m_rcWindow.top, 0);
    EXPECT_EQ(info.m_rcWindow.right, 0);
    EXPECT_EQ(info.m_rcWindow.bottom, 0);
    EXPECT_EQ(info.m_dwStyle, 0u);
    EXPECT_EQ(info.m_dwExStyle, 0u);
    EXPECT_EQ(info.m_bMatchTitle, FALSE);
    EXPECT_EQ(info.m_bMatchClass, TRUE);
    EXPECT_EQ(info.m_bMatchLocation, FALSE);
    EXPECT_EQ(info.m_bMatchDimensions, TRUE);
    EXPECT_EQ(info.m_bMatchStyle, TRUE);
    EXPECT_EQ(info.m_bMatchExStyle, TRUE);
    EXPECT_EQ(info.m_nDelayMs, 100);
}

TEST(WindowInfo, ARuleFromAWindowTakesEverythingButTheWindowAndGoesBackToTheRecord) {
    CWindowInfo row;
    row.m_strTitle = _T("Save changes?");
    row.m_strClass = _T("#32770");
    row.m_hWnd = reinterpret_cast<HWND>(static_cast<UINT_PTR>(0x1234));
    row.m_rcWindow = {-8, -8, 1288, 1008};
    row.m_dwStyle = 0x80CF0048u;
    row.m_dwExStyle = 0x100u;
    // Flags are copied as they are, a non-zero "true" of 2 included.
    row.m_bMatchTitle = 2;
    row.m_bMatchClass = FALSE;
    row.m_bMatchLocation = TRUE;
    row.m_bMatchDimensions = FALSE;
    row.m_bMatchStyle = -1;
    row.m_bMatchExStyle = FALSE;
    row.m_nDelayMs = -5;

    row.m_strProcess = _T("C:\\Apps\\nag.exe");

    const CRule made = RuleFromWindow(row);
    const CRule* rule = &made;
    EXPECT_EQ(rule->m_strProcess, row.m_strProcess);
    EXPECT_FALSE(rule->m_bMatchProcess);
    EXPECT_EQ(rule->m_strTitle, row.m_strTitle);
    EXPECT_EQ(rule->m_strClass, row.m_strClass);
    EXPECT_EQ(rule->m_rcWindow.left, -8);
    EXPECT_EQ(rule->m_rcWindow.top, -8);
    EXPECT_EQ(rule->m_rcWindow.right, 1288);
    EXPECT_EQ(rule->m_rcWindow.bottom, 1008);
    EXPECT_EQ(rule->m_dwStyle, 0x80CF0048u);
    EXPECT_EQ(rule->m_dwExStyle, 0x100u);
    EXPECT_EQ(rule->m_bMatchTitle, 2);
    EXPECT_EQ(rule->m_bMatchClass, FALSE);
    EXPECT_EQ(rule->m_bMatchLocation, TRUE);
    EXPECT_EQ(rule->m_bMatchDimensions, FALSE);
    EXPECT_EQ(rule->m_bMatchStyle, -1);
    EXPECT_EQ(rule->m_bMatchExStyle, FALSE);
    EXPECT_EQ(rule->m_nDelayMs, -5);

    // The copy owns its own strings.
    row.m_strTitle = _T("changed");
    EXPECT_EQ(rule->m_strTitle, _T("Save changes?"));

    const CWindowInfo record = RecordOf(made);
    EXPECT_EQ(record.m_hWnd, nullptr);
    EXPECT_EQ(record.m_strTitle, _T("Save changes?"));
    EXPECT_EQ(record.m_bMatchStyle, -1);
    EXPECT_EQ(record.m_nDelayMs, -5);
}

} // namespace
