// The status line's report of the foreground window.
#include "engine/Report.h"

#include <gtest/gtest.h>

namespace {

TEST(Report, LineOfTheForegroundWindow) {
    const CWindowSnapshot w{_T("abc"), _T("XY"), {10, 20, 110, 220}, 0x16CF0000, 0x100, {}};
    EXPECT_EQ(FormatForegroundReport(_T("1/2/2024 3:04:05 PM"), w),
              _T("1/2/2024 3:04:05 PM - Title : abc, Class : XY, X : 10, Y : 20, Width : 100, ")
              _T("Height : 200, Style : 16cf0000, Ex Style : 100"));
}

TEST(Report, GoneWindowNegativeNumbersAndHighBits) {
    EXPECT_EQ(FormatForegroundReport(kInvalidDateTime, CWindowSnapshot{}),
              _T("Invalid DateTime - Title : , Class : , X : 0, Y : 0, Width : 0, Height : 0, ")
              _T("Style : 0, Ex Style : 0"));
    // Texts with percent signs are data; a reversed rectangle gives negative sizes.
    const CWindowSnapshot w{_T("100% %s"), _T("%d"),   {-8, -9, -10, -12},
                            0x80000000,    0xFFFFFFFF, {}};
    EXPECT_EQ(FormatForegroundReport(_T("t"), w),
              _T("t - Title : 100% %s, Class : %d, X : -8, Y : -9, Width : -2, Height : -3, ")
              _T("Style : 80000000, Ex Style : ffffffff"));
}

} // namespace
