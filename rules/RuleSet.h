// CRuleSet: the auto-close rules in their order. The only way to add, replace, remove, load and
// save them; it knows no dialog, list view or engine.
#pragma once

#include "rules/RuleKey.h"
#include "rules/WindowInfo.h"

#include <memory>
#include <vector>

class CArchive;

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

    // Appends the rule as the last one; returns its index.
    int Add(std::unique_ptr<CWindowInfo> rule);
    // Gives rule i the criteria and the delay of `values`. The record itself, the window it
    // holds and its pending close stay.
    void Replace(int i, const CWindowInfo& values);
    std::unique_ptr<CWindowInfo> Remove(int i);
    void Clear();

    // Appends the rules of a rule-file image, each as soon as it is complete: after an error of
    // the archive (which propagates) the rules read before it stay.
    void Load(CArchive& ar);
    // Writes the count and every rule in order.
    void Store(CArchive& ar) const;

private:
    std::vector<std::unique_ptr<CWindowInfo>> m_rules;
    std::vector<CRuleKey> m_keys;
};
