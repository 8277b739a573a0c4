// Which rules act at which moment, the history of what they did, and the texts about matches.
#include "engine/History.h"
#include "engine/Moments.h"
#include "ui/MatchText.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace {

// A rule on the class "Cls" alone, or also on a title.
std::unique_ptr<CWindowInfo> Rule(DWORD triggers, const WCHAR16* title = nullptr,
                                  BOOL enabled = TRUE) {
    auto rule = std::make_unique<CWindowInfo>();
    rule->m_strClass = _T("Cls");
    rule->m_bMatchDimensions = rule->m_bMatchStyle = rule->m_bMatchExStyle = FALSE;
    if (title != nullptr) {
        rule->m_strTitle = title;
        rule->m_bMatchTitle = TRUE;
    }
    rule->m_dwTriggers = triggers;
    rule->m_bEnabled = enabled;
    return rule;
}

std::string Narrow(const CString& text) {
    return std::string(text.View().begin(), text.View().end());
}

TEST(Moments, HooksFollowTheEnabledRulesOnly) {
    CRuleSet rules;
    EXPECT_EQ(WantedTriggers(rules), 0u);
    rules.Add(Rule(kTriggerShown, nullptr, FALSE));
    EXPECT_EQ(WantedTriggers(rules), 0u);
    rules.Add(Rule(kTriggerForeground | kTriggerTitleChange));
    EXPECT_EQ(WantedTriggers(rules), kTriggerForeground | kTriggerTitleChange);
}

TEST(Moments, TheTitleAloneRulesOutOnlyWhatNoRuleOfThatMomentCouldMatch) {
    struct Case {
        DWORD triggers;
        const WCHAR16* ruleTitle;
        BOOL enabled;
        const WCHAR16* windowTitle;
        DWORD moment;
        bool mayMatch;
    } cases[] = {
        {kTriggerTitleChange, nullptr, TRUE, _T("any"), kTriggerTitleChange, true},
        {kTriggerTitleChange, _T("Setup"), TRUE, _T("Setup"), kTriggerTitleChange, true},
        {kTriggerTitleChange, _T("Setup"), TRUE, _T("Setuq"), kTriggerTitleChange, false},
        {kTriggerTitleChange, _T("Setup"), TRUE, _T("Setup!"), kTriggerTitleChange, false},
        {kTriggerShown, _T("Setup"), TRUE, _T("Setup"), kTriggerTitleChange, false},
        {kTriggerTitleChange, nullptr, FALSE, _T("Setup"), kTriggerTitleChange, false},
    };
    for (const Case& c : cases) {
        CRuleSet rules;
        rules.Add(Rule(c.triggers, c.ruleTitle, c.enabled));
        EXPECT_EQ(TitleMayMatch(rules, c.moment, StringView(c.windowTitle)), c.mayMatch)
            << Narrow(CString(c.windowTitle)) << " trigger " << c.triggers;
    }
}

TEST(Moments, AScanAtAMomentReportsOnlyEnabledRulesOfThatMoment) {
    CRuleSet rules;
    rules.Add(Rule(kTriggerForeground));
    rules.Add(Rule(kTriggerShown));
    rules.Add(Rule(kTriggerShown, nullptr, FALSE));
    rules.Add(Rule(kTriggerForeground | kTriggerShown));
    const CString title(_T("t")), cls(_T("Cls"));
    const CWindowSnapshot window{title.View(), cls.View(), {0, 0, 1, 1}, 0, 0, {}};
    std::vector<int> shown, foreground;
    ScanRulesAt(rules, kTriggerShown, window, [&](int i) { shown.push_back(i); });
    ScanRulesAt(rules, kTriggerForeground, window, [&](int i) { foreground.push_back(i); });
    EXPECT_EQ(shown, (std::vector<int>{1, 3}));
    EXPECT_EQ(foreground, (std::vector<int>{0, 3}));
}

CActionEntry Entry(EAction action, const WCHAR16* caption = _T("w")) {
    CActionEntry entry;
    entry.strCaption = caption;
    entry.action = action;
    return entry;
}

TEST(History, KeepsTheLatestEntriesNewestFirstAndCountsOnlyCloses) {
    CHistory history;
    int ruleA = 0, ruleB = 0;
    for (EAction action : {EAction::CloseAsked, EAction::CloseScheduled, EAction::ScheduledDone,
                           EAction::ScheduledDropped, EAction::Refused, EAction::Applied})
        history.LogAction(&ruleA, Entry(action));
    EXPECT_EQ(history.CloseCount(&ruleA), 3);
    EXPECT_EQ(history.CloseCount(&ruleB), 0);
    history.ForgetRule(&ruleA);
    EXPECT_EQ(history.CloseCount(&ruleA), 0);

    for (int i = 0; i < 600; ++i) {
        CString caption;
        caption.Format(_T("%d"), i);
        history.LogAction(&ruleB, Entry(EAction::CloseAsked, caption));
    }
    ASSERT_EQ(history.GetCount(), CHistory::kCapacity);
    EXPECT_EQ(history.GetAt(0).strCaption, _T("599"));
    EXPECT_EQ(history.GetAt(CHistory::kCapacity - 1).strCaption, _T("100"));
    EXPECT_EQ(history.CloseCount(&ruleB), 600); // the count outlives the entries
    history.Clear();
    EXPECT_EQ(history.GetCount(), 0u);
}

TEST(History, TheCopiedTextHasTheColumnNamesAndOneTabbedLinePerEntry) {
    CHistory history;
    CActionEntry entry = Entry(EAction::CloseScheduled, _T("Nag"));
    entry.strTime = _T("12/7/2026 4:32:10 AM");
    entry.strClass = _T("NagClass");
    entry.nRule = 3;
    entry.nDelayMs = 1500;
    history.LogAction(nullptr, entry);
    entry.action = EAction::Refused;
    entry.strDetail = _T("the window belongs to a program with higher rights");
    history.LogAction(nullptr, entry);
    EXPECT_EQ(Narrow(HistoryText(history)),
              "Time\tCaption\tClass\tProgram\tRule\tName\tWhat Happened\r\n"
              "12/7/2026 4:32:10 AM\tNag\tNagClass\t\t3\t\tRefused by Windows: the window "
              "belongs to a program with higher rights\r\n"
              "12/7/2026 4:32:10 AM\tNag\tNagClass\t\t3\t\tClose scheduled after 1500 ms\r\n");
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
