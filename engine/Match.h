// Matching a window snapshot against a rule.
#pragma once

#include "framework/String.h"
#include "rules/RuleSet.h"
#include "rules/TextMatch.h"
#include "rules/WindowInfo.h"

#include <cstring>

// A dialog's message (its message text, or its visible texts), read only when a rule that
// every cheaper criterion admitted asks for it, and then once per snapshot.
class IWindowMessage {
public:
    // The message; false when it cannot be read. The text stays valid with the snapshot.
    virtual bool Read(StringView& text) = 0;

protected:
    ~IWindowMessage() = default;
};

// The class of the dialogs that have a message.
inline constexpr WCHAR16 kDialogClass[] = _T("#32770");

// What the watcher reads of one foreground window. The texts are views into buffers that
// the caller keeps, so that a snapshot costs no allocation.
struct CWindowSnapshot {
    StringView strTitle;
    StringView strClass;
    RECT rcWindow = {0, 0, 0, 0};
    DWORD dwStyle = 0;
    DWORD dwExStyle = 0;
    // The process image's full path; empty when it is unknown or was not read (the reader
    // reads it only while an enabled rule compares the program).
    StringView strProcess;
    // Where the message comes from; null: the window has none.
    IWindowMessage* pMessage = nullptr;
};

// Equal unit by unit. memcmp, because the generic character traits of 16-bit units compare
// one unit at a time.
inline bool SameText(StringView a, StringView b) {
    return a.size() == b.size() && std::memcmp(a.data(), b.data(), a.size() * sizeof(WCHAR16)) == 0;
}

// A rule's text compared with a window's in the rule's mode; `regex` is the rule's compiled
// expression (null: it did not compile, and nothing matches).
inline bool TextMatches(StringView ruleText, TextMode mode, const CRegex* regex, StringView text,
                        bool caseless) {
    switch (mode) {
    case TextMode::Is:
        return caseless ? EqualNoCase(ruleText, text) : SameText(ruleText, text);
    case TextMode::Contains:
        return ContainsNoCase(text, ruleText);
    case TextMode::Wildcard:
        return WildcardMatch(text, ruleText);
    case TextMode::Regex:
        return regex != nullptr && regex->Search(text);
    }
    return false;
}

// What every rule's test needs of the window, worked out once per scan.
struct CWindowKey {
    explicit CWindowKey(const CWindowSnapshot& window)
        : titleLength(static_cast<std::uint32_t>(window.strTitle.size())),
          classLength(static_cast<std::uint32_t>(window.strClass.size())),
          titleHash(TextHash(window.strTitle)), classHash(TextHash(window.strClass)),
          width(RectWidth(window.rcWindow)), height(RectHeight(window.rcWindow)),
          style(window.dwStyle), exStyle(window.dwExStyle), left(window.rcWindow.left),
          top(window.rcWindow.top) {}
    // Copies, not the snapshot's: a scan keeps them in registers across its calls.
    std::uint32_t titleLength, classLength, titleHash, classHash;
    DWORD width, height, style, exStyle;
    LONG left, top;
};

// The compact part of a rule's test: true when no criterion that the key holds fails. A
// disabled rule's key admits nothing.
inline bool KeyAdmits(const CRuleKey& key, const CWindowKey& w) {
    // Every failed criterion leaves its bit; a rule passes when none is left.
    const std::uint32_t failed =
        CRuleKey::kDisabled | (key.style != w.style ? CRuleKey::kStyle : 0) |
        (key.exStyle != w.exStyle ? CRuleKey::kExStyle : 0) |
        (key.titleLength != w.titleLength || key.titleHash != w.titleHash ? CRuleKey::kTitle : 0) |
        (key.classLength != w.classLength || key.classHash != w.classHash ? CRuleKey::kClass : 0) |
        (key.left != w.left || key.top != w.top ? CRuleKey::kLocation : 0) |
        (key.width != w.width || key.height != w.height ? CRuleKey::kDimensions : 0);
    return (failed & key.flags) == 0;
}

// The rest of rule i's test, once its key admitted it: the exact texts in full, the patterns,
// the program and, last, the message. Out of line: most rules never get here.
bool RuleTextsMatch(const CRuleSet& rules, int i, const CWindowSnapshot& window);

// The test of one rule, as the scan makes it.
inline bool RuleMatchesWindow(const CRuleSet& rules, int i, const CWindowSnapshot& window,
                              const CWindowKey& w) {
    return KeyAdmits(rules.Keys()[static_cast<size_t>(i)], w) && RuleTextsMatch(rules, i, window);
}

// Calls onMatch(i) for every rule i of the set that matches the window, in rule order.
// Most rules are rejected by their signature; the key's test and the texts then decide.
template <class OnMatch>
void ScanRules(const CRuleSet& rules, const CWindowSnapshot& window, OnMatch&& onMatch) {
    const CWindowKey w(window);
    // The window's signature for each set of compact criteria, made when a rule first uses it.
    std::uint32_t signatures[CRuleKey::kCompact + 1];
    std::uint64_t made = 0;
    const CRuleKey* keys = rules.Keys().data();
    const int count = rules.GetCount();
    for (int i = 0; i < count; ++i) {
        const CRuleKey& key = keys[i];
        const std::uint32_t compact = key.flags & CRuleKey::kCompact;
        if (!((made >> compact) & 1)) {
            signatures[compact] = KeySignature(compact, w);
            made |= std::uint64_t{1} << compact;
        }
        if (key.signature == signatures[compact] && KeyAdmits(key, w) &&
            RuleTextsMatch(rules, i, window))
            onMatch(i);
    }
}

// Rule i of the set against the window now, exactly as the scan tests it.
inline bool RuleMatches(const CRuleSet& rules, int i, const CWindowSnapshot& window) {
    return RuleMatchesWindow(rules, i, window, CWindowKey(window));
}
