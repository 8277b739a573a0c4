#include "RuleSet.h"

#include "framework/Archive.h"

CRuleKey CRuleKey::Of(const CWindowInfo& rule) {
    CRuleKey key;
    key.flags = (rule.m_bMatchStyle ? kStyle : 0) | (rule.m_bMatchExStyle ? kExStyle : 0) |
                (rule.m_bMatchTitle ? kTitle : 0) | (rule.m_bMatchClass ? kClass : 0) |
                (rule.m_bMatchLocation ? kLocation : 0) |
                (rule.m_bMatchDimensions ? kDimensions : 0);
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
    return key;
}

int CRuleSet::Add(std::unique_ptr<CWindowInfo> rule) {
    m_keys.push_back(CRuleKey::Of(*rule));
    try {
        m_rules.push_back(std::move(rule));
    } catch (...) {
        m_keys.pop_back(); // the keys stay in step with the rules
        throw;
    }
    return GetCount() - 1;
}

void CRuleSet::Replace(int i, const CWindowInfo& values) {
    CWindowInfo& rule = GetAt(i);
    rule.TakeRuleOf(values);
    m_keys[static_cast<size_t>(i)] = CRuleKey::Of(rule);
}

std::unique_ptr<CWindowInfo> CRuleSet::Remove(int i) {
    const auto at = static_cast<std::ptrdiff_t>(i);
    std::unique_ptr<CWindowInfo> rule = std::move(m_rules[static_cast<size_t>(i)]);
    m_rules.erase(m_rules.begin() + at);
    m_keys.erase(m_keys.begin() + at);
    return rule;
}

void CRuleSet::Clear() {
    m_rules.clear();
    m_keys.clear();
}

CRuleFileReport CRuleSet::Load(CArchive& ar) {
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
    return report;
}

void CRuleSet::Store(CArchive& ar) const {
    ar << GetCount();
    for (const auto& rule : m_rules)
        rule->Store(ar);
}
