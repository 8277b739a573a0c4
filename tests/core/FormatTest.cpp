#include "framework/String.h"
#include "framework/Utf8.h"

#include <gtest/gtest.h>

#include <iterator>

namespace {

CString Fmt(const WCHAR16* format, auto... args) {
    CString s;
    s.Format(format, args...);
    return s;
}

TEST(Format, DecimalIsSignedAndHexIsLowerCaseWithoutPadding) {
    EXPECT_EQ(Fmt(_T("%d"), -8), _T("-8"));
    EXPECT_EQ(Fmt(_T("%d"), 0), _T("0"));
    EXPECT_EQ(Fmt(_T("%d"), -2147483647 - 1), _T("-2147483648"));
    EXPECT_EQ(Fmt(_T("%x"), 0x80CF0048u), _T("80cf0048"));
    EXPECT_EQ(Fmt(_T("%x"), 0u), _T("0"));
    // A 32-bit unsigned value printed with %d reads as signed, as printf would.
    EXPECT_EQ(Fmt(_T("%d"), 0xFFFFFFFFu), _T("-1"));
    // A negative value printed with %x shows its 32-bit pattern.
    EXPECT_EQ(Fmt(_T("%x"), -1), _T("ffffffff"));
}

TEST(Format, StringsPercentAndArgumentOrder) {
    CString title(_T("abc"));
    EXPECT_EQ(Fmt(_T("Column %d Of %d"), 3, 1), _T("Column 3 Of 1"));
    EXPECT_EQ(Fmt(_T("%s - %s"), title, _T("XY")), _T("abc - XY"));
    EXPECT_EQ(Fmt(_T("100%% %s"), _T("")), _T("100% "));
    // A string with a percent sign is data, never a format.
    EXPECT_EQ(Fmt(_T("%s"), _T("%d%s")), _T("%d%s"));
}

TEST(Format, MissingArgumentsPrintNothing) {
    EXPECT_EQ(Fmt(_T("a%db")), _T("ab"));
    EXPECT_EQ(Fmt(_T("trailing %")), _T("trailing %"));
}

TEST(Format, UnitsBeyondTheBasicPlaneStayAsSurrogatePairs) {
    const WCHAR16 text[] = {0xD83D, 0xDE00, 0};
    CString s = Fmt(_T("[%s]"), text);
    ASSERT_EQ(s.GetLength(), 4);
    EXPECT_EQ(s.GetAt(1), 0xD83D);
    EXPECT_EQ(s.GetAt(2), 0xDE00);
}

TEST(UnitsThatFit, ACutNeverSplitsASurrogatePair) {
    const WCHAR16 text[] = {u'a', 0xD83D, 0xDE00, u'b', 0};
    const StringView view(text);
    const size_t expected[] = {0, 1, 1, 3, 4, 4}; // for room 0 .. 5
    for (size_t room = 0; room < std::size(expected); ++room)
        EXPECT_EQ(UnitsThatFit(view, room), expected[room]) << "room " << room;
}

TEST(StringReplace, CollapsesPairsInOneLeftToRightPass) {
    CString s(_T("C:\\\\\\Users\\\\x"));
    s.Replace(_T("\\\\"), _T("\\"));
    // Three backslashes become two: the pass does not look at its own output.
    EXPECT_EQ(s, _T("C:\\\\Users\\x"));
}

TEST(VisibleText, ControlsSeparatorsAndBidiControlsBecomeEscapes) {
    const WCHAR16 text[] = {u'a',   u'\t',  u'b',   u'\r',  u'\n', 0x1B,   0x85, 0x2028,
                            0x202E, 0x2067, 0x061C, 0x200F, u'\\', 0x00E9, 0};
    EXPECT_EQ(ToUtf8(VisibleText(text).View()),
              "a\\tb\\r\\n\\u001B\\u0085\\u2028\\u202E\\u2067\\u061C\\u200F\\\xc3\xa9");
}

TEST(VisibleText, ALongerTextIsCutWithAnEllipsisNeverInsideAnEscapeOrAPair) {
    using Units = std::basic_string<WCHAR16>;
    const Units exact(256, u'x');
    EXPECT_EQ(VisibleText(exact, 256).GetLength(), 256);
    const Units tab = Units(255, u'x') + WCHAR16(u'\t');
    const Units pair = Units(255, u'x') + WCHAR16(0xD83D) + WCHAR16(0xDE00);
    for (const Units& t : {exact + WCHAR16(u'y'), tab, pair}) {
        const CString cut = VisibleText(t, 256);
        ASSERT_EQ(cut.GetLength(), t == tab || t == pair ? 256 : 257);
        EXPECT_EQ(cut.GetAt(cut.GetLength() - 2), u'x');
        EXPECT_EQ(cut.GetAt(cut.GetLength() - 1), 0x2026);
    }
    EXPECT_EQ(VisibleText(tab).GetLength(), 257);
}

} // namespace
