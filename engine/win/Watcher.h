// CWatcher: every foreground window of another program is compared with the rules; a matching
// rule closes it at once or after its delay, and the window is reported to the host.
#pragma once

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

private:
    static void CALLBACK WinEventCallback(HWINEVENTHOOK, DWORD event, HWND hwnd, LONG idObject,
                                          LONG, DWORD, DWORD);
    static void CALLBACK AutoCloseTimerProc(HWND hwnd, UINT, UINT_PTR id, DWORD);
    static void CALLBACK ReportTimerProc(HWND hwnd, UINT, UINT_PTR id, DWORD);

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
};
