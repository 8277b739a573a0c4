// Time from a window's foreground event to its WM_CLOSE: the real main dialog (in this
// process) with 1 and with 10,000 rules, and with one rule checked when the window's title
// changes or when it is shown (from those events), against two yardsticks: BareCloser.exe,
// which only hooks and posts, and "BareCloser.exe props", which also reads the window
// properties that the watcher compares. The target (LatencyTarget.exe) measures in its own process;
// the phases alternate, so that all of them see the same machine. The last phase leaves the status
// line unwritten, to show what writing it costs. Then what each part of the watcher's work per
// event costs, called in a loop.
//   CloseLatency.exe [events per phase, default 100] [rounds, default 3]
#include "bench/win/PerRowList.h"
#include "engine/Report.h"
#include "engine/win/Watcher.h"
#include "framework/win/App.h"
#include "res/resource.h"
#include "rules/WindowInfo.h"
#include "support/Driver.h"
#include "ui/win/QuellixDlg.h"

#include <oleauto.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <memory>
#include <string>
#include <vector>

using namespace qt;

namespace {

// Whose window the handle names now.
CWindowOwner OwnerOf(HWND hwnd) {
    CWindowOwner owner;
    owner.threadId = ::GetWindowThreadProcessId(hwnd, &owner.processId);
    return owner;
}

class BenchApp : public CWinApp {
public:
    BenchApp() {
        m_strAppName = L"Quellix by Velmora";
        SetRegistryKey(L"Velmora");
    }
} theBenchApp;

std::wstring g_log;
HWND g_target = nullptr;

std::vector<long long> Samples() {
    std::vector<long long> out;
    const std::vector<BYTE> bytes = ReadFileBytes(g_log);
    long long v = 0;
    for (BYTE b : bytes) {
        if (b == '\n') {
            out.push_back(v);
            v = 0;
        } else {
            v = v * 10 + (b - '0');
        }
    }
    return out;
}

// The target's event (its "QuellixBench.Fire" wParam) for a rule's moment.
WPARAM EventFor(DWORD trigger) {
    return trigger == kTriggerTitleChange ? 1 : trigger == kTriggerShown ? 2 : 0;
}

// Raises `events` events of the moment `trigger` one after the other; the latencies in
// microseconds.
// Waits in GetMessage, as the program's own loop does, so that the hook is served as soon as
// its event arrives.
std::vector<long long> Measure(int events, DWORD trigger = kTriggerForeground) {
    // The start of the phase (a new process, the dialog's tray icon in the desktop's taskbar)
    // keeps the machine busy for a moment; nothing is timed before it has settled.
    WaitFor([] { return false; }, 500);
    const UINT fire = ::RegisterWindowMessageW(L"QuellixBench.Fire");
    const UINT closed = ::RegisterWindowMessageW(L"QuellixBench.Closed");
    const size_t start = Samples().size();
    for (int i = 0; i < events; ++i) {
        ::PostMessageW(g_target, fire, EventFor(trigger), 0);
        const UINT_PTR guard = ::SetTimer(nullptr, 0, 5000, nullptr);
        MSG msg;
        while (::GetMessageW(&msg, nullptr, 0, 0) > 0 && msg.message != closed) {
            if (msg.message == WM_TIMER && msg.wParam == guard) {
                std::printf("no WM_CLOSE within 5 s\n");
                std::exit(1);
            }
            ::TranslateMessage(&msg);
            ::DispatchMessageW(&msg);
        }
        ::KillTimer(nullptr, guard);
    }
    std::vector<long long> all = Samples();
    return std::vector<long long>(all.begin() + static_cast<long>(start), all.end());
}

std::unique_ptr<CRule> RuleFor(HWND hwnd, const wchar_t* cls) {
    auto rule = std::make_unique<CRule>(); // the editor's default criteria
    rule->m_strClass = cls;
    ::GetWindowRect(hwnd, &rule->m_rcWindow);
    rule->m_dwStyle = static_cast<DWORD>(::GetWindowLongW(hwnd, GWL_STYLE));
    rule->m_dwExStyle = static_cast<DWORD>(::GetWindowLongW(hwnd, GWL_EXSTYLE));
    rule->m_nDelayMs = 0;
    return rule;
}

// The main dialog with its status line left as it is: what writing it costs the latency.
class CNoStatusDlg : public CQuellixDlg {
    void ShowForegroundReport(const CString&) override {}
};

// The dialog with `rules` rules, of which only the first or the last matches. The others
// differ from the window only in the last unit of their class name.
// `program`: one rule that compares only the program, LatencyTarget.exe. `trigger`: the rules'
// one moment, and the event raised; a title-change rule compares the title too, which the
// event sets back to the target's own.
std::vector<long long> MeasureDialog(int rules, bool matchFirst, int events,
                                     bool writeStatus = true, bool program = false,
                                     DWORD trigger = kTriggerForeground) {
    ResetDataFolder(); // no rules saved by the previous phase
    std::unique_ptr<CQuellixDlg> dlg =
        writeStatus ? std::make_unique<CQuellixDlg>() : std::make_unique<CNoStatusDlg>();
    g_pMainDlg = dlg.get();
    if (!dlg->Create(IDD_QUELLIX_DIALOG)) {
        std::printf("no dialog\n");
        std::exit(1);
    }
    {
        // Each new count otherwise updates the list's scroll bars, and Wine takes ~30 ms for that.
        CRedrawOff off(dlg->RuleList());
        for (int row = 0; row < rules; ++row) {
            const bool match = matchFirst ? row == 0 : row + 1 == rules;
            auto rule = RuleFor(g_target, match ? L"QxLatencyTarget" : L"QxLatencyTargeX");
            if (program) {
                rule->m_bMatchClass = rule->m_bMatchDimensions = FALSE;
                rule->m_bMatchStyle = rule->m_bMatchExStyle = FALSE;
                rule->m_bMatchProcess = TRUE;
                rule->m_strProcess = L"LatencyTarget.exe";
            }
            rule->m_dwTriggers = trigger;
            if (trigger == kTriggerTitleChange) {
                rule->m_bMatchTitle = TRUE;
                rule->m_strTitle = L"Latency target";
            }
            dlg->AppendRuleRow(*rule);
        }
    }
    std::vector<long long> samples = Measure(events, trigger);
    ::DestroyWindow(dlg->m_hWnd);
    g_pMainDlg = nullptr;
    return samples;
}

// A yardstick program in its own process, in place of the dialog.
std::vector<long long> MeasureCloser(const wchar_t* arguments, int events,
                                     DWORD trigger = kTriggerForeground) {
    Process closer;
    if (!closer.Start(L"\"" + BinaryPath(L"BareCloser.exe") + L"\" " + arguments) ||
        !closer.WaitIdle(10000)) {
        std::printf("BareCloser.exe did not start\n");
        std::exit(1);
    }
    std::vector<long long> samples = Measure(events, trigger);
    closer.Kill();
    return samples;
}

long long Median(std::vector<long long> s) {
    std::sort(s.begin(), s.end());
    return s[s.size() / 2];
}

void Print(const char* name, std::vector<long long> s, long long bare, long long props) {
    std::sort(s.begin(), s.end());
    long long sum = 0;
    for (long long v : s)
        sum += v;
    const long long median = s[s.size() / 2];
    std::printf("%-15s n=%4zu  median %6lld us  mean %6lld us  p90 %6lld us  min %6lld us"
                "  /bare %.2f  /props %.2f\n",
                name, s.size(), median, sum / static_cast<long long>(s.size()),
                s[s.size() * 9 / 10], s.front(), static_cast<double>(median) / bare,
                static_cast<double>(median) / props);
}

// Microseconds per call: the median of 9 batches of `calls` calls.
double CostUs(const std::function<void()>& step, int calls) {
    std::vector<double> batches;
    for (int b = 0; b < 9; ++b) {
        const auto start = std::chrono::steady_clock::now();
        for (int i = 0; i < calls; ++i)
            step();
        batches.push_back(
            std::chrono::duration<double, std::micro>(std::chrono::steady_clock::now() - start)
                .count() /
            calls);
    }
    std::sort(batches.begin(), batches.end());
    return batches[batches.size() / 2];
}

class CStatusReport : public IForegroundReport {
public:
    explicit CStatusReport(HWND status) : m_status(status) {}
    void ShowForegroundReport(const CString& report) override {
        ::SetWindowTextW(m_status, report);
    }

private:
    HWND m_status;
};

// What each part of the watcher's work per event costs, called in a loop against the target
// window: the calls before the close, the scan, and the report after it.
void PrintSteps(int calls) {
    ResetDataFolder();
    CQuellixDlg dlg;
    g_pMainDlg = &dlg;
    if (!dlg.Create(IDD_QUELLIX_DIALOG)) {
        std::printf("no dialog\n");
        std::exit(1);
    }
    const HWND w = g_target;
    const HWND status = dlg.GetDlgItem(IDC_STATUS);
    // A watcher of its own, not installed: the dialog's stays the one that hooks.
    CRuleSet rules;
    for (int i = 0; i < 10000; ++i)
        rules.Add(*RuleFor(w, L"QxLatencyTargeX"));
    CStatusReport report(status);
    CWatcher watcher(rules, report);

    DWORD pid = 0;
    SYSTEMTIME time{};
    ::GetLocalTime(&time);
    time.wMilliseconds = 0; // as the watcher converts it
    int matches = 0;
    WCHAR cls[512] = {};
    ::GetClassNameW(w, cls, 512);
    WCHAR caption[256] = {};
    ::GetWindowTextW(w, caption, 256);
    CWindowSnapshot window;
    window.strClass = StringView(cls);
    window.strTitle = StringView(caption);
    ::GetWindowRect(w, &window.rcWindow);
    window.dwStyle = static_cast<DWORD>(::GetWindowLongW(w, GWL_STYLE));
    window.dwExStyle = static_cast<DWORD>(::GetWindowLongW(w, GWL_EXSTYLE));
    const CString text = FormatForegroundReport(L"12/7/2026 4:32:10 PM", window);
    const std::pair<const char*, std::function<void()>> steps[] = {
        {"GetWindowThreadProcessId", [&] { ::GetWindowThreadProcessId(w, &pid); }},
        {"GetLocalTime", [&] { ::GetLocalTime(&time); }},
        {"GetClassNameW, 512 units", [&] { ::GetClassNameW(w, cls, 512); }},
        {"GetWindowTextW", [&] { ::GetWindowTextW(w, caption, 256); }},
        {"GetWindowRect", [&] { ::GetWindowRect(w, &window.rcWindow); }},
        {"GetWindowLongW, style", [&] { ::GetWindowLongW(w, GWL_STYLE); }},
        {"GetWindowLongW, extended style", [&] { ::GetWindowLongW(w, GWL_EXSTYLE); }},
        {"ScanRules, 10,000 rules, no match",
         [&] { ScanRules(rules, window, [&](int) { ++matches; }); }},
        {"report timer set + killed",
         [&] { ::KillTimer(nullptr, ::SetTimer(nullptr, 0, 10, nullptr)); }},
        {"time text: VarBstrFromDate",
         [&] {
             DATE date = 0;
             BSTR raw = nullptr;
             ::SystemTimeToVariantTime(&time, &date);
             if (FAILED(::VarBstrFromDate(date, LOCALE_USER_DEFAULT, 0, &raw)))
                 std::exit(1);
             ::SysFreeString(raw);
         }},
        {"FormatForegroundReport",
         [&] { FormatForegroundReport(L"12/7/2026 4:32:10 PM", window); }},
        {"status line SetWindowTextW", [&] { ::SetWindowTextW(status, text); }},
        {"watcher: event + its report, no match",
         [&] {
             watcher.CheckWindowAgainstRules(w, OwnerOf(w));
             watcher.FlushReport();
         }},
    };
    std::printf("per call, median of 9 batches of %d:\n", calls);
    for (const auto& [name, step] : steps)
        std::printf("  %-40s %8.2f us\n", name, CostUs(step, calls));
    if (matches != 0)
        std::printf("a rule matched the target\n");
    ::DestroyWindow(dlg.m_hWnd);
    g_pMainDlg = nullptr;
}

} // namespace

