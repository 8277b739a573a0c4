// CAutoClose: what the watcher decides about windows and pending closes, apart from the window
// system it asks. The Win32 watcher is a thin adapter of this; tests drive it against a
// simulated desktop.
#pragma once

#include "engine/Escalation.h"
#include "engine/History.h"
#include "engine/Match.h"
#include "engine/WindowOwner.h"
#include "rules/RuleSet.h"

#include <unordered_map>

// What came of a rule's action on a window, as the History names it.
enum class EActResult : std::uint8_t {
    Done,           // asked to close, pressed or minimized
    NoSuchButton,   // Press: no visible push button matches
    SeveralButtons, // ... more than one does
    ButtonDisabled, // ... the one that does is disabled
    Refused,        // the system refused it
    Protected,      // a window that is never pressed: nothing was done
};

struct CActOutcome {
    EActResult result = EActResult::Done;
    CString strButton; // Press: the button's text as shown (or as the rule names it)
    CString strDetail; // Refused: the system's words; Protected: whose window it is
};

// What the decisions ask of the window system.
class IWindowSystem {
public:
    // The window's snapshot and owner now; nullptr when the handle names no window. The
    // snapshot stays valid until the next call.
    virtual const CWindowSnapshot* ReadWindow(HWND hwnd, CWindowOwner& owner) = 0;
    // Does the rule's action to the window; never waits for it.
    virtual CActOutcome Act(HWND hwnd, const CRule& rule) = 0;
    // Starts the one-shot timer `id`, or restarts it with the full delay when it runs.
    virtual void SetTimer(UINT_PTR id, UINT delayMs) = 0;
    virtual void KillTimer(UINT_PTR id) = 0;

protected:
    ~IWindowSystem() = default;
};

class CAutoClose {
public:
    CAutoClose(const CRuleSet& rules, IWindowSystem& system) : m_rules(rules), m_system(system) {}

    // One event of a kind a rule is checked at (a trigger): every enabled rule of that trigger
    // that matches acts on the window at once, or gives it a pending close at the rule's delay.
    // A window already pending for a rule keeps its close; only the foreground restarts its
    // delay. Nothing acts while paused.
    void OnEvent(HWND hwnd, const CWindowSnapshot& window, CWindowOwner owner, DWORD trigger);
    void OnForeground(HWND hwnd, const CWindowSnapshot& window, CWindowOwner owner) {
        OnEvent(hwnd, window, owner, kTriggerForeground);
    }
    // "Apply Rules": rule `id` acts on the window now, if the handle still names the window of
    // the match (`owner`) and the rule, as it stands, still matches it; `entry` says which
    // window it was.
    void ApplyNow(RuleId id, HWND hwnd, CWindowOwner owner, CActionEntry entry);
    // Closes the window a user chose, if the handle still names the window of `owner`. False
    // when it does not; `why` says why nothing was done.
    bool CloseChosen(HWND hwnd, CWindowOwner owner, CString& why);
    // A pending close is due: its rule acts if the handle still names the window of the match
    // and the rule, as it stands now, still matches it.
    void OnTimer(UINT_PTR id);
    // The rule is being deleted: its pending closes and follow-ups are dropped.
    void ForgetRule(RuleId id);
    // Watching stops: every pending close is dropped, unlogged, and every follow-up, logged.
    void CancelAll();
    // Pausing drops every pending close and follow-up (each one logged as dropped).
    void SetPaused(bool paused);
    bool IsPaused() const { return m_bPaused; }
    // Every decision is told to `log` from now on (null: to nobody).
    void SetActionLog(IActionLog* log) {
        m_pLog = log;
        m_escalations.SetActionLog(log);
    }
    // What follows a close that a window ignores; without a system, nothing does.
    void SetEscalation(IEscalationSystem* system, IEndQuestion* question) {
        m_escalations.SetSystem(system, question);
    }
    size_t PendingCount() const { return m_pending.size(); }
    size_t EscalationCount() const { return m_escalations.Count(); }

private:
    // What a rule owes a window: one pending close per rule and window.
    struct CPendingKey {
        RuleId rule = 0;
        HWND hwnd = nullptr;
        CWindowOwner owner;
        bool operator==(const CPendingKey&) const = default;
    };
    // Hashed, so that an event's look-up costs the same however many closes are pending.
    struct CPendingKeyHash {
        size_t operator()(const CPendingKey& key) const noexcept;
    };
    struct CPending {
        UINT_PTR timerId = 0;
        CActionEntry entry; // the window as it was at the match, while a log listens
    };
    using PendingMap = std::unordered_map<CPendingKey, CPending, CPendingKeyHash>;

    // The one executor: looks at the window again (unless `seen` is this turn's own look at
    // it), requires the owner of the match and that rule i, as it stands, matches; only then
    // acts. Whatever it does or refuses is logged as one line.
    void Execute(int i, HWND hwnd, CWindowOwner owner, const CWindowSnapshot* seen,
                 CActionEntry entry, EAction done);
    void Schedule(int i, HWND hwnd, CWindowOwner owner, const CWindowSnapshot& window,
                  DWORD trigger);
    // Ends a pending close without acting: its timer stops and the log says why.
    PendingMap::iterator Drop(PendingMap::iterator it, const WCHAR16* why);
    void Log(int i, CActionEntry entry, EAction action);
    CActionEntry EntryOf(const CWindowSnapshot& window) const;

    const CRuleSet& m_rules;
    IWindowSystem& m_system;
    // Timer ids are never reused, so a late timer can never be taken for a newer close.
    UINT_PTR m_nLastTimerId = 0;
    bool m_bPaused = false;
    IActionLog* m_pLog = nullptr;
    PendingMap m_pending;
    // A rehash moves no key but invalidates iterators: the timer keeps its close's key.
    std::unordered_map<UINT_PTR, CPendingKey> m_byTimer;
    CEscalations m_escalations{m_rules, m_system, m_nLastTimerId};
};
