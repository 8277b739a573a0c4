// The least a program can do per foreground event: hook it and post WM_CLOSE; with "props" it
// also reads the window as the watcher does (class, whole caption, rectangle, styles) through
// the same reader, with "process" its process image as well; with "title" or "shown" it hooks
// a top-level window's title change or show instead, and reads the window. Those two events
// come for every child control too, and for the program's own windows: there it first does
// what any program that closes on them must, as the watcher does: it asks whether the window
// is top-level and whose it is. The yardsticks for the watcher's own latency (CloseLatency.exe).
#include "engine/win/Snapshot.h"

#include <cwchar>

namespace {

bool g_bReadProps = false;
bool g_bReadProcess = false;
DWORD g_event = EVENT_SYSTEM_FOREGROUND;
CSnapshotReader g_reader;
HWND g_desktop = nullptr;

void CALLBACK OnEvent(HWINEVENTHOOK, DWORD event, HWND hwnd, LONG idObject, LONG, DWORD, DWORD) {
    if (event != g_event || idObject != OBJID_WINDOW || hwnd == nullptr)
        return;
    if (g_event != EVENT_SYSTEM_FOREGROUND) {
        if (::GetAncestor(hwnd, GA_PARENT) != g_desktop)
            return;
        DWORD pid = 0;
        if (::GetWindowThreadProcessId(hwnd, &pid) == 0 || pid == ::GetCurrentProcessId())
            return;
    }
    if (g_bReadProps)
        g_reader.Read(hwnd, g_bReadProcess);
    ::PostMessageW(hwnd, WM_CLOSE, 0, 0);
}

} // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, LPWSTR commandLine, int) {
    g_bReadProcess = std::wcscmp(commandLine, L"process") == 0;
    if (std::wcscmp(commandLine, L"title") == 0)
        g_event = EVENT_OBJECT_NAMECHANGE;
    else if (std::wcscmp(commandLine, L"shown") == 0)
        g_event = EVENT_OBJECT_SHOW;
    g_bReadProps = g_bReadProcess || g_event != EVENT_SYSTEM_FOREGROUND ||
                   std::wcscmp(commandLine, L"props") == 0;
    g_desktop = ::GetDesktopWindow();
    HWINEVENTHOOK hook = ::SetWinEventHook(g_event, g_event, nullptr, OnEvent, 0, 0,
                                           WINEVENT_OUTOFCONTEXT | WINEVENT_SKIPOWNPROCESS);
    MSG msg;
    while (::GetMessageW(&msg, nullptr, 0, 0) > 0)
        ::DispatchMessageW(&msg);
    ::UnhookWinEvent(hook);
    return 0;
}
