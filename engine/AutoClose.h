// CAutoClose: what the watcher decides about foreground windows and pending closes, apart from
// the window system it asks. The Win32 watcher is a thin adapter of this; tests drive it against
// a simulated desktop.
#pragma once

#include "engine/History.h"
#include "engine/Match.h"
#include "rules/RuleSet.h"

// Who owns a window: a handle alone can name another program's window later.
struct CWindowOwner {
    DWORD threadId = 0;
    DWORD processId = 0;

    bool operator==(const CWindowOwner&) const = default;
};

// What the decisions ask of the window system.
class IWindowSystem {
public:
    // The window's snapshot and owner now; nullptr when the handle names no window. The
    // snapshot stays valid until the next call.
    virtual const CWindowSnapshot* ReadWindow(HWND hwnd, CWindowOwner& owner) = 0;
    // Asks the window to close; never waits for it. False when the system refused the post,
    // with `why` in words.
    virtual bool PostClose(HWND hwnd, CString& why) = 0;
    // Starts the one-shot timer `id`, or restarts it with the full delay when it runs.
    virtual void SetTimer(UINT_PTR id, UINT delayMs) = 0;
    virtual void KillTimer(UINT_PTR id) = 0;

protected:
    ~IWindowSystem() = default;
};

class CAutoClose {
public:
    CAutoClose(CRuleSet& rules, IWindowSystem& system) : m_rules(rules), m_system(system) {}

    // One event of a kind a rule is checked at (a trigger): every enabled rule of that trigger
    // that matches closes the window at once, or (re)starts its delay and takes this window as
    // the one it will close. Nothing acts while paused.
    void OnEvent(HWND hwnd, const CWindowSnapshot& window, CWindowOwner owner, DWORD trigger);
    void OnForeground(HWND hwnd, const CWindowSnapshot& window, CWindowOwner owner) {
        OnEvent(hwnd, window, owner, kTriggerForeground);
    }
    // Asks the window to close at once for rule i, as "Apply Rules" does; `entry` says which
    // window it is.
    void CloseNow(int i, HWND hwnd, CActionEntry entry);
    // A rule's delay is over: its window is closed only if the handle still names the window
    // of the match and the rule, as it stands now, still matches it.
    void OnTimer(UINT_PTR id);
    // Drops the rule's pending close (the rule is being deleted, or watching stops).
    void CancelPendingClose(CWindowInfo& rule);
    void CancelAll();
    // Pausing drops every pending close (each one logged as dropped).
    void SetPaused(bool paused);
    bool IsPaused() const { return m_bPaused; }
    // Every decision is told to `log` from now on (null: to nobody).
    void SetActionLog(IActionLog* log) { m_pLog = log; }

private:
    void Post(int i, HWND hwnd, CActionEntry entry, EAction done);
    void Log(int i, CActionEntry entry, EAction action);

    CRuleSet& m_rules;
    IWindowSystem& m_system;
    // Timer ids are never reused, so a late timer can never be taken for a newer rule's.
    UINT_PTR m_nLastTimerId = 0;
    bool m_bPaused = false;
    IActionLog* m_pLog = nullptr;
    // While a log listens: the window of each pending close as it was at its match, by timer.
    std::map<UINT_PTR, CActionEntry> m_pending;
};
