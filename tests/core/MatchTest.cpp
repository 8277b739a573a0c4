#include "engine/Match.h"
#include "tests/core/ReferenceMatch.h"
#include "engine/Report.h"

#include <gtest/gtest.h>

#include <climits>
#include <vector>

namespace {

// A window as the tests describe it; Snapshot() views its texts.
struct TestWindow {
    CString title = _T("abc");
    CString cls = _T("XY");
    RECT rc = {10, 20, 110, 220};
    DWORD style = 0x16CF0000;
    DWORD exStyle = 0x100;

    CWindowSnapshot Snapshot() const { return {title.View(), cls.View(), rc, style, exStyle, {}}; }
};

// Records the window into the rule, with no criterion set.
void Record(CRule& rule, const TestWindow& w) {
    rule.m_strTitle = w.title;
    rule.m_strClass = w.cls;
    rule.m_rcWindow = w.rc;
    rule.m_dwStyle = w.style;
    rule.m_dwExStyle = w.exStyle;
    rule.m_bMatchTitle = rule.m_bMatchClass = rule.m_bMatchLocation = FALSE;
    rule.m_bMatchDimensions = rule.m_bMatchStyle = rule.m_bMatchExStyle = FALSE;
}

TEST(Match, ARuleThatEveryWindowWouldPassIsKeptButMatchesNoWindow) {
    CRule none;
    Record(none, TestWindow{});
    CRule everyTitle = none;
    everyTitle.m_bMatchTitle = TRUE;
    everyTitle.m_titleMode = TextMode::Wildcard;
    everyTitle.m_strTitle = _T("**");
    CRuleSet rules;
    rules.Add(none);
    rules.Add(everyTitle);
    const TestWindow other{_T("x"), _T("y"), {-5, -5, 0, 0}, 0xFFFFFFFF, 0};
    for (const CWindowSnapshot& window : {CWindowSnapshot{}, other.Snapshot()})
        ScanRules(rules, window, [](int i) { ADD_FAILURE() << "rule " << i << " matched"; });
    EXPECT_FALSE(rules.IsUsable(0));
    EXPECT_FALSE(rules.IsUsable(1));
    EXPECT_EQ(rules.GetAt(1).m_strTitle, _T("**")); // nothing of it is lost
}

TEST(Match, DefaultCriteriaMatchTheRecordedWindowAnywhereWithAnyTitle) {
    TestWindow w;
    CRule rule;
    rule.m_strClass = w.cls;
    rule.m_rcWindow = w.rc;
    rule.m_dwStyle = w.style;
    rule.m_dwExStyle = w.exStyle;
    w.title = _T("another caption");
    w.rc = {300, 400, 400, 600};
    EXPECT_TRUE(MatchesRule(rule, w.Snapshot()));
    w.cls = _T("XZ");
    EXPECT_FALSE(MatchesRule(rule, w.Snapshot()));
}

TEST(Match, EachCriterionIsTestedOnlyWhenItsFlagIsSetAndAnyNonZeroSetsIt) {
    TestWindow recorded;
    TestWindow differs{_T("abd"), _T("XZ"), {11, 21, 112, 223}, 0x16CF0001, 0x101};
    BOOL CRule::*flags[] = {&CRule::m_bMatchTitle,    &CRule::m_bMatchClass,
                            &CRule::m_bMatchLocation, &CRule::m_bMatchDimensions,
                            &CRule::m_bMatchStyle,    &CRule::m_bMatchExStyle};
    for (BOOL CRule::*flag : flags) {
        for (BOOL value : {1, 2, -1}) {
            CRule rule;
            Record(rule, recorded);
            rule.*flag = value;
            EXPECT_TRUE(MatchesRule(rule, recorded.Snapshot()));
            EXPECT_FALSE(MatchesRule(rule, differs.Snapshot())) << "flag value " << value;
        }
    }
}

TEST(Match, TextsAreWholeAndCaseSensitive) {
    TestWindow w{_T("Setup"), _T("Setup")};
    CRule byTitle;
    Record(byTitle, w);
    byTitle.m_bMatchTitle = TRUE;
    CRule byClass;
    Record(byClass, w);
    byClass.m_bMatchClass = TRUE;
    for (const WCHAR16* text :
         {_T("setup"), _T("SETUP"), _T("Setup "), _T(" Setup"), _T("Setu"), _T("Setup2"), _T("")}) {
        TestWindow other{text, text};
        EXPECT_FALSE(MatchesRule(byTitle, other.Snapshot()));
        EXPECT_FALSE(MatchesRule(byClass, other.Snapshot()));
    }
    TestWindow same{_T("Setup"), _T("Setup"), {0, 0, 1, 1}, 0, 0};
    EXPECT_TRUE(MatchesRule(byTitle, same.Snapshot()));
    EXPECT_TRUE(MatchesRule(byClass, same.Snapshot()));
}

TEST(Match, TextsCompareUnitByUnitIncludingSurrogatesAndEmbeddedZeros) {
    const WCHAR16 face[] = {u'a', 0xD83D, 0xDE00, 0};
    const WCHAR16 otherFace[] = {u'a', 0xD83D, 0xDE01, 0};
    TestWindow w{face};
    CRule rule;
    Record(rule, w);
    rule.m_bMatchTitle = TRUE;
    EXPECT_TRUE(MatchesRule(rule, w.Snapshot()));
    EXPECT_FALSE(MatchesRule(rule, TestWindow{otherFace}.Snapshot()));
    // A view that runs past a zero unit is not the shorter caption.
    const WCHAR16 longer[] = {u'a', 0xD83D, 0xDE00, 0, u'b'};
    CWindowSnapshot s = w.Snapshot();
    s.strTitle = StringView(longer, 5);
    EXPECT_FALSE(MatchesRule(rule, s));
}

TEST(Match, LocationIsLeftAndTopWhateverTheSize) {
    TestWindow w{.rc = {-1920, -30, 0, 1050}};
    CRule rule;
    Record(rule, w);
    rule.m_bMatchLocation = TRUE;
    TestWindow resized{.rc = {-1920, -30, -1000, 10}};
    EXPECT_TRUE(MatchesRule(rule, resized.Snapshot()));
    for (RECT moved : {RECT{-1919, -30, 1, 1050}, RECT{-1921, -30, -1, 1050},
                       RECT{-1920, -29, 0, 1051}, RECT{-1920, -31, 0, 1049}}) {
        TestWindow m{.rc = moved};
        EXPECT_FALSE(MatchesRule(rule, m.Snapshot()));
    }
}

TEST(Match, DimensionsAreWidthAndHeightAnywhere) {
    TestWindow w;
    CRule rule;
    Record(rule, w);
    rule.m_bMatchDimensions = TRUE;
    TestWindow moved{.rc = {-500, 700, -400, 900}};
    EXPECT_TRUE(MatchesRule(rule, moved.Snapshot()));
    for (RECT other : {RECT{10, 20, 111, 220}, RECT{10, 20, 109, 220}, RECT{10, 20, 110, 221},
                       RECT{10, 20, 110, 219}, RECT{0, 0, 200, 100}}) {
        TestWindow o{.rc = other};
        EXPECT_FALSE(MatchesRule(rule, o.Snapshot()));
    }
}

TEST(Match, ExtremeRectanglesNeitherOverflowNorMatchByAccident) {
    TestWindow huge{.rc = {INT_MIN, INT_MIN, INT_MAX, INT_MAX}};
    CRule rule;
    Record(rule, huge);
    rule.m_bMatchDimensions = TRUE;
    EXPECT_TRUE(MatchesRule(rule, huge.Snapshot()));
    EXPECT_FALSE(MatchesRule(rule, TestWindow{}.Snapshot()));
}

TEST(Match, EveryStyleBitCounts) {
    TestWindow w{.style = 0x16CF0000, .exStyle = 0x00000100};
    CRule byStyle;
    Record(byStyle, w);
    byStyle.m_bMatchStyle = TRUE;
    CRule byExStyle;
    Record(byExStyle, w);
    byExStyle.m_bMatchExStyle = TRUE;
    for (int bit = 0; bit < 32; ++bit) {
        TestWindow s = w;
        s.style ^= DWORD{1} << bit;
        EXPECT_FALSE(MatchesRule(byStyle, s.Snapshot())) << "style bit " << bit;
        EXPECT_TRUE(MatchesRule(byExStyle, s.Snapshot()));
        TestWindow e = w;
        e.exStyle ^= DWORD{1} << bit;
        EXPECT_FALSE(MatchesRule(byExStyle, e.Snapshot())) << "ex style bit " << bit;
        EXPECT_TRUE(MatchesRule(byStyle, e.Snapshot()));
    }
}

// The rule set's scan gives exactly the rules that the plain matcher accepts, whatever subset
// of criteria each rule sets and whichever property a window changes.
TEST(Match, ScanOfTheRuleSetAgreesWithTheMatcher) {
    const TestWindow recorded;
    const TestWindow windows[] = {
        recorded,
        {_T("abd"), _T("XY"), recorded.rc, recorded.style, recorded.exStyle}, // same length
        // Same length and same hash as "abc": only the full comparison tells them apart.
        {_T("A\u7063\u00D4"), _T("XY"), recorded.rc, recorded.style, recorded.exStyle},
        {_T("ab"), _T("XY"), recorded.rc, recorded.style, recorded.exStyle},
        {_T("abc"), _T("XYZ"), recorded.rc, recorded.style, recorded.exStyle},
        {_T("abc"), _T("XY"), {11, 20, 111, 220}, recorded.style, recorded.exStyle},
        {_T("abc"), _T("XY"), {10, 20, 110, 221}, recorded.style, recorded.exStyle},
        {_T("abc"), _T("XY"), recorded.rc, 0x16CF0001, recorded.exStyle},
        {_T("abc"), _T("XY"), recorded.rc, recorded.style, 0},
        {_T(""), _T(""), {0, 0, 0, 0}, 0, 0},
    };
    ASSERT_EQ(TextHash(windows[2].title.View()), TextHash(recorded.title.View()));
    CRuleSet rules;
    for (int flags = 0; flags < 64; ++flags) {
        auto rule = std::make_unique<CRule>();
        Record(*rule, recorded);
        rule->m_bMatchTitle = flags & 1;
        rule->m_bMatchClass = (flags >> 1) & 1;
        rule->m_bMatchLocation = (flags >> 2) & 1;
        rule->m_bMatchDimensions = (flags >> 3) & 1;
        rule->m_bMatchStyle = (flags >> 4) & 1;
        rule->m_bMatchExStyle = (flags >> 5) & 1;
        rules.Add(*rule);
    }
    for (const TestWindow& w : windows) {
        std::vector<int> scanned, expected;
        ScanRules(rules, w.Snapshot(), [&](int i) { scanned.push_back(i); });
        for (int i = 0; i < rules.GetCount(); ++i)
            if (MatchesRule(rules.GetAt(i), w.Snapshot()))
                expected.push_back(i);
        EXPECT_EQ(scanned, expected);
    }
}

// A dialog's message as the reader gives it, counting the reads.
struct TestMessage : IWindowMessage {
    const WCHAR16* text = _T("Save changes to Notes?");
    bool readable = true;
    int reads = 0;
    bool Read(StringView& out) override {
        ++reads;
        out = text;
        return readable;
    }
};

// The message is the last criterion: never read for a window that another one refuses, nor
// for one that is not a dialog; unread, it matches nothing.
TEST(Match, TheMessageIsReadOnlyForADialogEveryOtherCriterionAdmits) {
    TestWindow dialog;
    dialog.cls = kDialogClass;
    CRule rule;
    Record(rule, dialog);
    rule.m_bMatchDimensions = TRUE;
    rule.m_bMatchMessage = TRUE;
    rule.m_strMessage = _T("save changes");
    CRuleSet rules;
    rules.Add(rule);
    rule.m_bMatchTitle = TRUE;
    rule.m_titleMode = TextMode::Contains;
    rule.m_strTitle = _T("other");
    rules.Add(rule);

    TestMessage message;
    CWindowSnapshot window = dialog.Snapshot();
    window.pMessage = &message;
    std::vector<int> matched;
    ScanRules(rules, window, [&](int i) { matched.push_back(i); });
    EXPECT_EQ(matched, std::vector<int>{0});
    EXPECT_EQ(message.reads, 1);

    message.text = _T("Discard the draft?");
    EXPECT_FALSE(RuleMatches(rules, 0, window));
    message.readable = false;
    message.text = _T("Save changes");
    EXPECT_FALSE(RuleMatches(rules, 0, window));

    message = TestMessage();
    const TestWindow wide{
        dialog.title, dialog.cls, {10, 20, 111, 220}, dialog.style, dialog.exStyle};
    window = wide.Snapshot();
    window.pMessage = &message;
    EXPECT_FALSE(RuleMatches(rules, 0, window));
    const TestWindow plain{dialog.title, _T("Notes"), dialog.rc, dialog.style, dialog.exStyle};
    window = plain.Snapshot();
    window.pMessage = &message;
    EXPECT_FALSE(RuleMatches(rules, 0, window));
    EXPECT_EQ(message.reads, 0);
}

} // namespace
