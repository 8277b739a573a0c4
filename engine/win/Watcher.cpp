// The foreground watcher: every foreground window of another program is compared with the
// rules and then reported; a matching rule closes it at once or after its delay.
//
// A pending close belongs to its rule record, not to a row: the record carries its own timer
// id, and the timer procedure looks the record up by that id when it fires. Deleting a rule
// stops its timer, and a timer whose rule is gone finds no record and posts nothing, so rules
// moving up never inherit another rule's close.
#include "Watcher.h"

#include "engine/Moments.h"
#include "engine/Report.h"
#include "framework/win/App.h"
#include "framework/Exception.h"

#include <oleauto.h>

#include <memory>
#include <utility>

namespace {

struct BstrFree {
    void operator()(BSTR text) const { ::SysFreeString(text); }
};
using CBstr = std::unique_ptr<OLECHAR, BstrFree>;

// The one installed watcher; the system's callbacks carry no context.
CWatcher* g_pWatcher = nullptr;

// How long the status line waits after an event. Writing an edit control takes the window
// server for about half a millisecond under Wine, time that the target needs to take its
// WM_CLOSE; the wait also gathers a burst of events into one write.
constexpr UINT kReportDelayMs = 10;

// A local time to the whole second, as the user's locale writes a date with its time.
CString LocalTimeText(SYSTEMTIME time) {
    time.wMilliseconds = 0;
    DATE date = 0;
    BSTR raw = nullptr;
    if (!::SystemTimeToVariantTime(&time, &date) ||
        FAILED(::VarBstrFromDate(date, LOCALE_USER_DEFAULT, 0, &raw)) || raw == nullptr)
        return CString(kInvalidDateTime);
    CBstr text(raw);
    return CString(text.get(), static_cast<int>(::SysStringLen(text.get())));
}

// The history's record of a window, before the rule and the action are known.
CActionEntry EntryOf(const CWindowSnapshot& window) {
    CActionEntry entry;
    entry.strCaption = CString(window.strTitle);
    entry.strClass = CString(window.strClass);
    return entry;
}

// Why a post failed, in words a user can act on.
CString RefusalText(DWORD error) {
    if (error == ERROR_ACCESS_DENIED)
        return CString(L"the window belongs to a program with higher rights");
    return SystemErrorText(error);
}

} // namespace

void CALLBACK CWatcher::AutoCloseTimerProc(HWND hwnd, UINT, UINT_PTR id, DWORD) {
    ::KillTimer(hwnd, id);
    if (g_pWatcher == nullptr)
        return;
    try {
        CWatcher& watcher = *g_pWatcher;
        const CRuleSet& rules = watcher.m_rules;
        CActionEntry entry;
        if (auto it = watcher.m_pendingEntries.find(id); it != watcher.m_pendingEntries.end()) {
            entry = std::move(it->second);
            watcher.m_pendingEntries.erase(it);
        }
        for (int i = 0; i < rules.GetCount(); ++i) {
            const CWindowInfo& rule = rules.GetAt(i);
            if (rule.m_nTimerId != id)
                continue;
            if (!::IsWindow(rule.m_hWnd)) {
                entry.strDetail = L"the window is gone";
                watcher.Log(rule, std::move(entry), EAction::ScheduledDropped);
                return;
            }
            watcher.PostClose(rule, rule.m_hWnd, std::move(entry), EAction::ScheduledDone);
            return;
        }
    } catch (...) {
        // A timer procedure lets nothing through; a lost history line is all that is lost.
    }
}

void CWatcher::Log(const CWindowInfo& rule, CActionEntry entry, EAction action) {
    if (m_pLog == nullptr)
        return;
    SYSTEMTIME now{};
    ::GetLocalTime(&now);
    entry.strTime = LocalTimeText(now);
    entry.action = action;
    for (int i = 0; i < m_rules.GetCount(); ++i)
        if (&m_rules.GetAt(i) == &rule)
            entry.nRule = i + 1;
    m_pLog->LogAction(&rule, std::move(entry));
}

void CWatcher::PostClose(const CWindowInfo& rule, HWND hwnd, CActionEntry entry, EAction done) {
    if (::PostMessageW(hwnd, WM_CLOSE, 0, 0)) {
        Log(rule, std::move(entry), done);
        return;
    }
    entry.strDetail = RefusalText(::GetLastError());
    Log(rule, std::move(entry), EAction::Refused);
}

