// Test helper for scripts: waits until a visible top-level window with this caption exists,
// then prints its rectangle on the screen, or that of its control CONTROL_ID, as
// "left top right bottom"; with --gone, waits until there is no such window.
//
//   WaitWindow.exe CAPTION [CONTROL_ID] [--gone] [--timeout MS]
//
// Exit code 0 when it happened, 1 when the time (default 20000 ms) ran out.
#include <windows.h>

#include <cstdio>
#include <cwchar>
#include <string>

int wmain(int argc, wchar_t** argv) {
    if (argc < 2) {
        std::fputs("usage: WaitWindow.exe CAPTION [CONTROL_ID] [--gone] [--timeout MS]\n", stderr);
        return 2;
    }
    int control = 0;
    bool gone = false;
    DWORD timeoutMs = 20000;
    for (int i = 2; i < argc; ++i) {
        if (std::wstring(argv[i]) == L"--timeout" && i + 1 < argc)
            timeoutMs = static_cast<DWORD>(_wtoi(argv[++i]));
        else if (std::wstring(argv[i]) == L"--gone")
            gone = true;
        else
            control = _wtoi(argv[i]);
    }
    const DWORD start = ::GetTickCount();
    for (;;) {
        HWND window = ::FindWindowW(nullptr, argv[1]);
        HWND target = window != nullptr && control != 0 ? ::GetDlgItem(window, control) : window;
        const bool shown = target != nullptr && ::IsWindowVisible(window);
        if (gone && !shown)
            return 0;
        if (!gone && shown) {
            RECT rc{};
            ::GetWindowRect(target, &rc);
            std::printf("%ld %ld %ld %ld\n", rc.left, rc.top, rc.right, rc.bottom);
            return 0;
        }
        if (::GetTickCount() - start >= timeoutMs)
            return 1;
        ::Sleep(50); // nothing to wait on: another program's window may appear at any time
    }
}
