#include "RuleSet.h"

#include "framework/Archive.h"
#include "rules/RuleBlock.h"

#include <algorithm>

namespace {

bool UsesProcess(const CRule& rule) {
    return rule.m_bEnabled && rule.m_bMatchProcess;
}

std::unique_ptr<CRegex> CompileIf(BOOL used, TextMode mode, const CString& text) {
    return used && mode == TextMode::Regex ? CRegex::Compile(text.View()) : nullptr;
}

} // namespace

CRuleKey CRuleKey::Of(const CRule& rule) {
    CRuleKey key;
    const bool exactTitle = rule.m_bMatchTitle && rule.m_titleMode == TextMode::Is;
    const bool exactClass = rule.m_bMatchClass && rule.m_classMode == TextMode::Is;
    key.flags = (rule.m_bMatchStyle ? kStyle : 0) | (rule.m_bMatchExStyle ? kExStyle : 0) |
                (exactTitle ? kTitle : 0) | (exactClass ? kClass : 0) |
                (rule.m_bMatchLocation ? kLocation : 0) |
                (rule.m_bMatchDimensions ? kDimensions : 0) | (rule.m_bEnabled ? 0 : kDisabled);
    key.flags |= ((rule.m_bMatchTitle && !exactTitle ? kTitle : 0) |
                  (rule.m_bMatchClass && !exactClass ? kClass : 0) |
                  (rule.m_bMatchProcess ? kProcess : 0) | (rule.m_bMatchMessage ? kMessage : 0))
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
    const CRule& rule = GetAt(i);
    CRulePatterns& patterns = m_patterns[static_cast<size_t>(i)];
    CRuleKey& key = m_keys[static_cast<size_t>(i)];
    patterns = CRulePatterns();
    if (!RuleProblem(rule).IsEmpty()) {
        key = CRuleKey();
        key.flags = CRuleKey::kNothing;
        return;
    }
    patterns.title = CompileIf(rule.m_bMatchTitle, rule.m_titleMode, rule.m_strTitle);
    patterns.windowClass = CompileIf(rule.m_bMatchClass, rule.m_classMode, rule.m_strClass);
    patterns.process = CompileIf(rule.m_bMatchProcess, rule.m_processMode, rule.m_strProcess);
    patterns.message = CompileIf(rule.m_bMatchMessage, rule.m_messageMode, rule.m_strMessage);
    patterns.button = CompileIf(rule.m_action == ERuleAction::Press && rule.m_nButtonId == 0,
                                rule.m_buttonMode, rule.m_strButton);
    key = CRuleKey::Of(rule);
    m_nProcessRules += UsesProcess(rule) ? 1 : 0;
}

void CRuleSet::Unindex(int i) {
    m_nProcessRules -= IsUsable(i) && UsesProcess(GetAt(i)) ? 1 : 0;
}

int CRuleSet::IndexOf(RuleId id) const {
    const auto it = std::lower_bound(m_rules.begin(), m_rules.end(), id,
                                     [](const CRule& rule, RuleId v) { return rule.m_nId < v; });
    return it != m_rules.end() && it->m_nId == id ? static_cast<int>(it - m_rules.begin()) : -1;
}

int CRuleSet::Add(CRule rule) {
    rule.m_nId = ++m_nLastId;
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

void CRuleSet::Replace(int i, const CRule& values) {
    Unindex(i);
    CRule& rule = m_rules[static_cast<size_t>(i)];
    const RuleId id = rule.m_nId;
    rule = values;
    rule.m_nId = id;
    Index(i);
}

CRule CRuleSet::Remove(int i) {
    Unindex(i);
    const auto at = static_cast<std::ptrdiff_t>(i);
    CRule rule = std::move(m_rules[static_cast<size_t>(i)]);
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
        CWindowInfo record;
        const CWindowInfo::LoadResult loaded = record.Load(ar, report.offset);
        if (loaded != CWindowInfo::LoadResult::Whole) {
            // Nothing at all of the missing rule: the count promised too many.
            report.result = loaded == CWindowInfo::LoadResult::CutInTitle   ? Result::CutInTitle
                            : loaded == CWindowInfo::LoadResult::CutInClass ? Result::CutInClass
                            : ar.GetPosition() == start                     ? Result::CountTooLarge
                                                                            : Result::CutInNumbers;
            return report;
        }
        CRule rule;
        TakeRecord(rule, record);
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
        return report;
    }
    // A rule the check refuses is kept, matching nothing; the first one is named.
    for (int i = first; i < GetCount(); ++i) {
        if (IsUsable(i))
            continue;
        report.result = Result::RuleUnusable;
        report.problem.Format(_T("rule %d matches no window until it is edited: %s"), i + 1,
                              RuleProblem(GetAt(i)));
        break;
    }
    return report;
}

void CRuleSet::Store(CArchive& ar) const {
    ar << GetCount();
    for (const CRule& rule : m_rules)
        CRuleBlock::StoreRecord(ar, rule);
    CRuleBlock::Store(ar, *this);
}
