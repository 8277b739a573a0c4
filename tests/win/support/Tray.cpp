#include "Tray.h"

#include <commctrl.h>
#include <shellapi.h>

#include <memory>

namespace qt {

namespace {

NOTIFYICONDATAW Record(HWND owner, UINT id) {
    NOTIFYICONDATAW nid{};
    nid.cbSize = sizeof(nid);
    nid.hWnd = owner;
    nid.uID = id;
    return nid;
}

std::wstring ClassOf(HWND hwnd) {
    wchar_t cls[64] = {};
    ::GetClassNameW(hwnd, cls, 64);
    return cls;
}

} // namespace

bool TrayIconExists(HWND owner, UINT id) {
    NOTIFYICONDATAW nid = Record(owner, id);
    return ::Shell_NotifyIconW(NIM_MODIFY, &nid) != FALSE;
}

void DeleteTrayIcon(HWND owner, UINT id) {
    NOTIFYICONDATAW nid = Record(owner, id);
    ::Shell_NotifyIconW(NIM_DELETE, &nid);
}

std::vector<std::wstring> TrayTips() {
    std::vector<std::wstring> tips;
    DWORD pid = 0;
    ::GetWindowThreadProcessId(::FindWindowW(L"Shell_TrayWnd", nullptr), &pid);
    if (pid == 0)
        return tips;
    std::unique_ptr<void, decltype(&::CloseHandle)> process(
        ::OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, pid),
        &::CloseHandle);
    if (process == nullptr)
        return tips;
    HANDLE proc = process.get();
    const SIZE_T textOffset = 1024, textBytes = 2048;
    auto freeRemote = [proc](void* p) { ::VirtualFreeEx(proc, p, 0, MEM_RELEASE); };
    std::unique_ptr<void, decltype(freeRemote)> remote(
        ::VirtualAllocEx(proc, nullptr, textOffset + textBytes, MEM_COMMIT | MEM_RESERVE,
                         PAGE_READWRITE),
        freeRemote);
    BYTE* info = static_cast<BYTE*>(remote.get());
    if (info == nullptr)
        return tips;
    for (HWND h = ::GetWindow(::GetDesktopWindow(), GW_CHILD); h != nullptr;
         h = ::GetWindow(h, GW_HWNDNEXT)) {
        DWORD owner = 0;
        ::GetWindowThreadProcessId(h, &owner);
        if (owner != pid || ClassOf(h) != TOOLTIPS_CLASSW)
            continue;
        const int count = static_cast<int>(::SendMessageW(h, TTM_GETTOOLCOUNT, 0, 0));
        for (int i = 0; i < count; ++i) {
            TTTOOLINFOW ti{};
            ti.cbSize = sizeof(ti);
            ::WriteProcessMemory(proc, info, &ti, sizeof(ti), nullptr);
            ::SendMessageW(h, TTM_ENUMTOOLSW, i, reinterpret_cast<LPARAM>(info));
            ::ReadProcessMemory(proc, info, &ti, sizeof(ti), nullptr);
            ti.lpszText = reinterpret_cast<LPWSTR>(info + textOffset);
            ::WriteProcessMemory(proc, info, &ti, sizeof(ti), nullptr);
            std::vector<wchar_t> text(textBytes / sizeof(wchar_t) + 1, L'\0');
            ::WriteProcessMemory(proc, info + textOffset, text.data(), textBytes, nullptr);
            ::SendMessageW(h, TTM_GETTEXTW, textBytes / sizeof(wchar_t),
                           reinterpret_cast<LPARAM>(info));
            ::ReadProcessMemory(proc, info + textOffset, text.data(), textBytes, nullptr);
            tips.emplace_back(text.data());
        }
    }
    return tips;
}

bool HasTrayTip(const std::wstring& tip) {
    for (const std::wstring& t : TrayTips())
        if (t == tip)
            return true;
    return false;
}

HWND FindPopupMenu(DWORD pid) {
    for (HWND h = ::GetWindow(::GetDesktopWindow(), GW_CHILD); h != nullptr;
         h = ::GetWindow(h, GW_HWNDNEXT)) {
        DWORD owner = 0;
        ::GetWindowThreadProcessId(h, &owner);
        if (owner == pid && ::IsWindowVisible(h) && ClassOf(h) == L"#32768")
            return h;
    }
    return nullptr;
}

} // namespace qt
