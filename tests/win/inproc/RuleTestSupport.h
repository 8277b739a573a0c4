// Shared by the rule tests that run in-process: the application object, the main dialog and
// a driver that answers the modal dialogs the code under test opens on this thread.
#pragma once

#include "framework/win/App.h"
#include "res/resource.h"
#include "rules/DataFilePath.h"
#include "rules/WindowInfo.h"
#include "ui/win/QuellixDlg.h"
#include "support/InProcessApp.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <thread>
#include <vector>

inline constexpr const wchar_t* kAppTitle = L"Quellix by Velmora";

using CRuleTestApp = CInProcessTestApp;

inline std::wstring WindowText(HWND h) {
    wchar_t text[1024] = {};
    ::SendMessageW(h, WM_GETTEXT, std::size(text), reinterpret_cast<LPARAM>(text));
    return text;
}

inline std::wstring ItemText(HWND dlg, int id) {
    return WindowText(::GetDlgItem(dlg, id));
}

inline bool IsChecked(HWND dlg, int id) {
    return ::SendMessageW(::GetDlgItem(dlg, id), BM_GETCHECK, 0, 0) == BST_CHECKED;
}

inline void SetChecked(HWND dlg, int id, bool on) {
    ::SendMessageW(::GetDlgItem(dlg, id), BM_SETCHECK, on ? BST_CHECKED : BST_UNCHECKED, 0);
}

inline void SetItemText(HWND dlg, int id, const wchar_t* text) {
    ::SendMessageW(::GetDlgItem(dlg, id), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text));
}

// Posted, so that the driver never waits on a handler that opens the next dialog.
inline void Press(HWND dlg, int id) {
    ::PostMessageW(dlg, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                   reinterpret_cast<LPARAM>(::GetDlgItem(dlg, id)));
}

// A message box has its text in the static 0xFFFF; the program's own dialogs have none.
inline bool IsMessageBox(HWND h) {
    return ::GetDlgItem(h, 0xFFFF) != nullptr;
}
inline std::wstring MessageBoxText(HWND box) {
    return ItemText(box, 0xFFFF);
}

// Answers the modal dialogs of one thread from a second thread: each step handles the next
// dialog that becomes the active one (visible and enabled) and must press one of its buttons.
// Dialogs beyond the steps are cancelled and counted, so a test never hangs on them.
class CDialogDriver {
public:
    using Step = std::function<void(HWND)>;

    explicit CDialogDriver(std::vector<Step> steps)
        : m_thread(::GetCurrentThreadId()), m_steps(std::move(steps)), m_worker([this] { Run(); }) {
    }
    ~CDialogDriver() { Finish(); }

    // Stops the driver; returns the number of dialogs that no step expected.
    int Finish() {
        m_done = true;
        if (m_worker.joinable())
            m_worker.join();
        return m_unexpected;
    }
    size_t StepsRun() const { return m_next; }

private:
    // A visible, enabled modal dialog of the thread: not the main dialog, which has the rule list.
    static BOOL CALLBACK FindModal(HWND h, LPARAM lp) {
        wchar_t cls[32] = {};
        ::GetClassNameW(h, cls, 32);
        if (::GetDlgItem(h, IDC_LIST_RULES) == nullptr && std::wstring(cls) == L"#32770" &&
            ::IsWindowVisible(h) && ::IsWindowEnabled(h)) {
            *reinterpret_cast<HWND*>(lp) = h;
            return FALSE;
        }
        return TRUE;
    }

    HWND FindActiveDialog() const {
        HWND found = nullptr;
        ::EnumThreadWindows(m_thread, FindModal, reinterpret_cast<LPARAM>(&found));
        return found;
    }

    void Run() {
        using Clock = std::chrono::steady_clock;
        while (!m_done) {
            HWND h = FindActiveDialog();
            if (h == nullptr) {
                ::Sleep(5);
                continue;
            }
            if (m_next < m_steps.size()) {
                m_steps[m_next++](h);
            } else {
                ++m_unexpected;
                Press(h, IDCANCEL);
            }
            // The dialog is done once it is gone or another one is modal on top of it.
            const auto deadline = Clock::now() + std::chrono::seconds(10);
            while (::IsWindow(h) && ::IsWindowVisible(h) && ::IsWindowEnabled(h) &&
                   Clock::now() < deadline)
                ::Sleep(2);
        }
    }

