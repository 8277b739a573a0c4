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

TEST(MatchText, TheLiveLineCountsListsAFewAndWarns) {
    struct Case {
        std::vector<CString> captions;
        int own;
        const char* text;
    } cases[] = {
        {{}, 0, "Matches no open window"},
        {{_T("")}, 0, "Matches 1 open window: (no caption)"},
        {{_T("Untitled - Notepad"), _T("Notes - Notepad")},
         0,
         "Matches 2 open windows: Untitled - Notepad; Notes - Notepad"},
        {{}, 1, "Matches no open window. Warning: it matches Quellix's own windows (never closed)"},
        {Captions(10), 0, "Matches 10 open windows: W0; W1; W2; W3; W4; ..."},
        {Captions(11), 0,
         "Matches 11 open windows: W0; W1; W2; W3; W4; ... Warning: it matches more than 10 "
         "windows"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Narrow(MatchLineText(c.captions, c.own)), c.text);
}

TEST(MatchText, TheApplyQuestionListsAtMostItsLimit) {
    EXPECT_EQ(Narrow(ApplyQuestionText(Captions(3), 2)),
              "The rules match 3 open windows. Close them now?\r\n\r\nW0\r\nW1\r\n... and 1 more");
    EXPECT_EQ(Narrow(ApplyQuestionText(Captions(1), 2)),
              "The rules match 1 open window. Close it now?\r\n\r\nW0");
}

} // namespace
