#include "framework/LayoutMath.h"
#include "framework/Parse.h"

#include <gtest/gtest.h>

namespace {

TEST(LayoutRect, ControlsFollowTheirShareOfTheSizeChange) {
    const RECT button = {600, 250, 700, 290};
    // Bottom-right anchored: moves by the whole change, keeps its size.
    RECT r = LayoutRect(button, {100, 100, 0, 0}, 200, 100);
    EXPECT_EQ(r.left, 800);
    EXPECT_EQ(r.top, 350);
    EXPECT_EQ(r.right - r.left, 100);
    EXPECT_EQ(r.bottom - r.top, 40);
    // Half the horizontal change, whole vertical.
    r = LayoutRect(button, {50, 100, 0, 0}, 201, 10);
    EXPECT_EQ(r.left, 700);
    EXPECT_EQ(r.top, 260);
    // Grows both ways from a fixed corner.
    const RECT list = {10, 40, 760, 240};
    r = LayoutRect(list, {0, 0, 100, 100}, 30, 20);
    EXPECT_EQ(r.left, 10);
    EXPECT_EQ(r.top, 40);
    EXPECT_EQ(r.right, 790);
    EXPECT_EQ(r.bottom, 260);
    // Follows the bottom edge and widens, keeping its height.
    r = LayoutRect(list, {0, 100, 100, 0}, 30, 20);
    EXPECT_EQ(r.top, 60);
    EXPECT_EQ(r.bottom - r.top, 200);
    EXPECT_EQ(r.right, 790);
}

TEST(ParseInt32, AcceptsSignedNumbersInRangeWithBlanks) {
    int v = 7;
    EXPECT_TRUE(ParseInt32(_T("0"), v));
    EXPECT_EQ(v, 0);
    EXPECT_TRUE(ParseInt32(_T(" 250 "), v));
    EXPECT_EQ(v, 250);
    EXPECT_TRUE(ParseInt32(_T("-100"), v));
    EXPECT_EQ(v, -100);
    EXPECT_TRUE(ParseInt32(_T("2147483647"), v));
    EXPECT_EQ(v, 2147483647);
    EXPECT_TRUE(ParseInt32(_T("-2147483648"), v));
    EXPECT_EQ(v, -2147483647 - 1);
}

TEST(ParseInt32, RefusesEmptyTextGarbageAndOutOfRangeValues) {
    int v = 42;
    for (const WCHAR16* bad : {_T(""), _T("   "), _T("-"), _T("12a"), _T("1 2"), _T("2147483648"),
                               _T("-2147483649"), _T("99999999999999999999"), _T("0x10")}) {
        EXPECT_FALSE(ParseInt32(bad, v)) << StringView(bad).size();
        EXPECT_EQ(v, 42);
    }
}

} // namespace
