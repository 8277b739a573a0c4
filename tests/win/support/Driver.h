// Test driver: starts the real Quellix.exe and the target-window helper, and reads and works
// their windows from outside, as a user or another program can.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace qt {

inline constexpr wchar_t kAppTitle[] = L"Quellix by Velmora";
inline constexpr wchar_t kSettingsKey[] = L"Software\\Velmora\\Quellix by Velmora\\Settings";

// Runs the message loop of this thread while waiting; true when the condition came true
// before the deadline.
bool WaitFor(const std::function<bool()>& condition, int timeoutMs = 10000);
// Handles this thread's pending messages.
void PumpMessages();
// Milliseconds of the monotonic clock that TargetWindows.exe logs with.
long long NowMs();

std::wstring BinaryDir();
std::wstring BinaryPath(const wchar_t* fileName);

// The profile key, the administrator's policies and the data folder, as a fresh machine has
// them: absent.
void ResetProfile();
// A policy value under HKLM\SOFTWARE\Policies\Velmora\Quellix.
void SetPolicy(const wchar_t* name, DWORD value);
void SetPolicyText(const wchar_t* name, const std::wstring& text, DWORD type = REG_SZ);
// Says that policies changed, as Group Policy does after it applied them.
void AnnouncePolicyChange();
std::wstring DataFolder();
std::wstring DataFilePath();
void ResetDataFolder();
void StoreInt(const wchar_t* name, DWORD value);
void StoreBinary(const wchar_t* name, const std::vector<BYTE>& bytes);
std::optional<DWORD> StoredInt(const wchar_t* name);
std::optional<std::vector<BYTE>> StoredBinary(const wchar_t* name);
std::vector<BYTE> ReadFileBytes(const std::wstring& path);
bool WriteFileBytes(const std::wstring& path, const std::vector<BYTE>& bytes);

// A child process, ended (if still running) and released by its destructor.
class Process {
public:
    Process() = default;
    ~Process();
    Process(Process&& other) noexcept;
    Process& operator=(Process&& other) noexcept;
    Process(const Process&) = delete;
    Process& operator=(const Process&) = delete;

    bool Start(const std::wstring& commandLine, int showCommand = SW_SHOWNORMAL);
    // True when the process ended within the time; its exit code is then known.
    bool Wait(int timeoutMs);
    bool Running() const;
    // Waits until the process's message loop waits for input (its start-up is done).
    bool WaitIdle(int timeoutMs);
    DWORD ExitCode() const;
    DWORD Id() const { return m_pi.dwProcessId; }
    void Kill();

private:
    PROCESS_INFORMATION m_pi{};
};

// Top-level windows of a process, visible or not.
std::vector<HWND> WindowsOfProcess(DWORD pid);
// A top-level dialog (class #32770) of the process with this caption, other than `except`.
HWND FindDialog(DWORD pid, const std::wstring& caption, HWND except = nullptr);
// Text of a window: WM_GETTEXT through SendMessageTimeout.
std::wstring TextOf(HWND hwnd);
// The text of a message box (its static control 0xFFFF).
std::wstring MessageBoxText(HWND box);
// Clicks a button of a dialog (posted as BN_CLICKED).
void ClickButton(HWND dialog, int id);
void SetCheck(HWND dialog, int id, bool checked);
bool IsChecked(HWND dialog, int id);

// A list view of another process, read and worked through memory in that process.
class RemoteListView {
public:
    RemoteListView(HWND list, DWORD pid);
    int Count() const;
    int Columns() const;
    std::wstring Cell(int row, int column) const;
    std::vector<std::wstring> Row(int row) const;
    int Image(int row) const;
    LPARAM Data(int row) const;
    int ColumnWidth(int column) const;
    void SetColumnWidth(int column, int width) const;
    void Select(int row) const;
    int Selected() const;
    // Row whose column `column` reads `text`; -1 when none.
    int Find(int column, const std::wstring& text) const;

private:
    HWND m_list;
    DWORD m_pid;
};

// The real Quellix.exe in its own process.
class QuellixProcess {
public:
    ~QuellixProcess();
    // Starts it and waits until its main dialog exists (and, when asked, is visible).
    bool Start(bool waitVisible = true, int showCommand = SW_SHOWNORMAL);
    // The same, where a message box comes before the main dialog: its text is added to
    // `message`, and it is answered with OK.
    bool StartPastMessage(std::wstring* message, bool waitVisible = true,
                          int showCommand = SW_SHOWNORMAL);
    // The exe that Start runs, instead of the build's (a copy of it elsewhere).
    void SetProgram(const std::wstring& exe) { m_exe = exe; }
    HWND Main() const { return m_main; }
    DWORD Pid() const { return m_process.Id(); }
    Process& GetProcess() { return m_process; }
    HWND Control(int id) const { return ::GetDlgItem(m_main, id); }
    std::wstring ControlText(int id) const { return TextOf(Control(id)); }
    RemoteListView List(int id) const { return RemoteListView(Control(id), Pid()); }
    // Posts BN_CLICKED of a control, or a menu command.
    void Click(int id) const;
    void Command(int id) const;
    // A message box or dialog of the program with this caption, waited for.
    HWND WaitDialog(const std::wstring& caption, int timeoutMs = 10000) const;
    // Posts Exit and waits for the process to end; true when it ended.
    bool Exit(int timeoutMs = 15000);

private:
    Process m_process;
    HWND m_main = nullptr;
    std::wstring m_exe;
};

struct LoggedEvent {
    long long ms;
    std::wstring kind; // CLOSE, FOREGROUND, READY
    int index;
};

struct TargetSpec {
    std::wstring caption;
    std::wstring cls = L"QuellixTarget";
    int x = 100, y = 100, w = 300, h = 200;
    DWORD style = WS_OVERLAPPEDWINDOW | WS_VISIBLE;
    DWORD exStyle = 0;
};

// TargetWindows.exe: target windows in a process of their own, logging every WM_CLOSE.
class TargetWindows {
public:
    ~TargetWindows();
    bool Start(const std::vector<TargetSpec>& specs, bool destroyOnClose = false,
               int foreground = -1);
    HWND Window(size_t index) const;
    // Makes the window the foreground window (and raises the event) and waits until it is.
    bool MakeForeground(size_t index);
    void Move(size_t index, int x, int y);
    enum Action { kHide = 1, kShowNoActivate, kRename, kRenameBack, kDestroy, kHang };
    // Has the helper do it (raising its event) and waits until it is logged as done.
    bool Act(size_t index, Action action);
    std::vector<LoggedEvent> Events() const;
    std::vector<LoggedEvent> Closes(int index = -1) const;
    bool WaitCloses(size_t count, int timeoutMs, int index = -1) const;
    void Stop();
    DWORD Pid() const { return m_process.Id(); }
    Process& GetProcess() { return m_process; }
    // The program that shows the windows: TargetWindows.exe, or a copy of it under this name
    // beside it (another program with the same windows).
    void SetProgram(const std::wstring& exe);

private:
    Process m_process;
    std::wstring m_exe = L"TargetWindows.exe";
    std::wstring m_log;
    std::vector<HWND> m_windows;
};

// A test that starts from a fresh machine's state: no profile key, no data folder.
class CleanStateTest : public ::testing::Test {
protected:
    void SetUp() override {
        ResetProfile();
        ResetDataFolder();
    }
};

} // namespace qt
