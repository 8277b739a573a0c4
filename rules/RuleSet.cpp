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
    // Computed as the window system does, wrapping on overflow.
    key.width =
        static_cast<DWORD>(rule.m_rcWindow.right) - static_cast<DWORD>(rule.m_rcWindow.left);
    key.height =
        static_cast<DWORD>(rule.m_rcWindow.bottom) - static_cast<DWORD>(rule.m_rcWindow.top);
    key.titleLength = static_cast<std::uint32_t>(rule.m_strTitle.GetLength());
    key.titleHash = TextHash(rule.m_strTitle.View());
    key.classLength = static_cast<std::uint32_t>(rule.m_strClass.GetLength());
    key.classHash = TextHash(rule.m_strClass.View());
    return key;
}

int CRuleSet::Add(std::unique_ptr<CWindowInfo> rule) {
    // Room for the key first, growing geometrically (reserving one more each time copies every
    // key at every add); then only the rule's push can fail, and it changes nothing when it does.
    if (m_keys.size() == m_keys.capacity())
        m_keys.reserve(m_keys.size() * 2 + 8);
    const CRuleKey key = CRuleKey::Of(*rule);
    m_rules.push_back(std::move(rule));
    m_keys.push_back(key);
    return GetCount() - 1;
}

void CRuleSet::Replace(int i, const CWindowInfo& values) {
    CWindowInfo& rule = GetAt(i);
    rule.m_strTitle = values.m_strTitle;
    rule.m_strClass = values.m_strClass;
    rule.m_rcWindow = values.m_rcWindow;
    rule.m_dwStyle = values.m_dwStyle;
    rule.m_dwExStyle = values.m_dwExStyle;
    rule.m_bMatchTitle = values.m_bMatchTitle;
    rule.m_bMatchClass = values.m_bMatchClass;
    rule.m_bMatchLocation = values.m_bMatchLocation;
    rule.m_bMatchDimensions = values.m_bMatchDimensions;
    rule.m_bMatchStyle = values.m_bMatchStyle;
    rule.m_bMatchExStyle = values.m_bMatchExStyle;
    rule.m_nDelayMs = values.m_nDelayMs;
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

void CRuleSet::Load(CArchive& ar) {
    int count = 0;
    ar >> count;
    for (int i = 0; i < count; ++i) {
        auto rule = std::make_unique<CWindowInfo>();
        rule->Serialize(ar);
        Add(std::move(rule));
    }
}

void CRuleSet::Store(CArchive& ar) const {
    ar << GetCount();
    for (const auto& rule : m_rules)
        rule->Store(ar);
}
