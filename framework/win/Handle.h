// Move-only owners of Win32 handles: each handle is released by exactly one destructor.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <utility>

template <class H, class Traits> class CHandle {
public:
    CHandle() = default;
    explicit CHandle(H h) : m_h(h) {}
    ~CHandle() { Reset(); }
    CHandle(const CHandle&) = delete;
    CHandle& operator=(const CHandle&) = delete;
    CHandle(CHandle&& other) noexcept : m_h(std::exchange(other.m_h, Traits::Invalid())) {}
    CHandle& operator=(CHandle&& other) noexcept {
        if (this != &other)
            Reset(std::exchange(other.m_h, Traits::Invalid()));
        return *this;
    }

    H Get() const { return m_h; }
    explicit operator bool() const { return m_h != Traits::Invalid(); }
    void Reset(H h = Traits::Invalid()) {
        if (m_h != Traits::Invalid())
            Traits::Close(m_h);
        m_h = h;
    }
    H Release() { return std::exchange(m_h, Traits::Invalid()); }

private:
    H m_h = Traits::Invalid();
};

struct KernelHandleTraits {
    static HANDLE Invalid() { return nullptr; }
    static void Close(HANDLE h) { ::CloseHandle(h); }
};
struct FileHandleTraits {
    static HANDLE Invalid() { return INVALID_HANDLE_VALUE; }
    static void Close(HANDLE h) { ::CloseHandle(h); }
};
struct RegKeyTraits {
    static HKEY Invalid() { return nullptr; }
    static void Close(HKEY h) { ::RegCloseKey(h); }
};
struct MenuTraits {
    static HMENU Invalid() { return nullptr; }
    static void Close(HMENU h) { ::DestroyMenu(h); }
};
struct ImageListTraits {
    static HIMAGELIST Invalid() { return nullptr; }
    static void Close(HIMAGELIST h) { ::ImageList_Destroy(h); }
};
struct WinEventHookTraits {
    static HWINEVENTHOOK Invalid() { return nullptr; }
    static void Close(HWINEVENTHOOK h) { ::UnhookWinEvent(h); }
};

using CKernelHandle = CHandle<HANDLE, KernelHandleTraits>;
using CFileHandle = CHandle<HANDLE, FileHandleTraits>;
using CRegKey = CHandle<HKEY, RegKeyTraits>;
using CMenuHandle = CHandle<HMENU, MenuTraits>;
using CImageListHandle = CHandle<HIMAGELIST, ImageListTraits>;
using CWinEventHook = CHandle<HWINEVENTHOOK, WinEventHookTraits>;
