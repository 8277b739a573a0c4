// The main dialog at rest: shown, with rules but no close pending, its thread should receive
// nothing. For a number of seconds after its start-up this counts every wake-up of the message
// loop, every message the thread takes from its queue (WH_GETMESSAGE) and every message sent
// to its windows (WH_CALLWNDPROC), by message and window class.
//   IdleMessages.exe [seconds, default 10]
//                    [control | flood | flood-rule | flood-hook | flood-worst [pattern]]
// With "control", a 1-second timer runs on the dialog: the counts must then show it. With
// "flood", another program's window renames itself 1,000 times a second meanwhile, each time
// with its event; "flood-rule" adds an enabled rule, checked when a title changes, that never
// matches it; "flood-hook" adds, in place of such a rule, a hook of the title-change event of
// its own that does nothing: what receiving the events costs at all. "flood-worst" renames it
// to a 20,000-unit title 100 times a second, with an enabled title-change rule whose pattern is
// the regular expression that costs most, while another thread sends the dialog WM_NULL every
// 10 ms with a timeout of 50 ms: the longest answer is shown (an ASCII pattern may be given
// instead). Then the dialog's process's CPU time is shown too.
#include "bench/win/ThreadHook.h"
#include "framework/win/Handle.h"
#include "res/resource.h"
#include "rules/WindowInfo.h"
#include "support/Driver.h"
#include "support/InProcessApp.h"
#include "ui/win/QuellixDlg.h"

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <memory>
#include <string>
#include <thread>
#include <utility>
#include <vector>

using namespace qt;

