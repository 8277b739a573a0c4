// CWatcher: every foreground window of another program is compared with the rules; a matching
// rule closes it at once or after its delay, and the window is reported to the host.
#pragma once

#include "engine/AutoClose.h"
#include "engine/History.h"
#include "engine/Match.h"
#include "engine/win/OpenWindows.h"
#include "engine/win/Snapshot.h"
#include "framework/win/Handle.h"
#include "rules/RuleSet.h"

// What the watcher tells the program that hosts it.
class IForegroundReport {
public:
    // The report of the latest foreground window: at most once per turn of the message loop,
    // always after the closes of its event were posted.
    virtual void ShowForegroundReport(const CString& report) = 0;

protected:
    ~IForegroundReport() = default;
};

// The Win32 side of CAutoClose: the hook, the timers on the owner window, the posted closes
// and the reading of windows.
class CWatcher : private IWindowSystem, private IEscalationSystem, private IActionLog {
public:
    CWatcher(const CRuleSet& rules, IForegroundReport& report)
        : m_rules(rules), m_report(report), m_autoClose(rules, *this) {
        m_autoClose.SetEscalation(this, nullptr);
    }
    ~CWatcher() { Remove(); }
    CWatcher(const CWatcher&) = delete;
    CWatcher& operator=(const CWatcher&) = delete;

    // Watches from now on; pending closes are timers on `owner`. Without a hook (the system
    // refused it) nothing is watched, silently.
    void Install(HWND owner);
    // Stops watching and drops every close not yet done.
    void Remove();
    // One foreground event: the window is compared with every rule, then reported.
    void CheckWindowAgainstRules(HWND hwnd, CWindowOwner owner);
    // Drops the pending closes of a rule that is being deleted.
    void ForgetRule(RuleId id) { m_autoClose.ForgetRule(id); }
    // Hands the waiting report, if any, to the host now, and lets the log show its actions.
    void FlushReport();

    // Who is asked before a program is ended (null: nobody, and none is ended).
    void SetEndQuestion(IEndQuestion* question) { m_autoClose.SetEscalation(this, question); }
    // Every decision is told to `log` from now on (null: to nobody), with its local time.
    void SetActionLog(IActionLog* log);
    // While paused no rule acts: pending closes are dropped now, and no title-change or show
    // hook exists. Foreground windows are still reported.
    void SetPaused(bool paused);
    bool IsPaused() const { return m_autoClose.IsPaused(); }
    // Hooks exactly the moments that enabled rules ask for; called whenever the rules change.
    void UpdateHooks();
    // A title change or show of a top-level window: checked against the rules of that moment.
    // Never reported in the status line.
    void CheckWindowAt(HWND hwnd, DWORD trigger);
    // "Apply Rules": each window of another program that its rule still matches acts at once.
    void CloseOpenWindows(const std::vector<COpenMatch>& matches);
    // Closes the window a user chose if the handle still names the window of `owner`;
    // otherwise false with why.
    bool CloseChosen(HWND hwnd, CWindowOwner owner, CString& why) {
        return m_autoClose.CloseChosen(hwnd, owner, why);
    }

private:
    const CWindowSnapshot* ReadWindow(HWND hwnd, CWindowOwner& owner) override;
    CActOutcome Act(HWND hwnd, const CRule& rule) override;
    void LogAction(RuleId rule, CActionEntry entry) override;
    void SetTimer(UINT_PTR id, UINT delayMs) override;
    void KillTimer(UINT_PTR id) override;
    // The escalation's checks and actions (engine/win/Escalation.cpp).
    void OwnedWindows(HWND hwnd, std::vector<HWND>& owned) override;
    bool ShowsNewWindow(HWND hwnd, const std::vector<HWND>& before) override;
    bool SendSysClose(HWND hwnd, CString& why) override;
    int SilentMs(HWND hwnd) override;
    bool MayEnd(HWND hwnd, CWindowOwner owner, CProgramToEnd& program, CString& why) override;
    bool EndProgram(CWindowOwner owner, CString& why) override;

    static void CALLBACK WinEventCallback(HWINEVENTHOOK, DWORD event, HWND hwnd, LONG idObject,
                                          LONG, DWORD, DWORD);
    static void CALLBACK MomentEventCallback(HWINEVENTHOOK, DWORD event, HWND hwnd, LONG idObject,
                                             LONG idChild, DWORD, DWORD);
    static void CALLBACK AutoCloseTimerProc(HWND hwnd, UINT, UINT_PTR id, DWORD);
    static void CALLBACK ReportTimerProc(HWND hwnd, UINT, UINT_PTR id, DWORD);
    // Starts the report's one-shot timer unless it runs.
    void WaitToReport();

    const CRuleSet& m_rules;
    IForegroundReport& m_report;
    HWND m_hOwner = nullptr;
    HWND m_hDesktop = nullptr;
    CWinEventHook m_hWinEventHook;
    CWinEventHook m_hNameChangeHook; // only while an enabled rule is checked at a title change
    CWinEventHook m_hShowHook;       // ... at a show
    IActionLog* m_pLog = nullptr;
    CAutoClose m_autoClose;

    // The latest event, kept until it is reported: the reader's buffers are reused from event
    // to event, and its snapshot stays valid until the next one.
    CSnapshotReader m_reader;
    CSnapshotReader m_timerReader;  // a delay's second look, which must not touch the report's
    CSnapshotReader m_momentReader; // title changes and shows, never reported
    CSnapshotReader m_actReader;    // the image of a window about to be pressed
    const CWindowSnapshot* m_pWindow = nullptr;
    SYSTEMTIME m_time{};
    UINT_PTR m_nReportTimer = 0;   // a report waits while this one-shot timer runs
    bool m_bReportWindow = false;  // ... of the latest foreground window
    bool m_bReportActions = false; // ... of the actions logged since the last one
};