void CWatcher::Act(int ruleIndex, HWND hwnd, const CWindowSnapshot& window) {
    CWindowInfo& rule = m_rules.GetAt(ruleIndex);
    rule.m_hWnd = hwnd;
    if (rule.m_nDelayMs > 0) {
        if (rule.m_nTimerId == 0)
            rule.m_nTimerId = ++m_nLastTimerId;
        // Setting a running id again restarts it with the full delay.
        ::SetTimer(m_hOwner, rule.m_nTimerId, static_cast<UINT>(rule.m_nDelayMs),
                   AutoCloseTimerProc);
        if (m_pLog != nullptr) {
            CActionEntry entry = EntryOf(window);
            entry.nDelayMs = rule.m_nDelayMs;
            m_pendingEntries[rule.m_nTimerId] = entry;
            Log(rule, std::move(entry), EAction::CloseScheduled);
        }
    } else if (m_pLog != nullptr) {
        PostClose(rule, hwnd, EntryOf(window), EAction::CloseAsked);
    } else {
        ::PostMessageW(hwnd, WM_CLOSE, 0, 0);
    }
}

void CALLBACK CWatcher::MomentEventCallback(HWINEVENTHOOK, DWORD event, HWND hwnd, LONG idObject,
                                            LONG idChild, DWORD, DWORD) {
    // Floods of these come (every tooltip shown, every console title): the checks that need
    // no window property come first.
    if (idObject != OBJID_WINDOW || idChild != CHILDID_SELF || hwnd == nullptr ||
        g_pWatcher == nullptr || g_pWatcher->m_bPaused)
        return;
    const DWORD trigger = event == EVENT_OBJECT_SHOW         ? kTriggerShown
                          : event == EVENT_OBJECT_NAMECHANGE ? kTriggerTitleChange
                                                             : 0;
    if (trigger == 0 || ::GetAncestor(hwnd, GA_PARENT) != g_pWatcher->m_hDesktop)
        return;
    try {
        g_pWatcher->CheckWindowAt(hwnd, trigger);
    } catch (...) {
        // Never reported: these events are not the status line's, and a box per event would
        // flood the user.
    }
}

void CWatcher::CheckWindowAt(HWND hwnd, DWORD trigger) {
    if (m_bPaused || !TitleMayMatch(m_rules, trigger, m_momentReader.ReadCaption(hwnd)))
        return;
    DWORD pid = 0;
    if (::GetWindowThreadProcessId(hwnd, &pid) == 0 || pid == ::GetCurrentProcessId())
        return;
    const CWindowSnapshot& window = m_momentReader.Read(hwnd);
    ScanRulesAt(m_rules, trigger, window, [&](int i) { Act(i, hwnd, window); });
}

void CWatcher::UpdateHooks() {
    const DWORD wanted = m_hOwner != nullptr && !m_bPaused ? WantedTriggers(m_rules) : 0;
    const auto keep = [](CWinEventHook& hook, bool want, DWORD event) {
        if (!want)
            hook.Reset();
        else if (!hook)
            hook.Reset(::SetWinEventHook(event, event, nullptr, MomentEventCallback, 0, 0,
                                         WINEVENT_OUTOFCONTEXT | WINEVENT_SKIPOWNPROCESS));
    };
    keep(m_hNameChangeHook, (wanted & kTriggerTitleChange) != 0, EVENT_OBJECT_NAMECHANGE);
    keep(m_hShowHook, (wanted & kTriggerShown) != 0, EVENT_OBJECT_SHOW);
}

void CWatcher::SetPaused(bool paused) {
    m_bPaused = paused;
    if (paused)
        DropPendingCloses(L"Auto Close was paused");
    UpdateHooks();
}

void CWatcher::DropPendingCloses(const WCHAR16* why) {
    for (int i = 0; i < m_rules.GetCount(); ++i) {
        CWindowInfo& rule = m_rules.GetAt(i);
        if (rule.m_nTimerId == 0 || m_hOwner == nullptr)
            continue;
        ::KillTimer(m_hOwner, rule.m_nTimerId);
        auto it = m_pendingEntries.find(rule.m_nTimerId);
        if (it == m_pendingEntries.end())
            continue;
        CActionEntry entry = std::move(it->second);
        m_pendingEntries.erase(it);
        entry.strDetail = why;
        Log(rule, std::move(entry), EAction::ScheduledDropped);
    }
}

