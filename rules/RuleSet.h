// CRuleSet: the auto-close rules in their order. The only way to add, replace, remove, load and
// save them; it knows no dialog, list view or engine.
#pragma once

#include "rules/Regex.h"
#include "rules/Rule.h"
#include "rules/RuleKey.h"

#include <cstdint>
#include <memory>
#include <vector>

class CArchive;

// How far a rule-file image was read whole. The one judge of a damaged file: the program's load
// and the rule tool's check both take its word. It ends at the last record; what follows is not
// its business.
struct CRuleFileReport {
    enum class Result {
        Complete,
        NoCount, // fewer than the 4 bytes of the count
        NegativeCount,
        CutInNumbers,  // the file ends inside a rule's 13 integers
        CutInTitle,    // ... before the line end of its window text
        CutInClass,    // ... before the line end of its window class
        CountTooLarge, // the file ends after `complete` rules, fewer than the count
        BlockUnusable, // every record is whole, but the rule block after them is damaged or newer
        RuleUnusable,  // every rule was read, but one is not a rule Quellix may keep
    };

    Result result = Result::Complete;
    std::int32_t count = 0;
    // Rules read whole, with both line ends; only these are kept.
    int complete = 0;
    // Where the damage starts (the count, the cut part of a rule, the missing rule), or for a
    // complete file the end of the last rule.
    std::uint64_t offset = 0;
    // BlockUnusable, RuleUnusable: what is wrong with the block or the rule, in words.
    CString problem;

    bool IsComplete() const { return result == Result::Complete; }
};

// A rule's regular expressions, compiled when it was added or changed; null where a text is not
// compared as a regular expression, or its expression does not compile (it then matches nothing).
struct CRulePatterns {
    std::unique_ptr<CRegex> title;
    std::unique_ptr<CRegex> windowClass;
    std::unique_ptr<CRegex> process;
    std::unique_ptr<CRegex> message;
    std::unique_ptr<CRegex> button; // a pressed button's text
};

class CRuleSet {
public:
    int GetCount() const { return static_cast<int>(m_rules.size()); }
    bool IsEmpty() const { return m_rules.empty(); }
    const CRule& GetAt(int i) const { return m_rules[static_cast<size_t>(i)]; }
    // The index of the rule with this id, or -1 when it is not (or no longer) in the set.
    int IndexOf(RuleId id) const;
    // The match keys, one per rule, in rule order.
    const std::vector<CRuleKey>& Keys() const { return m_keys; }
    const CRulePatterns& PatternsAt(int i) const { return m_patterns[static_cast<size_t>(i)]; }
    // True when an enabled rule compares the program: only then is a window's image read.
    bool NeedsProcess() const { return m_nProcessRules > 0; }
    // False for a rule that the rule check refuses (it came so from a file): it is kept as it
    // is, so that nothing is lost, but matches no window.
    bool IsUsable(int i) const {
        return m_keys[static_cast<size_t>(i)].flags != CRuleKey::kNothing;
    }

    // Appends the rule as the last one with an id of its own; returns its index.
    int Add(CRule rule);
    // Gives rule i the values of `values`; it keeps its id.
    void Replace(int i, const CRule& values);
    CRule Remove(int i);
    void Clear();

    // Appends the rules of a rule-file image that were read whole, up to the first damage,
    // and says where that is. The count must not be negative, and every rule needs its 13
    // integers and both its lines with their line ends. Errors of the file propagate; the
    // rules read before them stay. After whole records the block gives the appended rules what
    // the records cannot say; a block that cannot be used leaves them as the records say.
    CRuleFileReport Load(CArchive& ar);
    // Writes the count and every rule in order, then the rule block.
    void Store(CArchive& ar) const;

private:
    // Keys, patterns and the program count for a rule at i, whose old state (if any) is gone.
    void Index(int i);
    void Unindex(int i);

    // In the order of their ids, which only grow: IndexOf is a binary search.
    std::vector<CRule> m_rules;
    std::vector<CRuleKey> m_keys;
    std::vector<CRulePatterns> m_patterns;
    int m_nProcessRules = 0;
    RuleId m_nLastId = 0;
};
