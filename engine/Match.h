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

// Calls onMatch(i) for every rule i of the set that matches the window, in rule order. Reads
// the compact keys first; a rule's texts are compared in full only when their lengths and
// hashes agree with the window's.
template <class OnMatch>
void ScanRules(const CRuleSet& rules, const CWindowSnapshot& window, OnMatch&& onMatch) {
    const auto titleLength = static_cast<std::uint32_t>(window.strTitle.size());
    const auto classLength = static_cast<std::uint32_t>(window.strClass.size());
    const std::uint32_t titleHash = TextHash(window.strTitle);
    const std::uint32_t classHash = TextHash(window.strClass);
    const DWORD width = RectWidth(window.rcWindow);
    const DWORD height = RectHeight(window.rcWindow);
    const CRuleKey* keys = rules.Keys().data();
    const int count = rules.GetCount();
    for (int i = 0; i < count; ++i) {
        const CRuleKey& key = keys[i];
        // Every failed criterion leaves its bit; a rule matches when none is left.
        const std::uint32_t failed =
            (key.style != window.dwStyle ? CRuleKey::kStyle : 0) |
            (key.exStyle != window.dwExStyle ? CRuleKey::kExStyle : 0) |
            (key.titleLength != titleLength || key.titleHash != titleHash ? CRuleKey::kTitle : 0) |
            (key.classLength != classLength || key.classHash != classHash ? CRuleKey::kClass : 0) |
            (key.left != window.rcWindow.left || key.top != window.rcWindow.top
                 ? CRuleKey::kLocation
                 : 0) |
            (key.width != width || key.height != height ? CRuleKey::kDimensions : 0);
        if ((failed & key.flags) != 0)
            continue;
        const CWindowInfo& rule = rules.GetAt(i);
        if ((key.flags & CRuleKey::kTitle) && !SameText(rule.m_strTitle.View(), window.strTitle))
            continue;
        if ((key.flags & CRuleKey::kClass) && !SameText(rule.m_strClass.View(), window.strClass))
            continue;
        onMatch(i);
    }
}
