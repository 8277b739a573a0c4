// The main dialog at rest: shown, with rules but no close pending, its thread should receive
// nothing. For a number of seconds after its start-up this counts every wake-up of the message
// loop, every message the thread takes from its queue (WH_GETMESSAGE) and every message sent
// to its windows (WH_CALLWNDPROC), by message and window class.
//   IdleMessages.exe [seconds, default 10] [control]
// With "control", a 1-second timer runs on the dialog: the counts must then show it.
#include "bench/win/ThreadHook.h"
#include "res/resource.h"
#include "rules/WindowInfo.h"
#include "support/Driver.h"
#include "support/InProcessApp.h"
#include "ui/win/QuellixDlg.h"

#include <cstdio>
#include <cstdlib>
#include <map>
#include <memory>
#include <string>
#include <utility>

using namespace qt;

namespace {

CInProcessTestApp theBenchApp;

using CCounts = std::map<std::pair<UINT, std::wstring>, int>;
CCounts g_taken;
CCounts g_sent;

void Count(CCounts& counts, UINT msg, HWND hwnd) {
    WCHAR cls[64] = {};
    if (hwnd != nullptr)
        ::GetClassNameW(hwnd, cls, 64);
    ++counts[{msg, cls}];
}

LRESULT CALLBACK OnGetMessage(int code, WPARAM wp, LPARAM lp) {
    if (code == HC_ACTION && wp == PM_REMOVE) {
        const MSG& m = *reinterpret_cast<const MSG*>(lp);
        Count(g_taken, m.message, m.hwnd);
    }
    return ::CallNextHookEx(nullptr, code, wp, lp);
}

LRESULT CALLBACK OnSend(int code, WPARAM wp, LPARAM lp) {
    if (code == HC_ACTION) {
        const CWPSTRUCT& m = *reinterpret_cast<const CWPSTRUCT*>(lp);
        Count(g_sent, m.message, m.hwnd);
    }
    return ::CallNextHookEx(nullptr, code, wp, lp);
}

void Print(const char* what, const CCounts& counts) {
    int total = 0;
    for (const auto& [key, n] : counts)
        total += n;
    std::printf("%s: %d\n", what, total);
    for (const auto& [key, n] : counts)
        std::printf("  0x%04x to %ls: %d\n", key.first, key.second.c_str(), n);
}

std::unique_ptr<CWindowInfo> Rule(const wchar_t* cls, int delayMs) {
    auto rule = std::make_unique<CWindowInfo>();
    rule->m_strClass = cls;
    rule->m_nDelayMs = delayMs;
    return rule;
}

} // namespace

int main(int argc, char** argv) {
    const int seconds = argc > 1 ? std::atoi(argv[1]) : 10;
    const bool control = argc > 2 && std::string(argv[2]) == "control";
    ResetProfile();
    ResetDataFolder();
    INITCOMMONCONTROLSEX icc{sizeof(icc), ICC_WIN95_CLASSES};
    ::InitCommonControlsEx(&icc);

    CQuellixDlg dlg;
    g_pMainDlg = &dlg;
    if (!dlg.Create(IDD_QUELLIX_DIALOG)) {
        std::printf("no dialog\n");
        return 1;
    }
    dlg.AppendRuleRow(Rule(L"QxIdleNever", 0));
    dlg.AppendRuleRow(Rule(L"QxIdleNeverDelayed", 5000));
    dlg.ShowWindow(SW_SHOW);
    ::UpdateWindow(dlg.m_hWnd);
    PumpMessages(); // the start-up's own messages
    if (control)
        ::SetTimer(dlg.m_hWnd, 1, 1000, nullptr);

    CThreadHook taking = HookThisThread(WH_GETMESSAGE, OnGetMessage);
    CThreadHook sending = HookThisThread(WH_CALLWNDPROC, OnSend);
    int wakeUps = 0;
    const DWORD start = ::GetTickCount();
    for (DWORD elapsed = 0; elapsed < static_cast<DWORD>(seconds) * 1000;
         elapsed = ::GetTickCount() - start) {
        const DWORD left = static_cast<DWORD>(seconds) * 1000 - elapsed;
        if (::MsgWaitForMultipleObjects(0, nullptr, FALSE, left, QS_ALLINPUT) == WAIT_OBJECT_0) {
            ++wakeUps;
            PumpMessages();
        }
    }
    std::printf("%d s idle, %d rules, none pending\nwake-ups of the message loop: %d\n", seconds,
                dlg.Rules().GetCount(), wakeUps);
    int timers = 0;
    for (const auto& [key, n] : g_taken)
        timers += key.first == WM_TIMER ? n : 0;
    std::printf("WM_TIMER: %d\n", timers);
    Print("messages taken from the queue", g_taken);
    Print("messages sent to its windows", g_sent);
    taking.Reset();
    sending.Reset();

    ::DestroyWindow(dlg.m_hWnd);
    g_pMainDlg = nullptr;
    ResetProfile();
    ResetDataFolder();
    return 0;
}
