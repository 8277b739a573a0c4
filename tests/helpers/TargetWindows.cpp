// Test helper: top-level windows for Quellix to list, match and close.
//
//   TargetWindows.exe --log FILE [--destroy-on-close] [--foreground N]
//                     --window CAPTION CLASS X Y W H STYLE EXSTYLE  (repeatable; hex styles)
//   TargetWindows.exe --log FILE --opened ADDRESS
//                     (registered as the web browser: logs "<ms> OPENED 0 <address>")
//
// Every WM_CLOSE is logged as "<ms> CLOSE <index> <caption>", every window menu's Close
// (WM_SYSCOMMAND SC_CLOSE, ignored like WM_CLOSE) as "<ms> SYSCLOSE <index>", every foreground
// change it makes
// as "<ms> FOREGROUND <index>", with one monotonic clock shared by all processes. Messages
// registered as "QuellixTest.Foreground" (make this window foreground and raise the event, as
// Wine does not), "QuellixTest.Move" (wParam x, lParam y) and "QuellixTest.Quit" control it.
// "QuellixTest.Act" (wParam: 1 hide, 2 show without activation, 3 rename to "<caption>
// (renamed)", 4 rename back, 5 destroy, 6 stop taking messages for good: the program hangs)
// does one more thing, raises its event as Wine does not, and logs "<ms> DID <index> <action>".
#include <windows.h>

#include <cstdio>
#include <cwchar>
#include <string>
#include <vector>

namespace {

struct Target {
    std::wstring caption;
    std::wstring cls;
    int x, y, w, h;
    DWORD style, exStyle;
    HWND hwnd = nullptr;
};

std::vector<Target> g_targets;
HANDLE g_log = INVALID_HANDLE_VALUE;
bool g_destroyOnClose = false;
UINT g_msgForeground, g_msgMove, g_msgQuit, g_msgAct;

long long NowMs() {
    LARGE_INTEGER f, c;
    ::QueryPerformanceFrequency(&f);
    ::QueryPerformanceCounter(&c);
    return c.QuadPart * 1000 / f.QuadPart;
}

void Log(const std::wstring& line) {
    std::wstring text = std::to_wstring(NowMs()) + L" " + line + L"\n";
    int n = ::WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, nullptr, 0, nullptr, nullptr);
    std::string utf8(static_cast<size_t>(n), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, utf8.data(), n, nullptr, nullptr);
    DWORD written = 0;
    ::WriteFile(g_log, utf8.data(), static_cast<DWORD>(n - 1), &written, nullptr);
}

int IndexOf(HWND hwnd) {
    for (size_t i = 0; i < g_targets.size(); ++i)
        if (g_targets[i].hwnd == hwnd)
            return static_cast<int>(i);
    return -1;
}

void MakeForeground(HWND hwnd) {
    ::SetForegroundWindow(hwnd);
    ::NotifyWinEvent(EVENT_SYSTEM_FOREGROUND, hwnd, OBJID_WINDOW, CHILDID_SELF);
    Log(L"FOREGROUND " + std::to_wstring(IndexOf(hwnd)));
}

LRESULT CALLBACK WndProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_CLOSE) {
        int i = IndexOf(hwnd);
        Log(L"CLOSE " + std::to_wstring(i) + L" " +
            (i >= 0 ? g_targets[static_cast<size_t>(i)].caption : L""));
        if (g_destroyOnClose)
            ::DestroyWindow(hwnd);
        return 0;
    }
    if (msg == WM_SYSCOMMAND && (wp & 0xFFF0) == SC_CLOSE) {
        Log(L"SYSCLOSE " + std::to_wstring(IndexOf(hwnd)));
        return 0;
    }
    if (msg == WM_DESTROY) {
        int i = IndexOf(hwnd);
        if (i >= 0)
            g_targets[static_cast<size_t>(i)].hwnd = nullptr;
        bool any = false;
        for (const Target& t : g_targets)
            any = any || t.hwnd != nullptr;
        if (!any)
            ::PostQuitMessage(0);
        return 0;
    }
    if (msg == g_msgForeground) {
        MakeForeground(hwnd);
        return 0;
    }
    if (msg == g_msgMove) {
        ::SetWindowPos(hwnd, nullptr, static_cast<int>(wp), static_cast<int>(lp), 0, 0,
                       SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        return 0;
    }
    if (msg == g_msgAct) {
        const int i = IndexOf(hwnd);
        const std::wstring caption = i >= 0 ? g_targets[static_cast<size_t>(i)].caption : L"";
        Log(L"DID " + std::to_wstring(i) + L" " + std::to_wstring(wp));
        switch (wp) {
        case 1:
            ::ShowWindow(hwnd, SW_HIDE);
            break;
        case 2:
            ::ShowWindow(hwnd, SW_SHOWNOACTIVATE);
            ::NotifyWinEvent(EVENT_OBJECT_SHOW, hwnd, OBJID_WINDOW, CHILDID_SELF);
            break;
        case 3:
        case 4:
            ::SetWindowTextW(hwnd, (wp == 3 ? caption + L" (renamed)" : caption).c_str());
            ::NotifyWinEvent(EVENT_OBJECT_NAMECHANGE, hwnd, OBJID_WINDOW, CHILDID_SELF);
            break;
        case 5:
            ::DestroyWindow(hwnd);
            break;
        case 6:
            ::Sleep(INFINITE);
            break;
        default:
            break;
        }
        return 0;
    }
    if (msg == g_msgQuit) {
        ::PostQuitMessage(0);
        return 0;
    }
    return ::DefWindowProcW(hwnd, msg, wp, lp);
}

