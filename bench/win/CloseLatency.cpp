// Time from a window's foreground event to its WM_CLOSE: the real main dialog (in this
// process) with 1 and with 10,000 rules, against BareCloser.exe, which only hooks and posts.
// The target (LatencyTarget.exe) measures in its own process; the phases alternate, so that
// all of them see the same machine.
//   CloseLatency.exe [events per phase, default 100] [rounds, default 3]
#include "framework/App.h"
#include "res/resource.h"
#include "rules/WindowInfo.h"
#include "support/Driver.h"
#include "ui/QuellixDlg.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

using namespace qt;

namespace {

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

// Raises `events` foreground events one after the other; the latencies in microseconds.
// Waits in GetMessage, as the program's own loop does, so that the hook is served as soon as
// its event arrives.
std::vector<long long> Measure(int events) {
    const UINT fire = ::RegisterWindowMessageW(L"QuellixBench.Fire");
    const UINT closed = ::RegisterWindowMessageW(L"QuellixBench.Closed");
    const size_t start = Samples().size();
    for (int i = 0; i < events; ++i) {
        ::PostMessageW(g_target, fire, 0, 0);
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

std::unique_ptr<CWindowInfo> RuleFor(HWND hwnd, const wchar_t* cls) {
    auto rule = std::make_unique<CWindowInfo>(); // the editor's default criteria
    rule->m_strClass = cls;
    ::GetWindowRect(hwnd, &rule->m_rcWindow);
    rule->m_dwStyle = static_cast<DWORD>(::GetWindowLongW(hwnd, GWL_STYLE));
    rule->m_dwExStyle = static_cast<DWORD>(::GetWindowLongW(hwnd, GWL_EXSTYLE));
    rule->m_nDelayMs = 0;
    return rule;
}

// The dialog with `rules` rules, of which only the first or the last matches. The others
// differ from the window only in the last unit of their class name.
std::vector<long long> MeasureDialog(int rules, bool matchFirst, int events) {
    ResetDataFolder(); // no rules saved by the previous phase
    CQuellixDlg dlg;
    g_pMainDlg = &dlg;
    if (!dlg.Create(IDD_QUELLIX_DIALOG)) {
        std::printf("no dialog\n");
        std::exit(1);
    }
    CListCtrl& list = dlg.RuleList();
    // Without this each insertion updates the list, and Wine takes minutes for 10,000.
    list.SendMessage(WM_SETREDRAW, FALSE);
    for (int row = 0; row < rules; ++row) {
        const bool match = matchFirst ? row == 0 : row + 1 == rules;
        auto rule = RuleFor(g_target, match ? L"QxLatencyTarget" : L"QxLatencyTargeX");
        list.InsertItem(row, L"");
        list.SetItemData(row, reinterpret_cast<DWORD_PTR>(rule.release()));
    }
    list.SendMessage(WM_SETREDRAW, TRUE);
    std::vector<long long> samples = Measure(events);
    ::DestroyWindow(dlg.m_hWnd);
    g_pMainDlg = nullptr;
    return samples;
}

std::vector<long long> MeasureBare(int events) {
    Process bare;
    if (!bare.Start(L"\"" + BinaryPath(L"BareCloser.exe") + L"\"") || !bare.WaitIdle(10000)) {
        std::printf("BareCloser.exe did not start\n");
        std::exit(1);
    }
    std::vector<long long> samples = Measure(events);
    bare.Kill();
    return samples;
}

void Print(const char* name, std::vector<long long> s, long long bareMedian) {
    std::sort(s.begin(), s.end());
    long long sum = 0;
    for (long long v : s)
        sum += v;
    const long long median = s[s.size() / 2];
    std::printf("%-14s n=%3zu  median %6lld us  mean %6lld us  p90 %6lld us  min %6lld us", name,
                s.size(), median, sum / static_cast<long long>(s.size()), s[s.size() * 9 / 10],
                s.front());
    if (bareMedian > 0)
        std::printf("  median/bare %.2f", static_cast<double>(median) / bareMedian);
    std::printf("\n");
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

    std::vector<long long> bare, one, manyLast, manyFirst;
    auto append = [](std::vector<long long>& to, const std::vector<long long>& from) {
        to.insert(to.end(), from.begin(), from.end());
    };
    for (int r = 0; r < rounds; ++r) {
        append(bare, MeasureBare(events));
        append(one, MeasureDialog(1, true, events));
        append(manyLast, MeasureDialog(10000, false, events));
        append(manyFirst, MeasureDialog(10000, true, events));
    }
    std::sort(bare.begin(), bare.end());
    const long long bareMedian = bare[bare.size() / 2];
    Print("bare hook", bare, 0);
    Print("1 rule", one, bareMedian);
    Print("10000, last", manyLast, bareMedian);
    Print("10000, first", manyFirst, bareMedian);

    target.Kill();
    ::DestroyWindow(driver);
    ResetProfile();
    ResetDataFolder();
    return 0;
}
