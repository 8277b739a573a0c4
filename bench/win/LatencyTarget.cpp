// A target window for CloseLatency.exe and IdleMessages.exe. The registered message
// "QuellixBench.Fire" raises an event for it: wParam 0 the foreground event, 1 a title change
// (from "Waiting" back to its own title), 2 its showing without activation (after a quiet
// hide). The time from just before the event is raised to its WM_CLOSE, in microseconds, is
// appended to the log file named on the command line, and "QuellixBench.Closed" is posted to the
// driver's window. "QuellixBench.Flood" renames it wParam times, one a millisecond, each with its
// event; the count and the microseconds it took are then appended to the log. With lParam, the
// titles have lParam units and come one every 10 milliseconds.
#include <windows.h>

#include <cstdio>
#include <string>

namespace {

HANDLE g_log = INVALID_HANDLE_VALUE;
UINT g_msgFire = 0;
UINT g_msgClosed = 0;
UINT g_msgFlood = 0;
LARGE_INTEGER g_fired{};
const wchar_t kTitle[] = L"Latency target";

long long MicrosecondsSince(const LARGE_INTEGER& start) {
    LARGE_INTEGER f, now;
    ::QueryPerformanceFrequency(&f);
    ::QueryPerformanceCounter(&now);
    return (now.QuadPart - start.QuadPart) * 1000000 / f.QuadPart;
}

void Log(long long a, long long b = -1) {
    char line[64];
    const int n = b < 0 ? std::snprintf(line, sizeof(line), "%lld\n", a)
                        : std::snprintf(line, sizeof(line), "%lld %lld\n", a, b);
    DWORD written = 0;
    ::WriteFile(g_log, line, static_cast<DWORD>(n), &written, nullptr);
}

// Raises the event that wParam names (see above), its time taken just before.
void Fire(HWND hwnd, WPARAM event) {
    DWORD id = EVENT_SYSTEM_FOREGROUND;
    if (event == 1) {
        ::SetWindowTextW(hwnd, L"Waiting");
        id = EVENT_OBJECT_NAMECHANGE;
    } else if (event == 2) {
        ::ShowWindow(hwnd, SW_HIDE);
        id = EVENT_OBJECT_SHOW;
    }
    if (event == 1)
        ::SetWindowTextW(hwnd, kTitle);
    else if (event == 2)
        ::ShowWindow(hwnd, SW_SHOWNA);
    // From the event, as for the foreground: the change itself is the system's time, not ours.
    ::QueryPerformanceCounter(&g_fired);
    ::NotifyWinEvent(id, hwnd, OBJID_WINDOW, CHILDID_SELF);
}

// `count` renames at one a millisecond (with `units`, titles of that length one every 10 ms):
// sleeps while ahead of that pace, catches up when behind.
void Flood(HWND hwnd, long long count, size_t units) {
    std::wstring titles[2] = {L"Flood 0", L"Flood 1"};
    if (units > 0) {
        titles[0].assign(units - 1, L'a');
        titles[1] = titles[0] + L"1";
        titles[0] += L"0";
    }
    const long long pace = units > 0 ? 10000 : 1000;
    LARGE_INTEGER start;
    ::QueryPerformanceCounter(&start);
    for (long long i = 0; i < count; ++i) {
        ::SetWindowTextW(hwnd, titles[i & 1].c_str());
        ::NotifyWinEvent(EVENT_OBJECT_NAMECHANGE, hwnd, OBJID_WINDOW, CHILDID_SELF);
        while (MicrosecondsSince(start) < (i + 1) * pace)
            ::Sleep(1);
    }
    Log(count, MicrosecondsSince(start));
}

LRESULT CALLBACK WndProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == g_msgFire) {
        Fire(hwnd, wp);
        return 0;
    }
    if (msg == g_msgFlood) {
        Flood(hwnd, static_cast<long long>(wp), static_cast<size_t>(lp));
        return 0;
    }
    if (msg == WM_CLOSE) {
        Log(MicrosecondsSince(g_fired));
        // Wakes the driver, which waits in GetMessage like the program it measures.
        if (HWND driver = ::FindWindowW(L"QxLatencyDriver", nullptr))
            ::PostMessageW(driver, g_msgClosed, 0, 0);
        return 0;
    }
    if (msg == WM_DESTROY) {
        ::PostQuitMessage(0);
        return 0;
    }
    return ::DefWindowProcW(hwnd, msg, wp, lp);
}

} // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, LPWSTR cmdLine, int) {
    g_log = ::CreateFileW(cmdLine, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr,
                          CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    g_msgFire = ::RegisterWindowMessageW(L"QuellixBench.Fire");
    g_msgClosed = ::RegisterWindowMessageW(L"QuellixBench.Closed");
    g_msgFlood = ::RegisterWindowMessageW(L"QuellixBench.Flood");
    WNDCLASSW wc{};
    wc.lpfnWndProc = WndProc;
    wc.hInstance = instance;
    wc.lpszClassName = L"QxLatencyTarget";
    ::RegisterClassW(&wc);
    HWND hwnd = ::CreateWindowExW(0, wc.lpszClassName, kTitle, WS_OVERLAPPEDWINDOW | WS_VISIBLE,
                                  100, 100, 300, 200, nullptr, nullptr, instance, nullptr);
    ::SetForegroundWindow(hwnd);
    MSG msg;
    while (::GetMessageW(&msg, nullptr, 0, 0) > 0)
        ::DispatchMessageW(&msg);
    ::CloseHandle(g_log);
    return 0;
}
