// The foreground watcher: every foreground window of another program is reported and
// compared with the rules; a matching rule closes it at once or after its delay.
//
// A pending close belongs to its rule record, not to a row: the record carries its own timer
// id, and the timer procedure looks the record up by that id when it fires. Deleting a rule
// stops its timer, and a timer whose rule is gone finds no record and posts nothing, so rows
// moving up never inherit another rule's close.
#include "ui/QuellixDlg.h"

#include "engine/Match.h"
#include "engine/Report.h"
#include "framework/App.h"
#include "rules/WindowInfo.h"

#include <oleauto.h>

#include <memory>
#include <vector>

namespace {

struct BstrFree {
    void operator()(BSTR text) const { ::SysFreeString(text); }
};
using CBstr = std::unique_ptr<OLECHAR, BstrFree>;

// Reused for every event, so that reading a caption allocates only when a longer one comes.
std::vector<WCHAR> g_captionBuffer(256);

// Timer ids are never reused, so a late timer can never be taken for a newer rule's.
UINT_PTR g_nLastTimerId = 0;

// The whole caption. GetWindowTextW reads another program's stored text without sending it a
// message, so a hung window cannot stall us here.
StringView ReadCaption(HWND hwnd) {
    for (;;) {
        g_captionBuffer[0] = 0;
        int n = ::GetWindowTextW(hwnd, g_captionBuffer.data(),
                                 static_cast<int>(g_captionBuffer.size()));
        if (n < 0)
            n = 0;
        if (static_cast<size_t>(n) + 1 < g_captionBuffer.size())
            return StringView(g_captionBuffer.data(), static_cast<size_t>(n));
        g_captionBuffer.resize(g_captionBuffer.size() * 2);
    }
}

// The local time to the whole second, as the user's locale writes a date with its time.
CString LocalTimeText() {
    SYSTEMTIME now;
    ::GetLocalTime(&now);
    now.wMilliseconds = 0;
    DATE date = 0;
    BSTR raw = nullptr;
    if (!::SystemTimeToVariantTime(&now, &date) ||
        FAILED(::VarBstrFromDate(date, LOCALE_USER_DEFAULT, 0, &raw)) || raw == nullptr)
        return CString(kInvalidDateTime);
    CBstr text(raw);
    return CString(text.get(), static_cast<int>(::SysStringLen(text.get())));
}

void CALLBACK AutoCloseTimerProc(HWND hwnd, UINT, UINT_PTR id, DWORD) {
    ::KillTimer(hwnd, id);
    if (g_pMainDlg == nullptr)
        return;
    const CRuleSet& rules = g_pMainDlg->Rules();
    for (int i = 0; i < rules.GetCount(); ++i) {
        if (rules.GetAt(i).m_nTimerId == id) {
            ::PostMessageW(rules.GetAt(i).m_hWnd, WM_CLOSE, 0, 0);
            return;
        }
    }
}

void CALLBACK WinEventCallback(HWINEVENTHOOK, DWORD event, HWND hwnd, LONG idObject, LONG, DWORD,
                               DWORD) {
    if (event != EVENT_SYSTEM_FOREGROUND || idObject != OBJID_WINDOW)
        return;
    if (hwnd == nullptr || g_pMainDlg == nullptr)
        return;
    // The hook skips our own process, but Wine still delivers events raised for our windows;
    // our own dialogs must never be reported or closed.
    DWORD pid = 0;
    if (::GetWindowThreadProcessId(hwnd, &pid) != 0 && pid == ::GetCurrentProcessId())
        return;
    try {
        g_pMainDlg->CheckWindowAgainstRules(hwnd);
    } catch (const CException& e) {
        e.ReportError(MB_OK);
    } catch (...) {
        AfxMessageBox(L"Unknown Exception", MB_OK | MB_ICONEXCLAMATION);
    }
}

} // namespace

void CQuellixDlg::InstallWinEventHook() {
    // Out of context: the callback runs on this thread while it pumps messages.
    m_hWinEventHook.Reset(::SetWinEventHook(EVENT_SYSTEM_FOREGROUND, EVENT_SYSTEM_FOREGROUND,
                                            nullptr, WinEventCallback, 0, 0,
                                            WINEVENT_OUTOFCONTEXT | WINEVENT_SKIPOWNPROCESS));
}

void CQuellixDlg::RemoveWinEventHook() {
    m_hWinEventHook.Reset();
    // Closes not yet done are dropped now, even if shutting down pumps messages before the
    // window and its timers are gone.
    for (int i = 0; i < m_rules.GetCount(); ++i)
        CancelPendingClose(m_rules.GetAt(i));
}

void CQuellixDlg::CancelPendingClose(CWindowInfo& rule) {
    if (rule.m_nTimerId != 0 && m_hWnd != nullptr)
        ::KillTimer(m_hWnd, rule.m_nTimerId);
}

void CQuellixDlg::CheckWindowAgainstRules(HWND hwnd) {
    WCHAR className[512] = {};
    ::GetClassNameW(hwnd, className, 512);

    CWindowSnapshot window;
    window.strClass = StringView(className);
    window.strTitle = ReadCaption(hwnd);
    window.rcWindow = RECT{0, 0, 0, 0};
    ::GetWindowRect(hwnd, &window.rcWindow);
    window.dwStyle = static_cast<DWORD>(::GetWindowLongW(hwnd, GWL_STYLE));
    window.dwExStyle = static_cast<DWORD>(::GetWindowLongW(hwnd, GWL_EXSTYLE));

    m_editStatus.SetWindowText(FormatForegroundReport(LocalTimeText().View(), window));

    // Each matching rule acts by itself; a match does not end the scan.
    for (int i = 0; i < m_rules.GetCount(); ++i) {
        CWindowInfo* rule = &m_rules.GetAt(i);
        if (!MatchesRule(*rule, window))
            continue;
        rule->m_hWnd = hwnd;
        if (rule->m_nDelayMs > 0) {
            if (rule->m_nTimerId == 0)
                rule->m_nTimerId = ++g_nLastTimerId;
            // Setting a running id again restarts it with the full delay.
            ::SetTimer(m_hWnd, rule->m_nTimerId, static_cast<UINT>(rule->m_nDelayMs),
                       AutoCloseTimerProc);
        } else {
            ::PostMessageW(hwnd, WM_CLOSE, 0, 0);
        }
    }
}
