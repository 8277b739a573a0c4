#include "Rule.h"

#include "rules/Regex.h"
#include "rules/RuleFields.h"

#include <memory>

CRule RuleFromWindow(const CWindowInfo& window) {
    CRule rule;
    TakeRecord(rule, window);
    rule.m_strProcess = window.m_strProcess;
    return rule;
}

CWindowInfo RecordOf(const CRule& rule) {
    CWindowInfo record;
    record.m_strTitle = rule.m_strTitle;
    record.m_strClass = rule.m_strClass;
    record.m_rcWindow = rule.m_rcWindow;
    record.m_dwStyle = rule.m_dwStyle;
    record.m_dwExStyle = rule.m_dwExStyle;
    record.m_bMatchTitle = rule.m_bMatchTitle;
    record.m_bMatchClass = rule.m_bMatchClass;
    record.m_bMatchLocation = rule.m_bMatchLocation;
    record.m_bMatchDimensions = rule.m_bMatchDimensions;
    record.m_bMatchStyle = rule.m_bMatchStyle;
    record.m_bMatchExStyle = rule.m_bMatchExStyle;
    record.m_nDelayMs = rule.m_nDelayMs;
    return record;
}

void TakeRecord(CRule& rule, const CWindowInfo& record) {
    rule.m_strTitle = record.m_strTitle;
    rule.m_strClass = record.m_strClass;
    rule.m_rcWindow = record.m_rcWindow;
    rule.m_dwStyle = record.m_dwStyle;
    rule.m_dwExStyle = record.m_dwExStyle;
    rule.m_bMatchTitle = record.m_bMatchTitle;
    rule.m_bMatchClass = record.m_bMatchClass;
    rule.m_bMatchLocation = record.m_bMatchLocation;
    rule.m_bMatchDimensions = record.m_bMatchDimensions;
    rule.m_bMatchStyle = record.m_bMatchStyle;
    rule.m_bMatchExStyle = record.m_bMatchExStyle;
    rule.m_nDelayMs = record.m_nDelayMs;
}

namespace {

// True when the criterion passes every text: it would not narrow the rule at all.
bool MatchesEveryText(TextMode mode, const CString& text) {
    switch (mode) {
    case TextMode::Is:
        return false;
    case TextMode::Contains:
        return text.IsEmpty();
    case TextMode::Wildcard:
        return text.View().find_first_not_of(u'*') == StringView::npos;
    case TextMode::Regex: {
        // Searched anywhere, an expression that matches the empty text matches every text.
        const std::unique_ptr<CRegex> regex = CRegex::Compile(text.View());
        return regex != nullptr && regex->Search(StringView());
    }
    }
    return false;
}

// Why a regular expression does not compile; empty for one that does, or another mode.
CString CompileProblem(TextMode mode, const CString& text) {
    CString error;
    if (mode != TextMode::Regex || CRegex::Compile(text.View(), &error) != nullptr)
        return CString();
    return error.IsEmpty() ? CString(_T("it is not valid")) : error;
}

} // namespace

bool IsStandardButtonId(int id) {
    return (id >= 1 && id <= 7) || id == 10 || id == 11;
}

CString RuleProblem(const CRule& rule, bool allowMatchAll) {
    if (rule.m_bNeedsNewer)
        return CString(_T("The rule holds settings that only a newer Quellix understands."));
    const struct {
        BOOL used;
        TextMode mode;
        const CString& text;
        const WCHAR16* what;
    } texts[] = {{rule.m_bMatchTitle, rule.m_titleMode, rule.m_strTitle, _T("window text")},
                 {rule.m_bMatchClass, rule.m_classMode, rule.m_strClass, _T("window class")},
                 {rule.m_bMatchProcess, rule.m_processMode, rule.m_strProcess, _T("program")},
                 {rule.m_bMatchMessage, rule.m_messageMode, rule.m_strMessage, _T("message")}};
    bool any = rule.m_bMatchLocation || rule.m_bMatchDimensions || rule.m_bMatchStyle ||
               rule.m_bMatchExStyle;
    for (const auto& t : texts)
        any = any || t.used;
    if (!allowMatchAll && !any)
        return CString(_T("A rule needs at least one criterion: without one it would close "
                          "every window."));
    for (const CRuleField& field : RuleFields()) {
        CString problem = FieldProblem(field, rule);
        if (!problem.IsEmpty())
            return problem;
    }
    if (rule.m_bMatchProcess && rule.m_strProcess.IsEmpty())
        return CString(_T("The program is empty."));
    const bool pressByText = rule.m_action == ERuleAction::Press && rule.m_nButtonId == 0;
    if (rule.m_action == ERuleAction::Press && rule.m_nButtonId != 0 &&
        !IsStandardButtonId(rule.m_nButtonId))
        return CString(_T("The button id must be a standard one: 1 (OK), 2 (Cancel), 3 (Abort), "
                          "4 (Retry), 5 (Ignore), 6 (Yes), 7 (No), 10 (Try Again) or 11 "
                          "(Continue)."));
    if (pressByText && rule.m_strButton.IsEmpty())
        return CString(_T("A rule that presses a button needs the button's text or id."));
    if (rule.m_escalate != EEscalate::None && rule.m_action != ERuleAction::Close)
        return CString(_T("Only a rule that closes can follow up a close that is ignored."));
    for (const auto& t : texts) {
        if (!t.used || t.mode == TextMode::Is)
            continue;
        CString problem;
        if (t.text.IsEmpty() && !allowMatchAll) {
            problem.Format(_T("The pattern of the %s is empty."), t.what);
            return problem;
        }
        if (CString error = CompileProblem(t.mode, t.text); !error.IsEmpty()) {
            problem.Format(_T("The regular expression of the %s does not compile: %s"), t.what,
                           error);
            return problem;
        }
    }
    if (pressByText) {
        if (CString error = CompileProblem(rule.m_buttonMode, rule.m_strButton); !error.IsEmpty()) {
            CString problem;
            problem.Format(_T("The regular expression of the button does not compile: %s"), error);
            return problem;
        }
    }
    if (allowMatchAll)
        return CString();
    bool narrows = rule.m_bMatchLocation || rule.m_bMatchDimensions || rule.m_bMatchStyle ||
                   rule.m_bMatchExStyle;
    for (const auto& t : texts)
        narrows = narrows || (t.used && !MatchesEveryText(t.mode, t.text));
    if (!narrows)
        return CString(_T("A rule needs at least one criterion that not every window passes: "
                          "without one it would close every window."));
    return CString();
}
