// Which rules act at which moment.
#include "engine/Triggers.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace {

std::string Narrow(const CString& text) {
    return std::string(text.View().begin(), text.View().end());
}

// A rule on the class "Cls" alone, or also on a title.
std::unique_ptr<CRule> Rule(DWORD triggers, const WCHAR16* title = nullptr, BOOL enabled = TRUE) {
    auto rule = std::make_unique<CRule>();
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

TEST(Triggers, HooksFollowTheEnabledRulesOnly) {
    CRuleSet rules;
    EXPECT_EQ(WantedTriggers(rules), 0u);
    rules.Add(*Rule(kTriggerShown, nullptr, FALSE));
    EXPECT_EQ(WantedTriggers(rules), 0u);
    rules.Add(*Rule(kTriggerForeground | kTriggerTitleChange));
    EXPECT_EQ(WantedTriggers(rules), kTriggerForeground | kTriggerTitleChange);
}

TEST(Triggers, TheTitleAloneRulesOutOnlyWhatNoRuleOfThatMomentCouldMatch) {
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
        rules.Add(*Rule(c.triggers, c.ruleTitle, c.enabled));
        EXPECT_EQ(TitleMayMatch(rules, c.moment, StringView(c.windowTitle)), c.mayMatch)
            << Narrow(CString(c.windowTitle)) << " trigger " << c.triggers;
    }
}

TEST(Triggers, AScanAtAMomentReportsOnlyEnabledRulesOfThatMoment) {
    CRuleSet rules;
    rules.Add(*Rule(kTriggerForeground));
    rules.Add(*Rule(kTriggerShown));
    rules.Add(*Rule(kTriggerShown, nullptr, FALSE));
    rules.Add(*Rule(kTriggerForeground | kTriggerShown));
    const CString title(_T("t")), cls(_T("Cls"));
    const CWindowSnapshot window{title.View(), cls.View(), {0, 0, 1, 1}, 0, 0, {}};
    std::vector<int> shown, foreground;
    ScanRulesAt(rules, kTriggerShown, window, [&](int i) { shown.push_back(i); });
    ScanRulesAt(rules, kTriggerForeground, window, [&](int i) { foreground.push_back(i); });
    EXPECT_EQ(shown, (std::vector<int>{1, 3}));
    EXPECT_EQ(foreground, (std::vector<int>{0, 3}));
}

} // namespace
