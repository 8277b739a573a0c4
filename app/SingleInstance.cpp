#include "SingleInstance.h"

#include <cwchar>
#include <string>

namespace {

// How long a later start waits for a copy that is still creating its window.
constexpr DWORD kReadyWaitMs = 10000;
const wchar_t kDialogClass[] = L"#32770";

std::wstring LocalName(const wchar_t* name, const wchar_t* suffix) {
    return std::wstring(L"Local\\") + name + suffix;
}

// A mapped view of the published process id, unmapped by its destructor.
class CIdView {
public:
    CIdView(HANDLE mapping, DWORD access)
        : m_view(mapping != nullptr ? ::MapViewOfFile(mapping, access, 0, 0, sizeof(DWORD))
                                    : nullptr) {}
    ~CIdView() {
        if (m_view != nullptr)
            ::UnmapViewOfFile(m_view);
    }
    CIdView(const CIdView&) = delete;
    CIdView& operator=(const CIdView&) = delete;
    DWORD* Get() const { return static_cast<DWORD*>(m_view); }

private:
    void* m_view;
};

struct CMainWindowSearch {
    DWORD pid;
    HWND found;
};

// The process's main dialog: a top-level dialog that no other window owns.
BOOL CALLBACK FindMainWindow(HWND hwnd, LPARAM lParam) {
    auto* search = reinterpret_cast<CMainWindowSearch*>(lParam);
    DWORD pid = 0;
    if (::GetWindowThreadProcessId(hwnd, &pid) == 0 || pid != search->pid ||
        ::GetWindow(hwnd, GW_OWNER) != nullptr)
        return TRUE;
    wchar_t cls[16] = {};
    // Nothing here may throw: no allocation inside the system's callback.
    if (::GetClassNameW(hwnd, cls, 16) == 0 || std::wcscmp(cls, kDialogClass) != 0)
        return TRUE;
    search->found = hwnd;
    return FALSE;
}

} // namespace

CSingleInstance::CSingleInstance(const wchar_t* name) {
    // The event and the id are opened by every start before the mutex decides, so that the
    // loser finds them however close the two starts are.
    m_ready.Reset(::CreateEventW(nullptr, TRUE, FALSE, LocalName(name, L".ready").c_str()));
    m_ownerId.Reset(::CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0,
                                         sizeof(DWORD), LocalName(name, L".pid").c_str()));
    m_mutex.Reset(::CreateMutexW(nullptr, FALSE, LocalName(name, L"").c_str()));
    const DWORD error = ::GetLastError();
    // A mutex that exists, or one that another copy made and we may not open, is a running
    // copy. Any other failure leaves nothing to decide with: run rather than refuse to start.
    m_bFirst = m_mutex ? error != ERROR_ALREADY_EXISTS : error != ERROR_ACCESS_DENIED;
    if (m_bFirst) {
        CIdView view(m_ownerId.Get(), FILE_MAP_WRITE);
        if (view.Get() != nullptr)
            *view.Get() = ::GetCurrentProcessId();
    }
}

void CSingleInstance::AnnounceReady() const {
    if (m_bFirst && m_ready)
        ::SetEvent(m_ready.Get());
}

void CSingleInstance::ActivateFirst() const {
    if (m_bFirst || !m_ready || ::WaitForSingleObject(m_ready.Get(), kReadyWaitMs) != WAIT_OBJECT_0)
        return;
    CMainWindowSearch search{0, nullptr};
    {
        CIdView view(m_ownerId.Get(), FILE_MAP_READ);
        if (view.Get() == nullptr)
            return;
        search.pid = *view.Get();
    }
    if (search.pid == 0)
        return;
    ::EnumWindows(FindMainWindow, reinterpret_cast<LPARAM>(&search));
    if (search.found == nullptr)
        return;
    // Asynchronous: a first copy that has stopped answering must not hang this start.
    ::ShowWindowAsync(search.found, SW_RESTORE);
    ::SetForegroundWindow(search.found);
}
