// Test helper: message boxes for Quellix to answer, each on a thread of its own.
//
//   MessageBoxes.exe LOG TYPE CAPTION MESSAGE [TYPE CAPTION MESSAGE ...]   (TYPE: MB_* in hex)
//
// Once a box is shown it raises its foreground event (Wine does not) and logs
// "<ms> SHOWN <index>"; when its MessageBox returns, "<ms> RESULT <index> <value>". The program
// ends when every box has returned.
#include <windows.h>

#include <cwchar>
#include <string>
#include <vector>

namespace {

HANDLE g_log = INVALID_HANDLE_VALUE;
CRITICAL_SECTION g_logLock;
thread_local int t_index = -1;

struct Box {
    int index;
    UINT type;
    std::wstring caption, message;
};

long long NowMs() {
    LARGE_INTEGER f, c;
    ::QueryPerformanceFrequency(&f);
    ::QueryPerformanceCounter(&c);
    return c.QuadPart * 1000 / f.QuadPart;
}

void Log(const std::string& line) {
    const std::string text = std::to_string(NowMs()) + " " + line + "\n";
    ::EnterCriticalSection(&g_logLock);
    DWORD written = 0;
    ::WriteFile(g_log, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
    ::LeaveCriticalSection(&g_logLock);
}

BOOL CALLBACK FindBox(HWND hwnd, LPARAM found) {
    wchar_t cls[16] = {};
    if (::IsWindowVisible(hwnd) && ::GetClassNameW(hwnd, cls, 16) > 0 &&
        std::wstring(cls) == L"#32770") {
        *reinterpret_cast<HWND*>(found) = hwnd;
        return FALSE;
    }
    return TRUE;
}

// Runs inside the box's own loop, until the box is visible.
void CALLBACK RaiseShown(HWND, UINT, UINT_PTR id, DWORD) {
    HWND box = nullptr;
    ::EnumThreadWindows(::GetCurrentThreadId(), FindBox, reinterpret_cast<LPARAM>(&box));
    if (box == nullptr)
        return;
    ::KillTimer(nullptr, id);
    ::NotifyWinEvent(EVENT_SYSTEM_FOREGROUND, box, OBJID_WINDOW, CHILDID_SELF);
    Log("SHOWN " + std::to_string(t_index));
}

DWORD WINAPI ShowBox(void* param) {
    const Box& box = *static_cast<const Box*>(param);
    t_index = box.index;
    // The thread takes a message first, so that it knows of the hooks that exist now.
    MSG msg;
    ::PostThreadMessageW(::GetCurrentThreadId(), WM_NULL, 0, 0);
    ::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE);
    ::SetTimer(nullptr, 0, USER_TIMER_MINIMUM, RaiseShown);
    const int result = ::MessageBoxW(nullptr, box.message.c_str(), box.caption.c_str(), box.type);
    Log("RESULT " + std::to_string(box.index) + " " + std::to_string(result));
    return 0;
}

} // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 5 || (argc - 2) % 3 != 0)
        return 2;
    g_log = ::CreateFileW(argv[1], FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                          OPEN_ALWAYS, 0, nullptr);
    if (g_log == INVALID_HANDLE_VALUE)
        return 3;
    ::InitializeCriticalSection(&g_logLock);
    std::vector<Box> boxes;
    for (int i = 2; i + 2 < argc; i += 3)
        boxes.push_back({(i - 2) / 3, static_cast<UINT>(std::wcstoul(argv[i], nullptr, 16)),
                         argv[i + 1], argv[i + 2]});
    std::vector<HANDLE> threads;
    for (Box& box : boxes)
        threads.push_back(::CreateThread(nullptr, 0, ShowBox, &box, 0, nullptr));
    ::WaitForMultipleObjects(static_cast<DWORD>(threads.size()), threads.data(), TRUE, INFINITE);
    for (HANDLE thread : threads)
        ::CloseHandle(thread);
    ::CloseHandle(g_log);
    return 0;
}
