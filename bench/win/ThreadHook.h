// A windows hook on the messages of this thread, removed by its owner's destructor.
#pragma once

#include "framework/win/Handle.h"

struct WindowsHookTraits {
    static HHOOK Invalid() { return nullptr; }
    static void Close(HHOOK h) { ::UnhookWindowsHookEx(h); }
};
using CThreadHook = CHandle<HHOOK, WindowsHookTraits>;

inline CThreadHook HookThisThread(int kind, HOOKPROC proc) {
    return CThreadHook(::SetWindowsHookExW(kind, proc, nullptr, ::GetCurrentThreadId()));
}