void RegisterClassOnce(const std::wstring& name) {
    WNDCLASSEXW wc{};
    if (::GetClassInfoExW(::GetModuleHandleW(nullptr), name.c_str(), &wc))
        return;
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = WndProc;
    wc.hInstance = ::GetModuleHandleW(nullptr);
    wc.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    wc.lpszClassName = name.c_str();
    ::RegisterClassExW(&wc);
}

} // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, LPWSTR, int) {
    int argc = 0;
    LPWSTR* argv = ::CommandLineToArgvW(::GetCommandLineW(), &argc);
    int foreground = -1;
    std::wstring logPath = L"TargetWindows.log";
    std::wstring opened;
    for (int i = 1; i < argc; ++i) {
        std::wstring a = argv[i];
        if (a == L"--log" && i + 1 < argc) {
            logPath = argv[++i];
        } else if (a == L"--opened" && i + 1 < argc) {
            opened = argv[++i];
        } else if (a == L"--destroy-on-close") {
            g_destroyOnClose = true;
        } else if (a == L"--foreground" && i + 1 < argc) {
            foreground = _wtoi(argv[++i]);
        } else if (a == L"--window" && i + 8 < argc) {
            Target t;
            t.caption = argv[i + 1];
            t.cls = argv[i + 2];
            t.x = _wtoi(argv[i + 3]);
            t.y = _wtoi(argv[i + 4]);
            t.w = _wtoi(argv[i + 5]);
            t.h = _wtoi(argv[i + 6]);
            t.style = std::wcstoul(argv[i + 7], nullptr, 16);
            t.exStyle = std::wcstoul(argv[i + 8], nullptr, 16);
            g_targets.push_back(t);
            i += 8;
        }
    }
    ::LocalFree(argv);

    g_log = ::CreateFileW(logPath.c_str(), FILE_APPEND_DATA,
                          FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                          OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (!opened.empty()) {
        Log(L"OPENED 0 " + opened);
        ::CloseHandle(g_log);
        return 0;
    }
    g_msgForeground = ::RegisterWindowMessageW(L"QuellixTest.Foreground");
    g_msgMove = ::RegisterWindowMessageW(L"QuellixTest.Move");
    g_msgQuit = ::RegisterWindowMessageW(L"QuellixTest.Quit");
    g_msgAct = ::RegisterWindowMessageW(L"QuellixTest.Act");

    for (Target& t : g_targets) {
        RegisterClassOnce(t.cls);
        t.hwnd =
            ::CreateWindowExW(t.exStyle, t.cls.c_str(), t.caption.c_str(), t.style, t.x, t.y, t.w,
                              t.h, nullptr, nullptr, ::GetModuleHandleW(nullptr), nullptr);
        // Ask for the exact rectangle once more: some styles make the system adjust it.
        ::SetWindowPos(t.hwnd, nullptr, t.x, t.y, t.w, t.h, SWP_NOZORDER | SWP_NOACTIVATE);
    }
    Log(L"READY " + std::to_wstring(::GetCurrentProcessId()));
    if (foreground >= 0 && static_cast<size_t>(foreground) < g_targets.size())
        MakeForeground(g_targets[static_cast<size_t>(foreground)].hwnd);

    MSG msg;
    while (::GetMessageW(&msg, nullptr, 0, 0) > 0) {
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
    }
    ::CloseHandle(g_log);
    return 0;
}
