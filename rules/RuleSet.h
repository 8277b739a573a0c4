// CRuleSet: the auto-close rules in their order. The only way to add, replace, remove, load and
// save them; it knows no dialog, list view or engine.
#pragma once

#include "rules/Regex.h"
#include "rules/RuleKey.h"
#include "rules/WindowInfo.h"

#include <memory>
#include <vector>

class CArchive;

// A rule's regular expressions, compiled when it was added or changed; null where a text is not
// compared as a regular expression, or its expression does not compile (it then matches nothing).
struct CRulePatterns {
    std::unique_ptr<CRegex> title;
    std::unique_ptr<CRegex> windowClass;
    std::unique_ptr<CRegex> process;
};

// Why the rule cannot be kept: no criterion, an empty pattern, a regular expression that does
// not compile (the library's message and the offset), a name too long, no trigger. Empty when
// it can.
CString RuleProblem(const CWindowInfo& rule);

class CRuleSet {
public:
    int GetCount() const { return static_cast<int>(m_rules.size()); }
    bool IsEmpty() const { return m_rules.empty(); }
    const CWindowInfo& GetAt(int i) const { return *m_rules[static_cast<size_t>(i)]; }
    // Only what matching leaves on a rule may change through this: the window it matched last
    // and its timer. Criteria change through Replace, so that the keys stay in step.
    CWindowInfo& GetAt(int i) { return *m_rules[static_cast<size_t>(i)]; }
    // The match keys, one per rule, in rule order.
    const std::vector<CRuleKey>& Keys() const { return m_keys; }
    const CRulePatterns& PatternsAt(int i) const { return m_patterns[static_cast<size_t>(i)]; }
    // True when an enabled rule compares the program: only then is a window's image read.
    bool NeedsProcess() const { return m_nProcessRules > 0; }

    // Appends the rule as the last one; returns its index.
    int Add(std::unique_ptr<CWindowInfo> rule);
    // Gives rule i the criteria and the delay of `values`. The record itself, the window it
    // holds and its pending close stay.
    void Replace(int i, const CWindowInfo& values);
    std::unique_ptr<CWindowInfo> Remove(int i);
    void Clear();

    // Appends the rules of a rule-file image, each as soon as it is complete: after an error of
    // the archive (which propagates) the rules read before it stay. The block after the records
    // then gives the appended rules what the records cannot say.
    void Load(CArchive& ar);
    // Writes the count and every rule in order, then the rule block.
    void Store(CArchive& ar) const;

private:
    // Keys, patterns and the program count for a rule at i, whose old state (if any) is gone.
    void Index(int i);
    void Unindex(int i);

    std::vector<std::unique_ptr<CWindowInfo>> m_rules;
    std::vector<CRuleKey> m_keys;
    std::vector<CRulePatterns> m_patterns;
    int m_nProcessRules = 0;
};