void CWatcher::CloseOpenWindows(const std::vector<COpenMatch>& matches) {
    for (const COpenMatch& match : matches) {
        if (match.bOwn || match.nRule < 0 || match.nRule >= m_rules.GetCount())
            continue;
        CActionEntry entry;
        entry.strCaption = match.strCaption;
        entry.strClass = match.strClass;
        PostClose(m_rules.GetAt(match.nRule), match.hwnd, std::move(entry), EAction::Applied);
    }
}

void CALLBACK CWatcher::ReportTimerProc(HWND, UINT, UINT_PTR, DWORD) {
    if (g_pWatcher != nullptr)
        g_pWatcher->FlushReport();
}

void CALLBACK CWatcher::WinEventCallback(HWINEVENTHOOK, DWORD event, HWND hwnd, LONG idObject, LONG,
                                         DWORD, DWORD) {
    if (event != EVENT_SYSTEM_FOREGROUND || idObject != OBJID_WINDOW)
        return;
    if (hwnd == nullptr || g_pWatcher == nullptr)
        return;
    // The hook skips our own process, but Wine still delivers events raised for our windows;
    // our own dialogs must never be reported or closed.
    DWORD pid = 0;
    if (::GetWindowThreadProcessId(hwnd, &pid) != 0 && pid == ::GetCurrentProcessId())
        return;
    try {
        g_pWatcher->CheckWindowAgainstRules(hwnd);
    } catch (const CException& e) {
        e.ReportError(MB_OK);
    } catch (...) {
        AfxMessageBox(L"Unknown Exception", MB_OK | MB_ICONEXCLAMATION);
    }
}

void CWatcher::Install(HWND owner) {
    m_hOwner = owner;
    m_hDesktop = ::GetDesktopWindow();
    g_pWatcher = this;
    // Out of context: the callback runs on this thread while it pumps messages.
    m_hWinEventHook.Reset(::SetWinEventHook(EVENT_SYSTEM_FOREGROUND, EVENT_SYSTEM_FOREGROUND,
                                            nullptr, WinEventCallback, 0, 0,
                                            WINEVENT_OUTOFCONTEXT | WINEVENT_SKIPOWNPROCESS));
    UpdateHooks();
}

void CWatcher::Remove() {
    m_hWinEventHook.Reset();
    m_hNameChangeHook.Reset();
    m_hShowHook.Reset();
    // Closes not yet done are dropped now, even if shutting down pumps messages before the
    // window and its timers are gone.
    for (int i = 0; i < m_rules.GetCount(); ++i)
        CancelPendingClose(m_rules.GetAt(i));
    if (m_nReportTimer != 0)
        ::KillTimer(nullptr, std::exchange(m_nReportTimer, 0));
    if (g_pWatcher == this)
        g_pWatcher = nullptr;
}

void CWatcher::CancelPendingClose(CWindowInfo& rule) {
    if (rule.m_nTimerId != 0 && m_hOwner != nullptr)
        ::KillTimer(m_hOwner, rule.m_nTimerId);
    m_pendingEntries.erase(rule.m_nTimerId);
}

void CWatcher::CheckWindowAgainstRules(HWND hwnd) {
    ::GetLocalTime(&m_time);
    m_pWindow = &m_reader.Read(hwnd);

    // Each matching rule acts by itself; a match does not end the scan.
    if (!m_bPaused)
        ScanRulesAt(m_rules, kTriggerForeground, *m_pWindow,
                    [&](int i) { Act(i, hwnd, *m_pWindow); });

    // The report comes after the closes, from the message loop: a burst of events writes the
    // status line once, with the last window. A thread timer, so that its id is the system's.
    if (m_nReportTimer == 0)
        m_nReportTimer = ::SetTimer(nullptr, 0, kReportDelayMs, ReportTimerProc);
}

void CWatcher::FlushReport() {
    if (m_nReportTimer == 0 || m_pWindow == nullptr)
        return;
    ::KillTimer(nullptr, std::exchange(m_nReportTimer, 0));
    m_report.ShowForegroundReport(FormatForegroundReport(LocalTimeText(m_time).View(), *m_pWindow));
}
