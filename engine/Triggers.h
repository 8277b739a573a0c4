// Which rules act at which moment. A rule is checked when a window comes to the foreground,
// when a top-level window's title changes, or when one is shown: any non-empty set of these.
// Title changes and shows come in floods, so they get a cheap first look at the title alone
// before the rest of the window is read.
#pragma once

#include "engine/Match.h"
#include "rules/RuleSet.h"
#include "rules/WindowInfo.h"

// The moments that at least one enabled rule asks for: a hook exists only for these.
DWORD WantedTriggers(const CRuleSet& rules);

// Whether an enabled rule checked at `trigger` could match a window with this title: either
// it does not look at the title, or its title key agrees. False lets the caller skip the
// window without reading anything else of it.
bool TitleMayMatch(const CRuleSet& rules, DWORD trigger, StringView title);

// Calls onMatch(i) for every enabled rule checked at `trigger` that matches the window.
template <class OnMatch>
void ScanRulesAt(const CRuleSet& rules, DWORD trigger, const CWindowSnapshot& window,
                 OnMatch&& onMatch) {
    ScanRules(rules, window, [&](int i) {
        const CRule& rule = rules.GetAt(i);
        if (rule.m_bEnabled && (rule.m_dwTriggers & trigger) != 0)
            onMatch(i);
    });
}
