// The foreground watcher: every foreground window of another program is compared with the
// rules and then reported; a matching rule closes it at once or after its delay. The decisions
// are CAutoClose's; this file only connects them to the window system.
#include "Watcher.h"

#include "engine/Triggers.h"
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

// Why a post failed, in words a user can act on.
CString RefusalText(DWORD error) {
    if (error == ERROR_ACCESS_DENIED)
        return CString(L"the window belongs to a program with higher rights");
    return SystemErrorText(error);
}

} // namespace

void CALLBACK CWatcher::AutoCloseTimerProc(HWND hwnd, UINT, UINT_PTR id, DWORD) {
    if (g_pWatcher == nullptr) {
        ::KillTimer(hwnd, id);
        return;
    }
    AfxCallbackBoundary([&] { g_pWatcher->m_autoClose.OnTimer(id); });
}

const CWindowSnapshot* CWatcher::ReadWindow(HWND hwnd, CWindowOwner& owner) {
    if (hwnd == nullptr || !::IsWindow(hwnd))
        return nullptr;
    owner.threadId = ::GetWindowThreadProcessId(hwnd, &owner.processId);
    if (owner.threadId == 0)
        return nullptr;
    return &m_timerReader.Read(hwnd, m_rules.NeedsProcess());
}

// How each action is done: the one place that knows.
bool CWatcher::Act(HWND hwnd, ERuleAction action, CString& why) {
    switch (action) {
    case ERuleAction::Close:
        if (::PostMessageW(hwnd, WM_CLOSE, 0, 0))
            return true;
        break;
    case ERuleAction::Press:
    case ERuleAction::Minimize:
        why = L"this copy of Quellix cannot do that";
        return false;
    }
    why = RefusalText(::GetLastError());
    return false;
}

void CWatcher::LogAction(RuleId rule, CActionEntry entry) {
    if (m_pLog == nullptr)
        return;
    SYSTEMTIME now{};
    ::GetLocalTime(&now);
    entry.strTime = LocalTimeText(now);
    m_pLog->LogAction(rule, std::move(entry));
    m_bReportActions = true;
    WaitToReport();
}

void CWatcher::SetActionLog(IActionLog* log) {
    m_pLog = log;
    m_autoClose.SetActionLog(log != nullptr ? this : nullptr);
}

void CWatcher::SetPaused(bool paused) {
    m_autoClose.SetPaused(paused);
    UpdateHooks();
}

void CALLBACK CWatcher::MomentEventCallback(HWINEVENTHOOK, DWORD event, HWND hwnd, LONG idObject,
                                            LONG idChild, DWORD, DWORD) {
    // Floods of these come (every tooltip shown, every console title): the checks that need
    // no window property come first.
    if (idObject != OBJID_WINDOW || idChild != CHILDID_SELF || hwnd == nullptr ||
        g_pWatcher == nullptr || g_pWatcher->IsPaused())
        return;
    const DWORD trigger = event == EVENT_OBJECT_SHOW         ? kTriggerShown
                          : event == EVENT_OBJECT_NAMECHANGE ? kTriggerTitleChange
                                                             : 0;
    if (trigger == 0 || ::GetAncestor(hwnd, GA_PARENT) != g_pWatcher->m_hDesktop)
        return;
    AfxCallbackBoundary([&] { g_pWatcher->CheckWindowAt(hwnd, trigger); });
}

void CWatcher::CheckWindowAt(HWND hwnd, DWORD trigger) {
    if (IsPaused() || !TitleMayMatch(m_rules, trigger, m_momentReader.ReadCaption(hwnd)))
        return;
    CWindowOwner owner;
    owner.threadId = ::GetWindowThreadProcessId(hwnd, &owner.processId);
    if (owner.threadId == 0 || owner.processId == ::GetCurrentProcessId())
        return;
    const CWindowSnapshot& window = m_momentReader.ReadAfterCaption(hwnd, m_rules.NeedsProcess());
    m_autoClose.OnEvent(hwnd, window, owner, trigger);
}

void CWatcher::UpdateHooks() {
    const DWORD wanted = m_hOwner != nullptr && !IsPaused() ? WantedTriggers(m_rules) : 0;
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

void CWatcher::CloseOpenWindows(const std::vector<COpenMatch>& matches) {
    for (const COpenMatch& match : matches) {
        if (match.bOwn)
            continue;
        CActionEntry entry;
        entry.strCaption = match.strCaption;
        entry.strClass = match.strClass;
        m_autoClose.ApplyNow(match.nRuleId, match.hwnd, match.owner, std::move(entry));
    }
}

void CWatcher::SetTimer(UINT_PTR id, UINT delayMs) {
    // Setting a running id again restarts it with the full delay.
    ::SetTimer(m_hOwner, id, delayMs, AutoCloseTimerProc);
}

void CWatcher::KillTimer(UINT_PTR id) {
    if (m_hOwner != nullptr)
        ::KillTimer(m_hOwner, id);
}

void CALLBACK CWatcher::ReportTimerProc(HWND, UINT, UINT_PTR, DWORD) {
    if (g_pWatcher != nullptr)
        AfxCallbackBoundary([] { g_pWatcher->FlushReport(); });
}

void CALLBACK CWatcher::WinEventCallback(HWINEVENTHOOK, DWORD event, HWND hwnd, LONG idObject, LONG,
                                         DWORD, DWORD) {
    if (event != EVENT_SYSTEM_FOREGROUND || idObject != OBJID_WINDOW)
        return;
    if (hwnd == nullptr || g_pWatcher == nullptr)
        return;
    // The hook skips our own process, but Wine still delivers events raised for our windows;
    // our own dialogs must never be reported or closed.
    CWindowOwner owner;
    owner.threadId = ::GetWindowThreadProcessId(hwnd, &owner.processId);
    if (owner.threadId != 0 && owner.processId == ::GetCurrentProcessId())
        return;
    // Events arrive nested while a box is open: an error is reported later, from the loop.
    AfxCallbackBoundary([&] { g_pWatcher->CheckWindowAgainstRules(hwnd, owner); });
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
    m_autoClose.CancelAll();
    if (m_nReportTimer != 0)
        ::KillTimer(nullptr, std::exchange(m_nReportTimer, 0));
    if (g_pWatcher == this)
        g_pWatcher = nullptr;
}

void CWatcher::CheckWindowAgainstRules(HWND hwnd, CWindowOwner owner) {
    ::GetLocalTime(&m_time);
    // The image only while an enabled rule compares the program: it opens the process.
    m_pWindow = &m_reader.Read(hwnd, m_rules.NeedsProcess());
    m_autoClose.OnForeground(hwnd, *m_pWindow, owner);
    m_bReportWindow = true;
    WaitToReport();
}

void CWatcher::WaitToReport() {
    // The report comes after the closes, from the message loop: a burst of events writes the
    // status line once, with the last window. A thread timer, so that its id is the system's.
    if (m_nReportTimer == 0)
        m_nReportTimer = ::SetTimer(nullptr, 0, kReportDelayMs, ReportTimerProc);
}

void CWatcher::FlushReport() {
    if (m_nReportTimer == 0)
        return;
    ::KillTimer(nullptr, std::exchange(m_nReportTimer, 0));
    if (std::exchange(m_bReportWindow, false) && m_pWindow != nullptr)
        m_report.ShowForegroundReport(
            FormatForegroundReport(LocalTimeText(m_time).View(), *m_pWindow));
    if (std::exchange(m_bReportActions, false) && m_pLog != nullptr)
        m_pLog->ShowActions();
}
