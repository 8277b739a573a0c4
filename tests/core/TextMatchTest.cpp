// The ways a rule compares a text: contained, wildcard, regular expression, the program.
#include "engine/Match.h"
#include "rules/Regex.h"
#include "rules/TextMatch.h"

#include <gtest/gtest.h>

#include <string>

namespace {

StringView View(const std::u16string& text) {
    return StringView(reinterpret_cast<const WCHAR16*>(text.data()), text.size());
}

// U+1F600 as its surrogate pair.
#define SMILE u"\xD83D\xDE00"

struct CModeCase {
    TextMode mode;
    const char16_t* pattern;
    const char16_t* text;
    bool match;
};

TEST(TextMatch, ModesAgainstTexts) {
    const CModeCase cases[] = {
        {TextMode::Contains, u"update", u"Update available (3)", true},
        {TextMode::Contains, u"ÄRGER", u"kein ärger hier", true},
        {TextMode::Contains, u"ПРИВЕТ", u"привет мир", true},
        {TextMode::Contains, u"", u"", true},
        {TextMode::Contains, u"abc", u"ab", false},
        {TextMode::Contains, u"2×3", u"2÷3", false}, // signs, not letters: no case to fold
        {TextMode::Contains, u"Ø×", u"ø×", true},
        {TextMode::Contains, u"abd", u"ababc", false},
        {TextMode::Wildcard, u"update available*", u"Update Available (12)", true},
        {TextMode::Wildcard, u"update", u"Update available", false}, // the whole text
        {TextMode::Wildcard, u"*", u"", true},
        {TextMode::Wildcard, u"?", u"", false},
        {TextMode::Wildcard, u"a*b*c", u"aXbYbZc", true},
        {TextMode::Wildcard, u"a*b*c", u"aXbYbZcd", false},
        {TextMode::Wildcard, u"*.exe", u"NOTEPAD.EXE", true},
        {TextMode::Wildcard, u"x?y", u"x" SMILE u"y", true}, // a pair is one character
        {TextMode::Wildcard, u"x??y", u"x" SMILE u"y", false},
        {TextMode::Wildcard, u"*" SMILE, u"smile " SMILE, true},
        {TextMode::Regex, u"^update available \\(\\d+\\)$", u"Update available (12)", true},
        {TextMode::Regex, u"avail", u"Update available", true}, // searched anywhere
        {TextMode::Regex, u"^avail", u"Update available", false},
        {TextMode::Regex, u"x.y", u"x" SMILE u"y", true}, // UTF mode: a pair is one character
        {TextMode::Regex, u"ä", u"Ä", true},
        {TextMode::Regex, u"^привет \\w+$", u"ПРИВЕТ World", true},
        {TextMode::Regex, u"×", u"÷", false},            // no case, no folding
        {TextMode::Regex, u"a", u"\xD800 lone a", true}, // invalid UTF-16 is still searched
        {TextMode::Regex, u"^x.y$", u"x\xDC00y", true},  // a lone surrogate is one character
        {TextMode::Regex, u"^x..y$", u"x\xD800\xD800y", true},
        {TextMode::Regex, u"^x.$", u"x\xD800", true},
    };
    for (const CModeCase& c : cases) {
        const StringView pattern(reinterpret_cast<const WCHAR16*>(c.pattern));
        const StringView text(reinterpret_cast<const WCHAR16*>(c.text));
        const auto regex = c.mode == TextMode::Regex ? CRegex::Compile(pattern) : nullptr;
        EXPECT_EQ(TextMatches(pattern, c.mode, regex.get(), text, false), c.match)
            << int(c.mode) << " " << std::u16string(c.pattern).size() << " on case "
            << (&c - cases);
    }
}

TEST(TextMatch, LongTextsStayLinear) {
    std::u16string text(70000, u'a');
    const StringView view(reinterpret_cast<const WCHAR16*>(text.data()), text.size());
    EXPECT_FALSE(WildcardMatch(view, StringView(_T("*a*a*a*a*a*b"))));
    EXPECT_TRUE(WildcardMatch(view, StringView(_T("a*a*a"))));
    EXPECT_FALSE(ContainsNoCase(view, StringView(_T("aaaab"))));
}

TEST(Regex, PathologicalPatternsStayLinearOrRunOutOfWork) {
    std::u16string text(70000, u'a');
    const StringView view(reinterpret_cast<const WCHAR16*>(text.data()), text.size());
    // Backtracking would take ages on these; without it they need no budget.
    for (const WCHAR16* pattern :
         {_T("(a+)+b"), _T("(a|aa)*c"), _T("^(a*)*$x"), _T("\\w{0,40}\\w{0,40}\\w{0,40}\\d")}) {
        const auto regex = CRegex::Compile(StringView(pattern));
        ASSERT_TRUE(regex);
        EXPECT_FALSE(regex->Search(view));
        EXPECT_FALSE(regex->RanOutOfWork());
    }
    const auto nested = CRegex::Compile(StringView(_T("^(a+)+$")));
    EXPECT_FALSE(nested->Search(StringView(_T("aaaaaaaaaaaaaaaaaa!"))));
    EXPECT_TRUE(nested->Search(StringView(_T("aaaaaaaaaaaaaaaaaa"))));
    // Matcher states that change at every unit: the budget ends the search.
    const auto wide = CRegex::Compile(StringView(_T(".{999}x")));
    ASSERT_TRUE(wide);
    EXPECT_FALSE(wide->Search(view));
    EXPECT_TRUE(wide->RanOutOfWork());
    const auto settled = CRegex::Compile(StringView(_T(".{40}x")));
    EXPECT_TRUE(settled->Search(View(text + u"x")));
    EXPECT_FALSE(settled->RanOutOfWork());
}

TEST(Regex, RefusedPatternSaysWhy) {
    struct {
        const WCHAR16* pattern;
        const WCHAR16* why;
    } const cases[] = {
        {_T("abc(def"), _T("missing closing parenthesis (at \"abc(def\")")},
        {_T("(a)\\1"), _T("back-references")},
        {_T("(?=a)b"), _T("look-ahead and look-behind")},
        {_T("(?<!a)b"), _T("look-ahead and look-behind")},
        {_T("x{1001}"), _T("above 1000")},
    };
    for (const auto& c : cases) {
        CString error;
        EXPECT_FALSE(CRegex::Compile(StringView(c.pattern), &error));
        EXPECT_NE(error.View().find(c.why), StringView::npos) << "case " << (&c - cases);
    }
    const std::u16string huge(CRegex::kMaxPatternLength + 1, u'a');
    CString error;
    EXPECT_FALSE(CRegex::Compile(View(huge), &error));
    EXPECT_NE(error.View().find(_T("too long")), StringView::npos);
}

TEST(ProgramCriterion, FileNameOrFullPathIgnoringCase) {
    struct CCase {
        const WCHAR16* value;
        TextMode mode;
        const WCHAR16* image; // empty: not known
        bool match;
    } const cases[] = {
        {_T("notepad.exe"), TextMode::Is, _T("C:\\Windows\\NOTEPAD.EXE"), true},
        {_T("notepad.exe"), TextMode::Is, _T("C:\\Tools\\notepad.exe.bak"), false},
        {_T("c:\\windows\\notepad.exe"), TextMode::Is, _T("C:\\Windows\\notepad.exe"), true},
        {_T("c:\\other\\notepad.exe"), TextMode::Is, _T("C:\\Windows\\notepad.exe"), false},
        {_T("windows"), TextMode::Contains, _T("C:\\Windows\\notepad.exe"), false},
        {_T("c:\\windows\\*"), TextMode::Wildcard, _T("C:\\Windows\\notepad.exe"), true},
        {_T("^note.*\\.exe$"), TextMode::Regex, _T("C:\\Windows\\notepad.exe"), true},
        {_T("^c:\\\\windows\\\\"), TextMode::Regex, _T("C:\\Windows\\notepad.exe"), true},
        {_T("*"), TextMode::Wildcard, _T(""), false}, // an unknown image matches no program
    };
    for (const auto& c : cases) {
        CRuleSet rules;
        auto rule = std::make_unique<CRule>();
        rule->m_bMatchClass = rule->m_bMatchDimensions = FALSE;
        rule->m_bMatchStyle = rule->m_bMatchExStyle = FALSE;
        rule->m_bMatchProcess = TRUE;
        rule->m_strProcess = c.value;
        rule->m_processMode = c.mode;
        rules.Add(*rule);
        CWindowSnapshot window;
        window.strProcess = StringView(c.image);
        int matches = 0;
        ScanRules(rules, window, [&](int) { ++matches; });
        EXPECT_EQ(matches, c.match ? 1 : 0) << "case " << (&c - cases);
    }
}

} // namespace
