// A program that hooks the foreground event, reads the five window properties that the watcher
// compares (class, whole caption, rectangle, style, extended style) and posts WM_CLOSE. The
// yardstick for the watcher's own work per event (CloseLatency.exe); it matches nothing.
#include <windows.h>

#include <vector>

namespace {

std::vector<WCHAR> g_caption(256);

void CALLBACK OnEvent(HWINEVENTHOOK, DWORD event, HWND hwnd, LONG idObject, LONG, DWORD, DWORD) {
    if (event != EVENT_SYSTEM_FOREGROUND || idObject != OBJID_WINDOW || hwnd == nullptr)
        return;
    WCHAR className[512] = {};
    ::GetClassNameW(hwnd, className, 512);
    // The whole caption, as the watcher reads it: the buffer grows for a longer one.
    for (;;) {
        g_caption[0] = 0;
        const int n = ::GetWindowTextW(hwnd, g_caption.data(), static_cast<int>(g_caption.size()));
        if (n < 0 || static_cast<size_t>(n) + 1 < g_caption.size())
            break;
        g_caption.resize(g_caption.size() * 2);
    }
    RECT rc{};
    ::GetWindowRect(hwnd, &rc);
    ::GetWindowLongW(hwnd, GWL_STYLE);
    ::GetWindowLongW(hwnd, GWL_EXSTYLE);
    ::PostMessageW(hwnd, WM_CLOSE, 0, 0);
}

} // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, LPWSTR, int) {
    HWINEVENTHOOK hook =
        ::SetWinEventHook(EVENT_SYSTEM_FOREGROUND, EVENT_SYSTEM_FOREGROUND, nullptr, OnEvent, 0, 0,
                          WINEVENT_OUTOFCONTEXT | WINEVENT_SKIPOWNPROCESS);
    MSG msg;
    while (::GetMessageW(&msg, nullptr, 0, 0) > 0)
        ::DispatchMessageW(&msg);
    ::UnhookWinEvent(hook);
    return 0;
}