    DWORD m_thread;
    std::vector<Step> m_steps;
    std::atomic<bool> m_done{false};
    std::atomic<size_t> m_next{0};
    std::atomic<int> m_unexpected{0};
    std::thread m_worker;
};

// A step that expects a message box with this text and presses OK.
inline CDialogDriver::Step ExpectMessage(std::wstring expected, std::wstring* seen = nullptr) {
    return [expected, seen](HWND h) {
        EXPECT_TRUE(IsMessageBox(h)) << "expected a message box";
        EXPECT_EQ(WindowText(h), kAppTitle);
        const std::wstring text = MessageBoxText(h);
        if (!expected.empty()) {
            EXPECT_EQ(text, expected);
        }
        if (seen != nullptr)
            *seen = text;
        Press(h, IDOK);
    };
}

// Creates the real main dialog (which loads the rule file) and destroys it (which saves it).
class CMainDialogHost {
public:
    explicit CMainDialogHost(std::vector<CDialogDriver::Step> initSteps = {}) {
        m_dlg = std::make_unique<CQuellixDlg>();
        g_pMainDlg = m_dlg.get();
        CDialogDriver driver(std::move(initSteps));
        EXPECT_TRUE(m_dlg->Create(IDD_QUELLIX_DIALOG));
        m_unexpected = driver.Finish();
        m_dlg->ShowWindow(SW_SHOW);
    }
    ~CMainDialogHost() { Destroy(); }
    void Destroy() {
        if (m_dlg && m_dlg->m_hWnd != nullptr)
            ::DestroyWindow(m_dlg->m_hWnd);
        m_dlg.reset();
        g_pMainDlg = nullptr;
    }
    CQuellixDlg& operator*() { return *m_dlg; }
    CQuellixDlg* operator->() { return m_dlg.get(); }
    int UnexpectedAtStart() const { return m_unexpected; }

private:
    std::unique_ptr<CQuellixDlg> m_dlg;
    int m_unexpected = 0;
};

inline std::vector<BYTE> ReadFileBytes(const wchar_t* path) {
    std::vector<BYTE> bytes;
    HANDLE h =
        ::CreateFileW(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (h == INVALID_HANDLE_VALUE)
        return bytes;
    BYTE buffer[4096];
    DWORD n = 0;
    while (::ReadFile(h, buffer, sizeof(buffer), &n, nullptr) && n != 0)
        bytes.insert(bytes.end(), buffer, buffer + n);
    ::CloseHandle(h);
    return bytes;
}

inline void WriteFileBytes(const wchar_t* path, const std::vector<BYTE>& bytes) {
    HANDLE h = ::CreateFileW(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    DWORD n = 0;
    ::WriteFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &n, nullptr);
    ::CloseHandle(h);
}

inline bool FileExists(const wchar_t* path) {
    return ::GetFileAttributesW(path) != INVALID_FILE_ATTRIBUTES;
}

// Row texts of a list view, one string per row with the cells joined by '|'.
inline std::vector<std::wstring> Rows(const CListCtrl& list, int columns = 10) {
    std::vector<std::wstring> rows;
    for (int r = 0; r < list.GetItemCount(); ++r) {
        std::wstring row;
        for (int c = 0; c < columns; ++c)
            row += (c ? L"|" : L"") + std::wstring(list.GetItemText(r, c).GetString());
        rows.push_back(row);
    }
    return rows;
}

inline void SelectRow(const CListCtrl& list, int row) {
    LVITEMW item{};
    item.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
    item.state = 0;
    list.SendMessage(LVM_SETITEMSTATE, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&item));
    if (row < 0)
        return;
    item.state = LVIS_SELECTED | LVIS_FOCUSED;
    list.SendMessage(LVM_SETITEMSTATE, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
}

inline void Command(CQuellixDlg& dlg, int id) {
    dlg.SendMessage(WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), 0);
}

inline void DoubleClick(CQuellixDlg& dlg, const CListCtrl& list, int id) {
    NMITEMACTIVATE nm{};
    nm.hdr.hwndFrom = list.m_hWnd;
    nm.hdr.idFrom = static_cast<UINT_PTR>(id);
    nm.hdr.code = NM_DBLCLK;
    nm.iItem = -1;
    dlg.SendMessage(WM_NOTIFY, static_cast<WPARAM>(id), reinterpret_cast<LPARAM>(&nm));
}
