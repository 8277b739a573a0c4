// CWatcher: every foreground window of another program is compared with the rules; a matching
// rule closes it at once or after its delay, and the window is reported to the host.
#pragma once

#include "engine/AutoClose.h"
#include "engine/Match.h"
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
class CWatcher : private IWindowSystem {
public:
    CWatcher(CRuleSet& rules, IForegroundReport& report)
        : m_rules(rules), m_report(report), m_autoClose(rules, *this) {}
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
    void CheckWindowAgainstRules(HWND hwnd, CWindowOwner owner);
    // Drops the pending close of a rule that is being deleted.
    void CancelPendingClose(CWindowInfo& rule);
    // Hands the waiting report, if any, to the host now.
    void FlushReport();

private:
    const CWindowSnapshot* ReadWindow(HWND hwnd, CWindowOwner& owner) override;
    void PostClose(HWND hwnd) override;
    void SetTimer(UINT_PTR id, UINT delayMs) override;
    void KillTimer(UINT_PTR id) override;

    static void CALLBACK WinEventCallback(HWINEVENTHOOK, DWORD event, HWND hwnd, LONG idObject,
                                          LONG, DWORD, DWORD);
    static void CALLBACK AutoCloseTimerProc(HWND hwnd, UINT, UINT_PTR id, DWORD);
    static void CALLBACK ReportTimerProc(HWND hwnd, UINT, UINT_PTR id, DWORD);

    CRuleSet& m_rules;
    IForegroundReport& m_report;
    HWND m_hOwner = nullptr;
    CWinEventHook m_hWinEventHook;
    CAutoClose m_autoClose;

    // The latest event, kept until it is reported: the reader's buffers are reused from event
    // to event, and its snapshot stays valid until the next one.
    CSnapshotReader m_reader;
    CSnapshotReader m_timerReader; // a delay's second look, which must not touch the report's
    const CWindowSnapshot* m_pWindow = nullptr;
    SYSTEMTIME m_time{};
    UINT_PTR m_nReportTimer = 0; // a report waits while this one-shot timer runs
};