int main(int argc, char** argv) {
    const int events = argc > 1 ? std::atoi(argv[1]) : 100;
    const int rounds = argc > 2 ? std::atoi(argv[2]) : 3;
    ResetProfile();
    ResetDataFolder();
    INITCOMMONCONTROLSEX icc{sizeof(icc), ICC_WIN95_CLASSES};
    ::InitCommonControlsEx(&icc);

    WNDCLASSW wc{};
    wc.lpfnWndProc = ::DefWindowProcW;
    wc.lpszClassName = L"QxLatencyDriver";
    ::RegisterClassW(&wc);
    const HWND driver = ::CreateWindowExW(0, wc.lpszClassName, L"", WS_POPUP, 0, 0, 0, 0, nullptr,
                                          nullptr, nullptr, nullptr);

    wchar_t temp[MAX_PATH] = {};
    ::GetTempPathW(MAX_PATH, temp);
    g_log = std::wstring(temp) + L"qx-latency.log";
    ::DeleteFileW(g_log.c_str());
    Process target;
    if (!target.Start(L"\"" + BinaryPath(L"LatencyTarget.exe") + L"\" " + g_log) || !WaitFor([] {
            return (g_target = ::FindWindowW(L"QxLatencyTarget", nullptr)) != nullptr;
        })) {
        std::printf("LatencyTarget.exe did not start\n");
        return 1;
    }

    std::vector<long long> bare, props, process, titleHook, shownHook, one, programRule,
        titleChange, shown, manyLast, manyFirst, noStatus;
    auto append = [](std::vector<long long>& to, const std::vector<long long>& from) {
        to.insert(to.end(), from.begin(), from.end());
    };
    for (int r = 0; r < rounds; ++r) {
        append(bare, MeasureCloser(L"", events));
        append(props, MeasureCloser(L"props", events));
        append(process, MeasureCloser(L"process", events));
        append(titleHook, MeasureCloser(L"title", events, kTriggerTitleChange));
        append(shownHook, MeasureCloser(L"shown", events, kTriggerShown));
        append(one, MeasureDialog(1, true, events));
        append(programRule, MeasureDialog(1, true, events, true, true));
        append(titleChange, MeasureDialog(1, true, events, true, false, kTriggerTitleChange));
        append(shown, MeasureDialog(1, true, events, true, false, kTriggerShown));
        append(manyLast, MeasureDialog(10000, false, events));
        append(manyFirst, MeasureDialog(10000, true, events));
        append(noStatus, MeasureDialog(10000, false, events, false));
    }
    const long long bareMedian = Median(bare);
    const long long propsMedian = Median(props);
    Print("bare hook", bare, bareMedian, propsMedian);
    Print("props hook", props, bareMedian, propsMedian);
    Print("process hook", process, bareMedian, propsMedian);
    Print("1 rule", one, bareMedian, propsMedian);
    Print("1 program rule", programRule, bareMedian, propsMedian);
    std::printf("1 program rule / process hook: %.2f\n",
                static_cast<double>(Median(programRule)) / static_cast<double>(Median(process)));
    Print("title hook", titleHook, bareMedian, propsMedian);
    Print("1 title rule", titleChange, bareMedian, propsMedian);
    std::printf("1 title rule / title hook: %.2f\n",
                static_cast<double>(Median(titleChange)) / static_cast<double>(Median(titleHook)));
    Print("shown hook", shownHook, bareMedian, propsMedian);
    Print("1 shown rule", shown, bareMedian, propsMedian);
    std::printf("1 shown rule / shown hook: %.2f\n",
                static_cast<double>(Median(shown)) / static_cast<double>(Median(shownHook)));
    Print("10000, last", manyLast, bareMedian, propsMedian);
    Print("10000, first", manyFirst, bareMedian, propsMedian);
    Print("10000 no status", noStatus, bareMedian, propsMedian);
    PrintSteps(events);

    target.Kill();
    ::DestroyWindow(driver);
    ResetProfile();
    ResetDataFolder();
    return 0;
}
