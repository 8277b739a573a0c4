// The least a program can do per foreground event: hook it and post WM_CLOSE. The yardstick
// for the watcher's own latency (CloseLatency.exe).
#include <windows.h>

namespace {

void CALLBACK OnEvent(HWINEVENTHOOK, DWORD event, HWND hwnd, LONG idObject, LONG, DWORD, DWORD) {
    if (event == EVENT_SYSTEM_FOREGROUND && idObject == OBJID_WINDOW && hwnd != nullptr)
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
