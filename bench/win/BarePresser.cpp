// The least a program can do to answer a box: hook the foreground event, find the visible push
// button whose text, without its marks, is "No", and post the dialog its click, as the watcher
// does. The yardstick of PressLatency.exe.
#include <windows.h>

namespace {

void CALLBACK OnEvent(HWINEVENTHOOK, DWORD event, HWND hwnd, LONG idObject, LONG, DWORD, DWORD) {
    if (event != EVENT_SYSTEM_FOREGROUND || idObject != OBJID_WINDOW || hwnd == nullptr)
        return;
    for (HWND child = ::GetWindow(hwnd, GW_CHILD); child != nullptr;
         child = ::GetWindow(child, GW_HWNDNEXT)) {
        wchar_t cls[16] = {}, text[64] = {}, shown[64] = {};
        const LONG style = ::GetWindowLongW(child, GWL_STYLE);
        if ((style & WS_VISIBLE) == 0 || (style & BS_TYPEMASK) > BS_DEFPUSHBUTTON ||
            ::GetClassNameW(child, cls, 16) == 0 || ::lstrcmpiW(cls, L"Button") != 0)
            continue;
        ::InternalGetWindowText(child, text, 64);
        int n = 0;
        for (const wchar_t* p = text; *p != 0 && n < 63; ++p)
            if (*p != L'&')
                shown[n++] = *p;
        if (::lstrcmpiW(shown, L"No") == 0) {
            ::PostMessageW(hwnd, WM_COMMAND, MAKEWPARAM(::GetDlgCtrlID(child), BN_CLICKED),
                           reinterpret_cast<LPARAM>(child));
            return;
        }
    }
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
