// The Win32 side of what follows an ignored close: is the window asking its user something,
// the window menu's Close, does its program still answer, may it be ended, and ending it.
// Nothing here waits on the other program for longer than one short timeout.
#include "Watcher.h"

#include "framework/Exception.h"
#include "framework/win/Handle.h"

#include <algorithm>
#include <cwctype>

namespace {

// Windows marks a thread hung once it has taken no message for this long.
constexpr int kHungAfterMs = 5000;
// How long a WM_NULL may take to confirm that the program does not answer.
constexpr UINT kConfirmTimeoutMs = 1000;
constexpr size_t kMaxCaptions = 10;

// Windows' own session and sign-in programs: ending one logs the user off, or worse.
constexpr const wchar_t* kNeverEnded[] = {
    L"csrss.exe",
    L"wininit.exe",
    L"winlogon.exe",
    L"services.exe",
    L"lsass.exe",
    L"smss.exe",
    L"dwm.exe",
    L"explorer.exe",
    L"consent.exe",
    L"LogonUI.exe",
    L"CredentialUIBroker.exe",
};

bool SameName(const std::wstring& a, const wchar_t* b) {
    const std::wstring other(b);
    return a.size() == other.size() &&
           std::equal(a.begin(), a.end(), other.begin(),
                      [](wchar_t x, wchar_t y) { return std::towlower(x) == std::towlower(y); });
}

struct COwnedSearch {
    HWND owner;
    std::vector<HWND>* owned;
    const std::vector<HWND>* before;
    bool found = false;
};

BOOL CALLBACK CollectOwned(HWND hwnd, LPARAM param) {
    auto& search = *reinterpret_cast<COwnedSearch*>(param);
    if (::GetWindow(hwnd, GW_OWNER) != search.owner || !::IsWindowVisible(hwnd))
        return TRUE;
    if (search.owned != nullptr)
        search.owned->push_back(hwnd);
    if (search.before != nullptr &&
        std::find(search.before->begin(), search.before->end(), hwnd) == search.before->end()) {
        search.found = true;
        return FALSE;
    }
    return TRUE;
}

struct CCaptionSearch {
    DWORD pid;
    std::vector<CString>* captions;
};

BOOL CALLBACK CollectCaptions(HWND hwnd, LPARAM param) {
    auto& search = *reinterpret_cast<CCaptionSearch*>(param);
    DWORD pid = 0;
    if (!::IsWindowVisible(hwnd) || ::GetWindowThreadProcessId(hwnd, &pid) == 0 ||
        pid != search.pid)
        return TRUE;
    // Never WM_GETTEXT: the program does not answer.
    wchar_t text[512] = {};
    const int n = ::InternalGetWindowText(hwnd, text, 512);
    if (n > 0)
        search.captions->emplace_back(text, n);
    return search.captions->size() < kMaxCaptions;
}

} // namespace

void CWatcher::OwnedWindows(HWND hwnd, std::vector<HWND>& owned) {
    COwnedSearch search{hwnd, &owned, nullptr};
    ::EnumThreadWindows(::GetWindowThreadProcessId(hwnd, nullptr), CollectOwned,
                        reinterpret_cast<LPARAM>(&search));
}

bool CWatcher::ShowsNewWindow(HWND hwnd, const std::vector<HWND>& before) {
    // A modal box disables its owner; a modeless one at least is owned and visible.
    if (!::IsWindowEnabled(hwnd))
        return true;
    COwnedSearch search{hwnd, nullptr, &before};
    ::EnumThreadWindows(::GetWindowThreadProcessId(hwnd, nullptr), CollectOwned,
                        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

bool CWatcher::SendSysClose(HWND hwnd, CString& why) {
    if (::PostMessageW(hwnd, WM_SYSCOMMAND, SC_CLOSE, 0))
        return true;
    const DWORD error = ::GetLastError();
    why = error == ERROR_ACCESS_DENIED
              ? CString(L"the window belongs to a program with higher rights")
              : SystemErrorText(error);
    return false;
}

int CWatcher::SilentMs(HWND hwnd) {
    if (!::IsHungAppWindow(hwnd))
        return 0;
    // The system's mark can lag the thread taking messages again: ask it once more, never
    // waiting on a thread that is marked hung.
    DWORD_PTR result = 0;
    if (::SendMessageTimeoutW(hwnd, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, kConfirmTimeoutMs, &result))
        return 0;
    return kHungAfterMs;
}

bool CWatcher::MayEnd(HWND hwnd, CWindowOwner owner, CProgramToEnd& program, CString& why) {
    if (owner.processId == ::GetCurrentProcessId()) {
        why = L"it is Quellix itself";
        return false;
    }
    const CKernelHandle process(::OpenProcess(PROCESS_TERMINATE | PROCESS_QUERY_LIMITED_INFORMATION,
                                              FALSE, owner.processId));
    if (!process) {
        why.Format(L"Quellix cannot open it for ending: %s", SystemErrorText(::GetLastError()));
        return false;
    }
    std::wstring path(32768, L'\0');
    DWORD size = static_cast<DWORD>(path.size());
    if (!::QueryFullProcessImageNameW(process.Get(), 0, path.data(), &size)) {
        why.Format(L"Quellix cannot read which program it is: %s",
                   SystemErrorText(::GetLastError()));
        return false;
    }
    path.resize(size);
    const std::wstring name = path.substr(path.find_last_of(L"\\/") + 1);
    for (const wchar_t* never : kNeverEnded) {
        if (SameName(name, never)) {
            why = L"Windows needs it";
            return false;
        }
    }
    program.strPath = CString(path.c_str(), static_cast<int>(path.size()));
    program.strName = CString(name.c_str(), static_cast<int>(name.size()));
    CCaptionSearch search{owner.processId, &program.captions};
    ::EnumWindows(CollectCaptions, reinterpret_cast<LPARAM>(&search));
    if (program.captions.empty()) {
        wchar_t text[512] = {};
        const int n = ::InternalGetWindowText(hwnd, text, 512);
        program.captions.emplace_back(text, n > 0 ? n : 0);
    }
    return true;
}

bool CWatcher::EndProgram(CWindowOwner owner, CString& why) {
    // The window of that owner was there a moment ago, so the id still names that program.
    const CKernelHandle process(::OpenProcess(PROCESS_TERMINATE, FALSE, owner.processId));
    if (process && ::TerminateProcess(process.Get(), 1))
        return true;
    why.Format(L"Windows refused: %s", SystemErrorText(::GetLastError()));
    return false;
}
