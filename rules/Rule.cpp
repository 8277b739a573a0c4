#include "Rule.h"

#include "rules/Regex.h"

#include <memory>

const WCHAR16* TextModeName(TextMode mode) {
    switch (mode) {
    case TextMode::Contains:
        return _T("contains");
    case TextMode::Wildcard:
        return _T("wildcard");
    case TextMode::Regex:
        return _T("regex");
    case TextMode::Is:
        break;
    }
    return _T("is");
}

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

} // namespace

CString RuleProblem(const CRule& rule, bool allowMatchAll) {
    if (!allowMatchAll && !rule.m_bMatchTitle && !rule.m_bMatchClass && !rule.m_bMatchLocation &&
        !rule.m_bMatchDimensions && !rule.m_bMatchStyle && !rule.m_bMatchExStyle &&
        !rule.m_bMatchProcess)
        return CString(_T("A rule needs at least one criterion: without one it would close "
                          "every window."));
    if (rule.m_strName.GetLength() > kMaxRuleName)
        return CString(_T("A rule's name has at most 256 characters."));
    if (rule.m_dwTriggers == 0 || (rule.m_dwTriggers & ~kTriggerAll) != 0)
        return CString(_T("A rule needs at least one trigger."));
    if (rule.m_bMatchProcess && rule.m_strProcess.IsEmpty())
        return CString(_T("The program is empty."));
    const struct {
        BOOL used;
        TextMode mode;
        const CString& text;
        const WCHAR16* what;
    } texts[] = {{rule.m_bMatchTitle, rule.m_titleMode, rule.m_strTitle, _T("window text")},
                 {rule.m_bMatchClass, rule.m_classMode, rule.m_strClass, _T("window class")},
                 {rule.m_bMatchProcess, rule.m_processMode, rule.m_strProcess, _T("program")}};
    for (const auto& t : texts) {
        if (!t.used || t.mode == TextMode::Is)
            continue;
        CString problem;
        if (t.text.IsEmpty() && !allowMatchAll) {
            problem.Format(_T("The pattern of the %s is empty."), t.what);
            return problem;
        }
        CString error;
        if (t.mode == TextMode::Regex && !CRegex::Compile(t.text.View(), &error)) {
            problem.Format(_T("The regular expression of the %s does not compile: %s"), t.what,
                           error);
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
