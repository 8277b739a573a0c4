// Message boxes for PressLatency.exe, one after the other:
//   PressTarget.exe LOG COUNT CAPTION
// Each Yes/No box, once shown, raises its foreground event (Wine does not); the microseconds
// from just before the event to the return of MessageBox, and what it returned, are appended
// to LOG as "<us> <result>".
#include <windows.h>

#include <cstdio>
#include <cwchar>

namespace {

LARGE_INTEGER g_fired{};

BOOL CALLBACK FindBox(HWND hwnd, LPARAM found) {
    wchar_t cls[16] = {};
    if (::IsWindowVisible(hwnd) && ::GetClassNameW(hwnd, cls, 16) > 0 &&
        std::wcscmp(cls, L"#32770") == 0) {
        *reinterpret_cast<HWND*>(found) = hwnd;
        return FALSE;
    }
    return TRUE;
}

// Inside the box's own loop, until the box is visible.
void CALLBACK RaiseShown(HWND, UINT, UINT_PTR id, DWORD) {
    HWND box = nullptr;
    ::EnumThreadWindows(::GetCurrentThreadId(), FindBox, reinterpret_cast<LPARAM>(&box));
    if (box == nullptr)
        return;
    ::KillTimer(nullptr, id);
    ::QueryPerformanceCounter(&g_fired);
    ::NotifyWinEvent(EVENT_SYSTEM_FOREGROUND, box, OBJID_WINDOW, CHILDID_SELF);
}

} // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, LPWSTR, int) {
    if (__argc < 4)
        return 2;
    HANDLE log = ::CreateFileW(__wargv[1], FILE_APPEND_DATA, FILE_SHARE_READ, nullptr, OPEN_ALWAYS,
                               0, nullptr);
    if (log == INVALID_HANDLE_VALUE)
        return 3;
    // A message first, so that this thread knows of the hooks that exist now.
    MSG msg;
    ::PostThreadMessageW(::GetCurrentThreadId(), WM_NULL, 0, 0);
    ::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE);
    const int count = _wtoi(__wargv[2]);
    LARGE_INTEGER f, done;
    ::QueryPerformanceFrequency(&f);
    for (int i = 0; i < count; ++i) {
        ::SetTimer(nullptr, 0, USER_TIMER_MINIMUM, RaiseShown);
        const int result = ::MessageBoxW(nullptr, L"Save the changes?", __wargv[3], MB_YESNO);
        ::QueryPerformanceCounter(&done);
        char line[64];
        const int n =
            std::snprintf(line, sizeof(line), "%lld %d\n",
                          (done.QuadPart - g_fired.QuadPart) * 1000000 / f.QuadPart, result);
        DWORD written = 0;
        ::WriteFile(log, line, static_cast<DWORD>(n), &written, nullptr);
    }
    ::CloseHandle(log);
    return 0;
}