namespace {

CInProcessTestApp theBenchApp;

using CCounts = std::map<std::pair<UINT, std::wstring>, int>;
CCounts g_taken;
CCounts g_sent;
UINT_PTR g_done = 0; // the timer that ends a flood's run: not counted

void Count(CCounts& counts, UINT msg, HWND hwnd) {
    WCHAR cls[64] = {};
    if (hwnd != nullptr)
        ::GetClassNameW(hwnd, cls, 64);
    ++counts[{msg, cls}];
}

LRESULT CALLBACK OnGetMessage(int code, WPARAM wp, LPARAM lp) {
    if (code == HC_ACTION && wp == PM_REMOVE) {
        const MSG& m = *reinterpret_cast<const MSG*>(lp);
        if (m.message != WM_TIMER || m.hwnd != nullptr || m.wParam != g_done || g_done == 0)
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

std::unique_ptr<CRule> Rule(const wchar_t* cls, int delayMs) {
    auto rule = std::make_unique<CRule>();
    rule->m_strClass = cls;
    rule->m_nDelayMs = delayMs;
    return rule;
}

void CALLBACK IgnoreEvent(HWINEVENTHOOK, DWORD, HWND, LONG, LONG, DWORD, DWORD) {}

double CpuMs() {
    FILETIME created, exited, kernel, user;
    ::GetProcessTimes(::GetCurrentProcess(), &created, &exited, &kernel, &user);
    auto ms = [](const FILETIME& t) {
        return static_cast<double>(ULARGE_INTEGER{{t.dwLowDateTime, t.dwHighDateTime}}.QuadPart) /
               10000.0;
    };
    return ms(kernel) + ms(user);
}

} // namespace

int main(int argc, char** argv) {
    const int seconds = argc > 1 ? std::atoi(argv[1]) : 10;
    const std::string mode = argc > 2 ? argv[2] : "";
    const bool control = mode == "control";
    const bool worst = mode == "flood-worst";
    const bool flood = mode == "flood" || mode == "flood-rule" || mode == "flood-hook" || worst;
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
    dlg.AppendRuleRow(*Rule(L"QxIdleNever", 0));
    dlg.AppendRuleRow(*Rule(L"QxIdleNeverDelayed", 5000));
    if (mode == "flood-rule") {
        auto rule = Rule(L"QxLatencyTarget", 0);
        rule->m_bMatchTitle = TRUE;
        rule->m_strTitle = L"Never this title";
        rule->m_dwTriggers = kTriggerTitleChange;
        dlg.AppendRuleRow(*rule);
    }
    if (worst) {
        auto rule = Rule(L"QxLatencyTarget", 0);
        rule->m_bMatchTitle = TRUE;
        rule->m_titleMode = TextMode::Regex;
        // Nothing else may end the check before the pattern.
        rule->m_bMatchDimensions = rule->m_bMatchStyle = rule->m_bMatchExStyle = FALSE;
        const std::string pattern = argc > 3 ? argv[3] : ".{999}x";
        rule->m_strTitle = std::wstring(pattern.begin(), pattern.end()).c_str();
        rule->m_dwTriggers = kTriggerTitleChange;
        dlg.AppendRuleRow(*rule);
    }
    wchar_t temp[MAX_PATH] = {};
    ::GetTempPathW(MAX_PATH, temp);
    const std::wstring log = std::wstring(temp) + L"qx-flood.log";
    ::DeleteFileW(log.c_str());
    Process flooder;
    HWND target = nullptr;
    if (flood &&
        (!flooder.Start(L"\"" + BinaryPath(L"LatencyTarget.exe") + L"\" " + log) || !WaitFor([&] {
            return (target = ::FindWindowW(L"QxLatencyTarget", nullptr)) != nullptr;
        }))) {
        std::printf("LatencyTarget.exe did not start\n");
        return 1;
    }
    dlg.ShowWindow(SW_SHOW);
    ::UpdateWindow(dlg.m_hWnd);
    PumpMessages(); // the start-up's own messages
    if (control)
        ::SetTimer(dlg.m_hWnd, 1, 1000, nullptr);

    CThreadHook taking = HookThisThread(WH_GETMESSAGE, OnGetMessage);
    CThreadHook sending = HookThisThread(WH_CALLWNDPROC, OnSend);
    if (flood)
        ::PostMessageW(target, ::RegisterWindowMessageW(L"QuellixBench.Flood"),
                       static_cast<WPARAM>(seconds) * (worst ? 100 : 1000), worst ? 20000 : 0);
    // The answers to WM_NULL, from another thread, while the flood runs.
    std::atomic<bool> pinging{worst};
    long long longestUs = 0;
    int pings = 0, timeouts = 0;
    std::thread pinger([&] {
        LARGE_INTEGER f, a, b;
        ::QueryPerformanceFrequency(&f);
        while (pinging) {
            DWORD_PTR result = 0;
            ::QueryPerformanceCounter(&a);
            if (!::SendMessageTimeoutW(dlg.m_hWnd, WM_NULL, 0, 0, SMTO_NORMAL, 50, &result))
                ++timeouts;
            ::QueryPerformanceCounter(&b);
            const long long us = (b.QuadPart - a.QuadPart) * 1000000 / f.QuadPart;
            longestUs = us > longestUs ? us : longestUs;
            ++pings;
            ::Sleep(10);
        }
    });
    const CWinEventHook bare(
        mode != "flood-hook" ? nullptr
                             : ::SetWinEventHook(EVENT_OBJECT_NAMECHANGE, EVENT_OBJECT_NAMECHANGE,
                                                 nullptr, IgnoreEvent, 0, 0,
                                                 WINEVENT_OUTOFCONTEXT | WINEVENT_SKIPOWNPROCESS));
    const double cpuStart = CpuMs();
    int wakeUps = 0;
    if (flood) {
        // The program's own loop, so that the events cost what they cost it.
        g_done = ::SetTimer(nullptr, 0, static_cast<UINT>(seconds) * 1000, nullptr);
        MSG msg;
        while (::GetMessageW(&msg, nullptr, 0, 0) > 0 &&
               !(msg.message == WM_TIMER && msg.wParam == g_done)) {
            ::TranslateMessage(&msg);
            ::DispatchMessageW(&msg);
        }
        ::KillTimer(nullptr, g_done);
    } else {
        const DWORD start = ::GetTickCount();
        for (DWORD elapsed = 0; elapsed < static_cast<DWORD>(seconds) * 1000;
             elapsed = ::GetTickCount() - start) {
            const DWORD left = static_cast<DWORD>(seconds) * 1000 - elapsed;
            if (::MsgWaitForMultipleObjects(0, nullptr, FALSE, left, QS_ALLINPUT) ==
                WAIT_OBJECT_0) {
                ++wakeUps;
                PumpMessages();
            }
        }
    }
    const double cpu = CpuMs() - cpuStart;
    pinging = false;
    pinger.join();
    if (worst)
        std::printf("WM_NULL: %d sent, %d timed out (50 ms), longest answer %.1f ms\n", pings,
                    timeouts, static_cast<double>(longestUs) / 1000);
    std::printf("%d s idle, %d rules, none pending\n", seconds, dlg.Rules().GetCount());
    if (!flood)
        std::printf("wake-ups of the message loop: %d\n", wakeUps);
    std::printf("CPU time: %.0f ms, %.2f%% of one core\n", cpu, cpu / (seconds * 10.0));
    if (flood) {
        // The flooder's count and its time, once it is done.
        std::vector<BYTE> line;
        WaitFor([&] { return !(line = ReadFileBytes(log)).empty() && line.back() == '\n'; });
        std::printf("renames (count, us): %.*s", static_cast<int>(line.size()),
                    reinterpret_cast<const char*>(line.data()));
        flooder.Kill();
    }
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
