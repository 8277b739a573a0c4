#include "RuleSet.h"

#include "framework/Archive.h"
#include "rules/RuleBlock.h"

namespace {

bool UsesProcess(const CWindowInfo& rule) {
    return rule.m_bEnabled && rule.m_bMatchProcess;
}

std::unique_ptr<CRegex> CompileIf(BOOL used, TextMode mode, const CString& text) {
    return used && mode == TextMode::Regex ? CRegex::Compile(text.View()) : nullptr;
}

} // namespace

CString RuleProblem(const CWindowInfo& rule) {
    if (!rule.m_bMatchTitle && !rule.m_bMatchClass && !rule.m_bMatchLocation &&
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
        if (t.text.IsEmpty()) {
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
    return CString();
}

CRuleKey CRuleKey::Of(const CWindowInfo& rule) {
    CRuleKey key;
    const bool exactTitle = rule.m_bMatchTitle && rule.m_titleMode == TextMode::Is;
    const bool exactClass = rule.m_bMatchClass && rule.m_classMode == TextMode::Is;
    key.flags = (rule.m_bMatchStyle ? kStyle : 0) | (rule.m_bMatchExStyle ? kExStyle : 0) |
                (exactTitle ? kTitle : 0) | (exactClass ? kClass : 0) |
                (rule.m_bMatchLocation ? kLocation : 0) |
                (rule.m_bMatchDimensions ? kDimensions : 0) | (rule.m_bEnabled ? 0 : kDisabled);
    key.flags |=
        ((rule.m_bMatchTitle && !exactTitle ? kTitle : 0) |
         (rule.m_bMatchClass && !exactClass ? kClass : 0) | (rule.m_bMatchProcess ? kProcess : 0))
        << kTextShift;
    key.style = rule.m_dwStyle;
    key.exStyle = rule.m_dwExStyle;
    key.left = rule.m_rcWindow.left;
    key.top = rule.m_rcWindow.top;
    key.width = RectWidth(rule.m_rcWindow);
    key.height = RectHeight(rule.m_rcWindow);
    key.titleLength = static_cast<std::uint32_t>(rule.m_strTitle.GetLength());
    key.titleHash = TextHash(rule.m_strTitle.View());
    key.classLength = static_cast<std::uint32_t>(rule.m_strClass.GetLength());
    key.classHash = TextHash(rule.m_strClass.View());
    key.signature = KeySignature(key.flags & kCompact, key);
    return key;
}

void CRuleSet::Index(int i) {
    const CWindowInfo& rule = GetAt(i);
    CRulePatterns& patterns = m_patterns[static_cast<size_t>(i)];
    patterns.title = CompileIf(rule.m_bMatchTitle, rule.m_titleMode, rule.m_strTitle);
    patterns.windowClass = CompileIf(rule.m_bMatchClass, rule.m_classMode, rule.m_strClass);
    patterns.process = CompileIf(rule.m_bMatchProcess, rule.m_processMode, rule.m_strProcess);
    m_keys[static_cast<size_t>(i)] = CRuleKey::Of(rule);
    m_nProcessRules += UsesProcess(rule) ? 1 : 0;
}

void CRuleSet::Unindex(int i) {
    m_nProcessRules -= UsesProcess(GetAt(i)) ? 1 : 0;
}

int CRuleSet::Add(std::unique_ptr<CWindowInfo> rule) {
    m_keys.emplace_back();
    try {
        m_patterns.emplace_back();
        try {
            m_rules.push_back(std::move(rule));
        } catch (...) {
            m_patterns.pop_back();
            throw;
        }
    } catch (...) {
        m_keys.pop_back(); // the keys stay in step with the rules
        throw;
    }
    Index(GetCount() - 1);
    return GetCount() - 1;
}

void CRuleSet::Replace(int i, const CWindowInfo& values) {
    Unindex(i);
    GetAt(i).TakeRuleOf(values);
    Index(i);
}

std::unique_ptr<CWindowInfo> CRuleSet::Remove(int i) {
    Unindex(i);
    const auto at = static_cast<std::ptrdiff_t>(i);
    std::unique_ptr<CWindowInfo> rule = std::move(m_rules[static_cast<size_t>(i)]);
    m_rules.erase(m_rules.begin() + at);
    m_keys.erase(m_keys.begin() + at);
    m_patterns.erase(m_patterns.begin() + at);
    return rule;
}

void CRuleSet::Clear() {
    m_rules.clear();
    m_keys.clear();
    m_patterns.clear();
    m_nProcessRules = 0;
}

CRuleFileReport CRuleSet::Load(CArchive& ar) {
    const int first = GetCount();
    using Result = CRuleFileReport::Result;
    CRuleFileReport report;
    try {
        ar >> report.count;
    } catch (const CArchiveException& e) {
        if (e.GetCause() != CArchiveException::endOfFile)
            throw;
        report.result = Result::NoCount;
        return report;
    }
    if (report.count < 0) {
        report.result = Result::NegativeCount;
        return report;
    }
    for (; report.complete < report.count; ++report.complete) {
        const std::uint64_t start = ar.GetPosition();
        auto rule = std::make_unique<CWindowInfo>();
        const CWindowInfo::LoadResult loaded = rule->Load(ar, report.offset);
        if (loaded != CWindowInfo::LoadResult::Whole) {
            // Nothing at all of the missing rule: the count promised too many.
            report.result = loaded == CWindowInfo::LoadResult::CutInTitle   ? Result::CutInTitle
                            : loaded == CWindowInfo::LoadResult::CutInClass ? Result::CutInClass
                            : ar.GetPosition() == start                     ? Result::CountTooLarge
                                                                            : Result::CutInNumbers;
            return report;
        }
        Add(std::move(rule));
    }
    report.offset = ar.GetPosition();
    // What the records cannot say. A rule they cannot express is inert in them, so an unusable
    // block leaves rules that match nothing, and the load incomplete.
    try {
        CRuleBlock::Load(ar, *this, first);
    } catch (const CRuleBlockException& e) {
        report.result = Result::BlockUnusable;
        report.problem = e.GetErrorMessage();
    }
    return report;
}

void CRuleSet::Store(CArchive& ar) const {
    ar << GetCount();
    for (const auto& rule : m_rules)
        CRuleBlock::StoreRecord(ar, *rule);
    CRuleBlock::Store(ar, *this);
}
