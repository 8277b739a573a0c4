// The texts about matches: the editor's live line and the Apply question.
#include "ui/MatchText.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

std::string Narrow(const CString& text) {
    return std::string(text.View().begin(), text.View().end());
}

std::vector<CString> Captions(int n) {
    std::vector<CString> captions;
    for (int i = 0; i < n; ++i) {
        CString c;
        c.Format(_T("W%d"), i);
        captions.push_back(c);
    }
    return captions;
}

TEST(MatchText, TheLiveLineWarnsFirstThenCountsAndListsAFew) {
    struct Case {
        std::vector<CString> captions;
        int own;
        bool ifEnabled;
        const char* text;
    } cases[] = {
        {{}, 0, false, "Matches no open window"},
        {{}, 0, true, "Matches no open window if enabled"},
        {{_T("")}, 0, false, "Matches 1 open window: (no caption)"},
        {{_T("Untitled - Notepad"), _T("Notes - Notepad")},
         0,
         true,
         "Matches 2 open windows if enabled: Untitled - Notepad; Notes - Notepad"},
        {{_T("A\tB\r\nC")},
         1,
         false,
         "Warning: it matches Quellix's own windows (never closed). Matches 1 open window: "
         "A\\tB\\r\\nC"},
        {Captions(5), 0, false, "Matches 5 open windows: W0; W1; W2; W3; W4"},
        {Captions(10), 0, false, "Matches 10 open windows: W0; W1; W2; W3; W4; ..."},
        {Captions(11), 0, false,
         "Warning: it matches more than 10 windows. Matches 11 open windows: W0; W1; W2; W3; W4; "
         "..."},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Narrow(MatchLineText(c.captions, c.own, c.ifEnabled)), c.text);
    // A long caption is cut: the line stays a line.
    const std::basic_string<WCHAR16> huge(70000, _T('x'));
    EXPECT_EQ(MatchLineText({CString(StringView(huge))}, 0).GetLength(),
              static_cast<int>(std::string("Matches 1 open window: ").size()) + 257);
}

TEST(MatchText, TheApplyQuestionListsAtMostItsLimit) {
    EXPECT_EQ(Narrow(ApplyQuestionText(Captions(3), 2)),
              "The rules match 3 open windows. Close them now?\r\n\r\nW0\r\nW1\r\n... and 1 more");
    EXPECT_EQ(Narrow(ApplyQuestionText(Captions(1), 2)),
              "The rules match 1 open window. Close it now?\r\n\r\nW0");
    // Another program's tab and line ends add no line to the question.
    EXPECT_EQ(Narrow(ApplyQuestionText({CString(_T("Mail\tInbox\r\nFake line"))}, 2)),
              "The rules match 1 open window. Close it now?\r\n\r\nMail\\tInbox\\r\\nFake line");
}

} // namespace
