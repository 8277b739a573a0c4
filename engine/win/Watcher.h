// CWatcher: every foreground window of another program is compared with the rules; a matching
// rule closes it at once or after its delay, and the window is reported to the host.
#pragma once

#include "engine/History.h"
#include "engine/Match.h"
#include "engine/win/OpenWindows.h"
#include "engine/win/Snapshot.h"
#include "framework/win/Handle.h"
#include "rules/RuleSet.h"

#include <map>
#include <vector>

// What the watcher tells the program that hosts it.
class IForegroundReport {
public:
    // The report of the latest foreground window: at most once per turn of the message loop,
    // always after the closes of its event were posted.
    virtual void ShowForegroundReport(const CString& report) = 0;

protected:
    ~IForegroundReport() = default;
};

class CWatcher {
public:
    CWatcher(CRuleSet& rules, IForegroundReport& report) : m_rules(rules), m_report(report) {}
    ~CWatcher() { Remove(); }
    CWatcher(const CWatcher&) = delete;
    CWatcher& operator=(const CWatcher&) = delete;

    // Watches from now on; pending closes are timers on `owner`. Without a hook (the system
    // refused it) nothing is watched, silently.
    void Install(HWND owner);
    // Stops watching and drops every close not yet done.
    void Remove();
    // One foreground event: the window is compared with every rule, then reported.
    void CheckWindowAgainstRules(HWND hwnd);
    // Drops the pending close of a rule that is being deleted.
    void CancelPendingClose(CWindowInfo& rule);
    // Hands the waiting report, if any, to the host now.
    void FlushReport();

    // Every decision is told to `log` from now on (null: to nobody).
    void SetActionLog(IActionLog* log) { m_pLog = log; }
    // While paused no rule acts: pending closes are dropped now, and no title-change or show
    // hook exists. Foreground windows are still reported.
    void SetPaused(bool paused);
    bool IsPaused() const { return m_bPaused; }
    // Hooks exactly the moments that enabled rules ask for; called whenever the rules change.
    void UpdateHooks();
    // A title change or show of a top-level window: checked against the rules of that moment.
    // Never reported in the status line.
    void CheckWindowAt(HWND hwnd, DWORD trigger);
    // Asks each window of another program to close at once, as "Apply Rules" does.
    void CloseOpenWindows(const std::vector<COpenMatch>& matches);

private:
    static void CALLBACK WinEventCallback(HWINEVENTHOOK, DWORD event, HWND hwnd, LONG idObject,
                                          LONG, DWORD, DWORD);
    static void CALLBACK AutoCloseTimerProc(HWND hwnd, UINT, UINT_PTR id, DWORD);
    static void CALLBACK ReportTimerProc(HWND hwnd, UINT, UINT_PTR id, DWORD);
    static void CALLBACK MomentEventCallback(HWINEVENTHOOK, DWORD event, HWND hwnd, LONG idObject,
                                             LONG idChild, DWORD, DWORD);
    // What a matching rule does to the window: closes it now or starts its timer.
    void Act(int ruleIndex, HWND hwnd, const CWindowSnapshot& window);
    // Posts WM_CLOSE; tells the log `done` or that Windows refused it.
    void PostClose(const CWindowInfo& rule, HWND hwnd, CActionEntry entry, EAction done);
    void Log(const CWindowInfo& rule, CActionEntry entry, EAction action);
    void DropPendingCloses(const WCHAR16* why);

    CRuleSet& m_rules;
    IForegroundReport& m_report;
    HWND m_hOwner = nullptr;
    CWinEventHook m_hWinEventHook;
    // Timer ids are never reused, so a late timer can never be taken for a newer rule's.
    UINT_PTR m_nLastTimerId = 0;

    // The latest event, kept until it is reported: the reader's buffers are reused from event
    // to event, and its snapshot stays valid until the next one.
    CSnapshotReader m_reader;
    const CWindowSnapshot* m_pWindow = nullptr;
    SYSTEMTIME m_time{};
    UINT_PTR m_nReportTimer = 0; // a report waits while this one-shot timer runs

    IActionLog* m_pLog = nullptr;
    bool m_bPaused = false;
    CWinEventHook m_hNameChangeHook;
    CWinEventHook m_hShowHook;
    HWND m_hDesktop = nullptr;
    // Title changes and shows are read apart from the foreground snapshot, which must stay
    // valid until it is reported.
    CSnapshotReader m_momentReader;
    // Each pending close's window as it was when scheduled, by timer id, for the history.
    std::map<UINT_PTR, CActionEntry> m_pendingEntries;
};
