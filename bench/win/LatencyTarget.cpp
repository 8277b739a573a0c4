// A target window for CloseLatency.exe. The registered message "QuellixBench.Fire" raises the
// foreground event for it; the time from just before that to its WM_CLOSE, in microseconds,
// is appended to the log file named on the command line, and "QuellixBench.Closed" is posted to
// the driver's window.
#include <windows.h>

#include <cstdio>
#include <string>

namespace {

HANDLE g_log = INVALID_HANDLE_VALUE;
UINT g_msgFire = 0;
UINT g_msgClosed = 0;
LARGE_INTEGER g_fired{};

long long MicrosecondsSince(const LARGE_INTEGER& start) {
    LARGE_INTEGER f, now;
    ::QueryPerformanceFrequency(&f);
    ::QueryPerformanceCounter(&now);
    return (now.QuadPart - start.QuadPart) * 1000000 / f.QuadPart;
}

LRESULT CALLBACK WndProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == g_msgFire) {
        ::QueryPerformanceCounter(&g_fired);
        ::NotifyWinEvent(EVENT_SYSTEM_FOREGROUND, hwnd, OBJID_WINDOW, CHILDID_SELF);
        return 0;
    }
    if (msg == WM_CLOSE) {
        const long long us = MicrosecondsSince(g_fired);
        char line[32];
        int n = std::snprintf(line, sizeof(line), "%lld\n", us);
        DWORD written = 0;
        ::WriteFile(g_log, line, static_cast<DWORD>(n), &written, nullptr);
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
    WNDCLASSW wc{};
    wc.lpfnWndProc = WndProc;
    wc.hInstance = instance;
    wc.lpszClassName = L"QxLatencyTarget";
    ::RegisterClassW(&wc);
    HWND hwnd =
        ::CreateWindowExW(0, wc.lpszClassName, L"Latency target", WS_OVERLAPPEDWINDOW | WS_VISIBLE,
                          100, 100, 300, 200, nullptr, nullptr, instance, nullptr);
    ::SetForegroundWindow(hwnd);
    MSG msg;
    while (::GetMessageW(&msg, nullptr, 0, 0) > 0)
        ::DispatchMessageW(&msg);
    ::CloseHandle(g_log);
    return 0;
}
