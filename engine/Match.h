// Matching a window snapshot against a rule.
#pragma once

#include "framework/String.h"
#include "rules/RuleSet.h"
#include "rules/WindowInfo.h"

#include <cstring>

// What the watcher reads of one foreground window. The texts are views into buffers that
// the caller keeps, so that a snapshot costs no allocation.
struct CWindowSnapshot {
    StringView strTitle;
    StringView strClass;
    RECT rcWindow = {0, 0, 0, 0};
    DWORD dwStyle = 0;
    DWORD dwExStyle = 0;
};

// Equal unit by unit. memcmp, because the generic character traits of 16-bit units compare
// one unit at a time.
inline bool SameText(StringView a, StringView b) {
    return a.size() == b.size() && std::memcmp(a.data(), b.data(), a.size() * sizeof(WCHAR16)) == 0;
}

// What a scan needs of the window, computed once per window for every rule.
struct CWindowKey {
    std::uint32_t titleLength = 0;
    std::uint32_t classLength = 0;
    std::uint32_t titleHash = 0;
    std::uint32_t classHash = 0;
    DWORD width = 0;
    DWORD height = 0;

    static CWindowKey Of(const CWindowSnapshot& window) {
        return {static_cast<std::uint32_t>(window.strTitle.size()),
                static_cast<std::uint32_t>(window.strClass.size()),
                TextHash(window.strTitle),
                TextHash(window.strClass),
                RectWidth(window.rcWindow),
                RectHeight(window.rcWindow)};
    }
};

// The one test of a rule against a window. Reads the compact key first; the rule's texts are
// compared in full only when their lengths and hashes agree with the window's.
inline bool RuleMatches(const CRuleKey& key, const CWindowInfo& rule, const CWindowSnapshot& window,
                        const CWindowKey& windowKey) {
    // Every failed criterion leaves its bit; a rule matches when none is left.
    const std::uint32_t failed =
        (key.style != window.dwStyle ? CRuleKey::kStyle : 0) |
        (key.exStyle != window.dwExStyle ? CRuleKey::kExStyle : 0) |
        (key.titleLength != windowKey.titleLength || key.titleHash != windowKey.titleHash
             ? CRuleKey::kTitle
             : 0) |
        (key.classLength != windowKey.classLength || key.classHash != windowKey.classHash
             ? CRuleKey::kClass
             : 0) |
        (key.left != window.rcWindow.left || key.top != window.rcWindow.top ? CRuleKey::kLocation
                                                                            : 0) |
        (key.width != windowKey.width || key.height != windowKey.height ? CRuleKey::kDimensions
                                                                        : 0);
    if ((failed & key.flags) != 0)
        return false;
    if ((key.flags & CRuleKey::kTitle) && !SameText(rule.m_strTitle.View(), window.strTitle))
        return false;
    if ((key.flags & CRuleKey::kClass) && !SameText(rule.m_strClass.View(), window.strClass))
        return false;
    return true;
}

// Rule i of the set against the window, as the scan tests it.
inline bool RuleMatches(const CRuleSet& rules, int i, const CWindowSnapshot& window) {
    return RuleMatches(rules.Keys()[static_cast<size_t>(i)], rules.GetAt(i), window,
                       CWindowKey::Of(window));
}

// Calls onMatch(i) for every rule i of the set that matches the window, in rule order.
template <class OnMatch>
void ScanRules(const CRuleSet& rules, const CWindowSnapshot& window, OnMatch&& onMatch) {
    const CWindowKey windowKey = CWindowKey::Of(window);
    const CRuleKey* keys = rules.Keys().data();
    const int count = rules.GetCount();
    for (int i = 0; i < count; ++i) {
        if (RuleMatches(keys[i], rules.GetAt(i), window, windowKey))
            onMatch(i);
    }
}
