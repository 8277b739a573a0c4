#include "Triggers.h"

DWORD WantedTriggers(const CRuleSet& rules) {
    DWORD wanted = 0;
    for (int i = 0; i < rules.GetCount(); ++i) {
        const CRule& rule = rules.GetAt(i);
        if (rule.m_bEnabled && rules.IsUsable(i))
            wanted |= rule.m_dwTriggers;
    }
    return wanted;
}

bool TitleMayMatch(const CRuleSet& rules, DWORD trigger, StringView title) {
    const auto length = static_cast<std::uint32_t>(title.size());
    std::uint32_t hash = 0;
    bool hashed = false; // hashed once, and only when a rule looks at the title
    const CRuleKey* keys = rules.Keys().data();
    for (int i = 0; i < rules.GetCount(); ++i) {
        const CRule& rule = rules.GetAt(i);
        if (!rule.m_bEnabled || (rule.m_dwTriggers & trigger) == 0 || !rules.IsUsable(i))
            continue;
        const CRuleKey& key = keys[i];
        if ((key.flags & CRuleKey::kTitle) == 0)
            return true;
        if (key.titleLength != length)
            continue;
        if (!hashed) {
            hash = TextHash(title);
            hashed = true;
        }
        if (key.titleHash == hash)
            return true;
    }
    return false;
}
