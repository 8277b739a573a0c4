// CHistory: what the rules did, in memory only: the latest actions, newest first, and how many
// actions each rule took since the program started.
#pragma once

#include "framework/String.h"
#include "rules/Rule.h"

#include <cstddef>
#include <deque>
#include <map>

enum class EAction {
    CloseAsked,       // WM_CLOSE posted at once
    CloseScheduled,   // a close will follow after the rule's delay
    ScheduledDone,    // the delayed WM_CLOSE was posted
    ScheduledDropped, // the delayed close found its window gone or no longer matching
    Refused,          // Windows refused the post
    Applied,          // WM_CLOSE posted by "Apply Rules to Open Windows Now"
    ApplyDropped,     // ... not posted: the window was gone or no longer matched
    Pressed,          // a button was pressed
    Minimized,        // the window was minimized
    NoSuchButton,     // no button of the window matches the rule's
    SeveralButtons,   // more than one does: none was pressed
    ButtonDisabled,   // the one that matches is disabled
    NotPressed,       // a window that is never pressed: the rule would have pressed it
    // What followed a close the window ignored (nDelayMs: the time it waited).
    SysCloseSent,      // the window menu's Close was posted
    SysCloseHeld,      // ... not: the window shows a window of its own
    ProgramEnded,      // the user agreed and the program was ended
    EndDeclined,       // the user said No
    EndRefused,        // not ended, and why
    EscalationDropped, // the follow-up ended early, and why
};

struct CActionEntry {
    CString strTime;
    CString strCaption;
    CString strClass;
    CString strProgram; // empty where not known
    int nRule = 0;      // the rule's number from 1
    CString strRuleName;
    EAction action = EAction::CloseAsked;
    int nDelayMs = 0;  // CloseScheduled: the delay
    CString strDetail; // ScheduledDropped, ApplyDropped, NotPressed: why; Refused: the
                       // system's words
    CString strButton; // Pressed, ButtonDisabled, NotPressed: the button's text as shown
};

// Where the watcher reports each decision, with the id of the rule that made it.
class IActionLog {
public:
    virtual void LogAction(RuleId rule, CActionEntry entry) = 0;
    // Once after a burst of actions, from the message loop: time to draw them. Drawing at each
    // action would compete with the window that was just asked to close.
    virtual void ShowActions() {}

protected:
    ~IActionLog() = default;
};

class CHistory : public IActionLog {
public:
    static constexpr size_t kCapacity = 500;

    void LogAction(RuleId rule, CActionEntry entry) override;
    size_t GetCount() const { return m_entries.size(); }
    // 0 is the newest.
    const CActionEntry& GetAt(size_t i) const { return m_entries[i]; }
    void Clear() { m_entries.clear(); }
    // How many actions the rule took (closes asked for at once, after its delay or applied,
    // presses, minimizes); refusals and drops are none.
    int ActionCount(RuleId rule) const;
    // A deleted rule's count goes with it; its lines keep the number and name it had.
    void ForgetRule(RuleId rule) { m_actionCounts.erase(rule); }

private:
    std::deque<CActionEntry> m_entries;
    std::map<RuleId, int> m_actionCounts;
};

// The columns of the history list.
inline constexpr int kHistoryColumnCount = 7;
const WCHAR16* HistoryColumnCaption(int column);
CString HistoryCellText(const CActionEntry& entry, int column);
// What happened, in words.
CString ActionText(const CActionEntry& entry);
// Cells joined by tabs: one line to copy.
CString TabLine(const CString* cells, int count);
// Every entry, newest first, one tab-separated line each ending in CR LF, under a line of
// column names.
CString HistoryText(const CHistory& history);
