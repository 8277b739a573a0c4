#include "Driver.h"

#include <shlobj.h>

#include <fstream>
#include <sstream>

namespace qt {

void PumpMessages() {
    MSG msg;
    while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
    }
}

bool WaitFor(const std::function<bool()>& condition, int timeoutMs) {
    const DWORD start = ::GetTickCount();
    for (;;) {
        PumpMessages();
        if (condition())
            return true;
        if (static_cast<int>(::GetTickCount() - start) >= timeoutMs)
            return false;
        ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    }
}

long long NowMs() {
    LARGE_INTEGER f, c;
    ::QueryPerformanceFrequency(&f);
    ::QueryPerformanceCounter(&c);
    return c.QuadPart * 1000 / f.QuadPart;
}

std::wstring BinaryDir() {
    wchar_t path[MAX_PATH] = {};
    ::GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring dir(path);
    return dir.substr(0, dir.find_last_of(L"\\/"));
}

std::wstring BinaryPath(const wchar_t* fileName) {
    return BinaryDir() + L"\\" + fileName;
}

constexpr wchar_t kPolicyKey[] = L"SOFTWARE\\Policies\\Velmora\\Quellix";

void ResetProfile() {
    ::RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\Velmora");
    ::RegDeleteTreeW(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Policies\\Velmora");
}

void SetPolicy(const wchar_t* name, DWORD value) {
    ::RegSetKeyValueW(HKEY_LOCAL_MACHINE, kPolicyKey, name, REG_DWORD, &value, sizeof(value));
}

void SetPolicyText(const wchar_t* name, const std::wstring& text, DWORD type) {
    ::RegSetKeyValueW(HKEY_LOCAL_MACHINE, kPolicyKey, name, type, text.c_str(),
                      static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
}

void AnnouncePolicyChange() {
    DWORD_PTR result = 0;
    ::SendMessageTimeoutW(HWND_BROADCAST, WM_SETTINGCHANGE, 0, reinterpret_cast<LPARAM>(L"Policy"),
                          SMTO_ABORTIFHUNG, 5000, &result);
}

std::wstring DataFolder() {
    wchar_t path[MAX_PATH] = {};
    ::SHGetFolderPathW(nullptr, CSIDL_LOCAL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, path);
    return std::wstring(path) + L"\\Velmora-Quellix";
}

std::wstring DataFilePath() {
    return DataFolder() + L"\\Data.dat";
}

void ResetDataFolder() {
    const std::wstring folder = DataFolder();
    WIN32_FIND_DATAW fd;
    HANDLE find = ::FindFirstFileW((folder + L"\\*").c_str(), &fd);
    if (find != INVALID_HANDLE_VALUE) {
        do {
            std::wstring name = fd.cFileName;
            if (name == L"." || name == L"..")
                continue;
            std::wstring path = folder + L"\\" + name;
            ::SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
            if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                ::RemoveDirectoryW(path.c_str());
            else
                ::DeleteFileW(path.c_str());
        } while (::FindNextFileW(find, &fd));
        ::FindClose(find);
    }
    ::SetFileAttributesW(folder.c_str(), FILE_ATTRIBUTE_NORMAL);
    ::RemoveDirectoryW(folder.c_str());
}

void StoreInt(const wchar_t* name, DWORD value) {
    ::RegSetKeyValueW(HKEY_CURRENT_USER, kSettingsKey, name, REG_DWORD, &value, sizeof(value));
}

void StoreBinary(const wchar_t* name, const std::vector<BYTE>& bytes) {
    ::RegSetKeyValueW(HKEY_CURRENT_USER, kSettingsKey, name, REG_BINARY, bytes.data(),
                      static_cast<DWORD>(bytes.size()));
}

std::optional<DWORD> StoredInt(const wchar_t* name) {
    DWORD value = 0, size = sizeof(value);
    if (::RegGetValueW(HKEY_CURRENT_USER, kSettingsKey, name, RRF_RT_REG_DWORD, nullptr, &value,
                       &size) != ERROR_SUCCESS)
        return std::nullopt;
    return value;
}

std::optional<std::vector<BYTE>> StoredBinary(const wchar_t* name) {
    DWORD size = 0;
    if (::RegGetValueW(HKEY_CURRENT_USER, kSettingsKey, name, RRF_RT_REG_BINARY, nullptr, nullptr,
                       &size) != ERROR_SUCCESS)
        return std::nullopt;
    std::vector<BYTE> bytes(size);
    if (::RegGetValueW(HKEY_CURRENT_USER, kSettingsKey, name, RRF_RT_REG_BINARY, nullptr,
                       bytes.data(), &size) != ERROR_SUCCESS)
        return std::nullopt;
    bytes.resize(size);
    return bytes;
}

std::vector<BYTE> ReadFileBytes(const std::wstring& path) {
    std::vector<BYTE> bytes;
    HANDLE f = ::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                             nullptr, OPEN_EXISTING, 0, nullptr);
    if (f == INVALID_HANDLE_VALUE)
        return bytes;
    BYTE buffer[4096];
    DWORD n = 0;
    while (::ReadFile(f, buffer, sizeof(buffer), &n, nullptr) && n > 0)
        bytes.insert(bytes.end(), buffer, buffer + n);
    ::CloseHandle(f);
    return bytes;
}

bool WriteFileBytes(const std::wstring& path, const std::vector<BYTE>& bytes) {
    HANDLE f = ::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (f == INVALID_HANDLE_VALUE)
        return false;
    DWORD n = 0;
    bool ok = ::WriteFile(f, bytes.data(), static_cast<DWORD>(bytes.size()), &n, nullptr) &&
              n == bytes.size();
    ::CloseHandle(f);
    return ok;
}

// ---- Process

Process::~Process() {
    Kill();
}

Process::Process(Process&& other) noexcept : m_pi(other.m_pi) {
    other.m_pi = {};
}

Process& Process::operator=(Process&& other) noexcept {
    if (this != &other) {
        Kill();
        m_pi = other.m_pi;
        other.m_pi = {};
    }
    return *this;
}

bool Process::Start(const std::wstring& commandLine, int showCommand) {
    Kill();
    STARTUPINFOW si{};
    si.cb = sizeof(si);
    si.dwFlags = STARTF_USESHOWWINDOW;
    si.wShowWindow = static_cast<WORD>(showCommand);
    std::wstring cmd = commandLine;
    return ::CreateProcessW(nullptr, cmd.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si,
                            &m_pi) != FALSE;
}

bool Process::Wait(int timeoutMs) {
    return m_pi.hProcess != nullptr &&
           ::WaitForSingleObject(m_pi.hProcess, static_cast<DWORD>(timeoutMs)) == WAIT_OBJECT_0;
}

bool Process::WaitIdle(int timeoutMs) {
    return m_pi.hProcess != nullptr &&
           ::WaitForInputIdle(m_pi.hProcess, static_cast<DWORD>(timeoutMs)) == 0;
}

bool Process::Running() const {
    return m_pi.hProcess != nullptr && ::WaitForSingleObject(m_pi.hProcess, 0) == WAIT_TIMEOUT;
}

DWORD Process::ExitCode() const {
    DWORD code = STILL_ACTIVE;
    if (m_pi.hProcess != nullptr)
        ::GetExitCodeProcess(m_pi.hProcess, &code);
    return code;
}

void Process::Kill() {
    if (m_pi.hProcess == nullptr)
        return;
    if (Running()) {
        ::TerminateProcess(m_pi.hProcess, 99);
        ::WaitForSingleObject(m_pi.hProcess, 5000);
    }
    ::CloseHandle(m_pi.hThread);
    ::CloseHandle(m_pi.hProcess);
    m_pi = {};
}

// ---- Windows

namespace {

struct ProcessWindows {
    DWORD pid;
    std::vector<HWND> windows;
};

BOOL CALLBACK CollectProcessWindow(HWND hwnd, LPARAM lp) {
    auto* c = reinterpret_cast<ProcessWindows*>(lp);
    DWORD owner = 0;
    ::GetWindowThreadProcessId(hwnd, &owner);
    if (owner == c->pid)
        c->windows.push_back(hwnd);
    return TRUE;
}

} // namespace

std::vector<HWND> WindowsOfProcess(DWORD pid) {
    ProcessWindows found{pid, {}};
    ::EnumWindows(CollectProcessWindow, reinterpret_cast<LPARAM>(&found));
    return found.windows;
}

std::wstring TextOf(HWND hwnd) {
    wchar_t buffer[4096] = {};
    DWORD_PTR result = 0;
    ::SendMessageTimeoutW(hwnd, WM_GETTEXT, 4096, reinterpret_cast<LPARAM>(buffer),
                          SMTO_ABORTIFHUNG, 2000, &result);
    return buffer;
}

HWND FindDialog(DWORD pid, const std::wstring& caption, HWND except) {
    for (HWND hwnd : WindowsOfProcess(pid)) {
        wchar_t cls[64] = {};
        ::GetClassNameW(hwnd, cls, 64);
        if (hwnd != except && std::wstring(cls) == L"#32770" && ::IsWindowVisible(hwnd) &&
            TextOf(hwnd) == caption)
            return hwnd;
    }
    return nullptr;
}

std::wstring MessageBoxText(HWND box) {
    return TextOf(::GetDlgItem(box, 0xFFFF));
}

void ClickButton(HWND dialog, int id) {
    ::PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                   reinterpret_cast<LPARAM>(::GetDlgItem(dialog, id)));
}

void SetCheck(HWND dialog, int id, bool checked) {
    DWORD_PTR r = 0;
    ::SendMessageTimeoutW(::GetDlgItem(dialog, id), BM_SETCHECK,
                          checked ? BST_CHECKED : BST_UNCHECKED, 0, SMTO_ABORTIFHUNG, 2000, &r);
}

bool IsChecked(HWND dialog, int id) {
    DWORD_PTR r = 0;
    ::SendMessageTimeoutW(::GetDlgItem(dialog, id), BM_GETCHECK, 0, 0, SMTO_ABORTIFHUNG, 2000, &r);
    return r == BST_CHECKED;
}

// ---- Remote list view

namespace {

// Memory in another process, released by the destructor.
class RemoteBuffer {
public:
    RemoteBuffer(DWORD pid, size_t size)
        : m_process(
              ::OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, pid)),
          m_size(size) {
        if (m_process != nullptr)
            m_ptr = ::VirtualAllocEx(m_process, nullptr, size, MEM_COMMIT | MEM_RESERVE,
                                     PAGE_READWRITE);
    }
    ~RemoteBuffer() {
        if (m_ptr != nullptr)
            ::VirtualFreeEx(m_process, m_ptr, 0, MEM_RELEASE);
        if (m_process != nullptr)
            ::CloseHandle(m_process);
    }
    RemoteBuffer(const RemoteBuffer&) = delete;
    RemoteBuffer& operator=(const RemoteBuffer&) = delete;

    BYTE* Ptr() const { return static_cast<BYTE*>(m_ptr); }
    void Write(size_t offset, const void* data, size_t size) const {
        ::WriteProcessMemory(m_process, Ptr() + offset, data, size, nullptr);
    }
    void Read(size_t offset, void* data, size_t size) const {
        ::ReadProcessMemory(m_process, Ptr() + offset, data, size, nullptr);
    }

private:
    HANDLE m_process;
    void* m_ptr = nullptr;
    size_t m_size;
};

LRESULT Send(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    DWORD_PTR r = 0;
    ::SendMessageTimeoutW(hwnd, msg, wp, lp, SMTO_ABORTIFHUNG, 5000, &r);
    return static_cast<LRESULT>(r);
}

} // namespace

RemoteListView::RemoteListView(HWND list, DWORD pid) : m_list(list), m_pid(pid) {}

int RemoteListView::Count() const {
    return static_cast<int>(Send(m_list, LVM_GETITEMCOUNT, 0, 0));
}

int RemoteListView::Columns() const {
    HWND header = reinterpret_cast<HWND>(Send(m_list, LVM_GETHEADER, 0, 0));
    return static_cast<int>(Send(header, HDM_GETITEMCOUNT, 0, 0));
}

std::wstring RemoteListView::Cell(int row, int column) const {
    constexpr size_t kChars = 2048;
    RemoteBuffer mem(m_pid, sizeof(LVITEMW) + kChars * sizeof(wchar_t));
    LVITEMW item{};
    item.iSubItem = column;
    item.cchTextMax = kChars;
    item.pszText = reinterpret_cast<wchar_t*>(mem.Ptr() + sizeof(LVITEMW));
    mem.Write(0, &item, sizeof(item));
    LRESULT n = Send(m_list, LVM_GETITEMTEXTW, static_cast<WPARAM>(row),
                     reinterpret_cast<LPARAM>(mem.Ptr()));
    std::wstring text(static_cast<size_t>(n > 0 ? n : 0), L'\0');
    if (n > 0)
        mem.Read(sizeof(LVITEMW), text.data(), static_cast<size_t>(n) * sizeof(wchar_t));
    return text;
}

std::vector<std::wstring> RemoteListView::Row(int row) const {
    std::vector<std::wstring> cells;
    for (int c = 0, n = Columns(); c < n; ++c)
        cells.push_back(Cell(row, c));
    return cells;
}

int RemoteListView::Image(int row) const {
    RemoteBuffer mem(m_pid, sizeof(LVITEMW));
    LVITEMW item{};
    item.mask = LVIF_IMAGE;
    item.iItem = row;
    item.iImage = -1;
    mem.Write(0, &item, sizeof(item));
    Send(m_list, LVM_GETITEMW, 0, reinterpret_cast<LPARAM>(mem.Ptr()));
    mem.Read(0, &item, sizeof(item));
    return item.iImage;
}

LPARAM RemoteListView::Data(int row) const {
    RemoteBuffer mem(m_pid, sizeof(LVITEMW));
    LVITEMW item{};
    item.mask = LVIF_PARAM;
    item.iItem = row;
    mem.Write(0, &item, sizeof(item));
    Send(m_list, LVM_GETITEMW, 0, reinterpret_cast<LPARAM>(mem.Ptr()));
    mem.Read(0, &item, sizeof(item));
    return item.lParam;
}

int RemoteListView::ColumnWidth(int column) const {
    return static_cast<int>(Send(m_list, LVM_GETCOLUMNWIDTH, static_cast<WPARAM>(column), 0));
}

void RemoteListView::SetColumnWidth(int column, int width) const {
    Send(m_list, LVM_SETCOLUMNWIDTH, static_cast<WPARAM>(column), MAKELPARAM(width, 0));
}

void RemoteListView::Select(int row) const {
    RemoteBuffer mem(m_pid, sizeof(LVITEMW));
    LVITEMW item{};
    item.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
    item.state = LVIS_SELECTED | LVIS_FOCUSED;
    mem.Write(0, &item, sizeof(item));
    Send(m_list, LVM_SETITEMSTATE, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(mem.Ptr()));
}

int RemoteListView::Selected() const {
    return static_cast<int>(
        Send(m_list, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), MAKELPARAM(LVNI_SELECTED, 0)));
}

int RemoteListView::Find(int column, const std::wstring& text) const {
    for (int r = 0, n = Count(); r < n; ++r)
        if (Cell(r, column) == text)
            return r;
    return -1;
}

// ---- Quellix.exe

QuellixProcess::~QuellixProcess() {
    if (m_process.Running())
        Exit(5000);
}

bool QuellixProcess::Start(bool waitVisible, int showCommand) {
    return StartPastMessage(nullptr, waitVisible, showCommand);
}

bool QuellixProcess::StartPastMessage(std::wstring* message, bool waitVisible, int showCommand) {
    const std::wstring exe = m_exe.empty() ? BinaryPath(L"Quellix.exe") : m_exe;
    if (!m_process.Start(L"\"" + exe + L"\"", showCommand))
        return false;
    const DWORD pid = m_process.Id();
    bool found = WaitFor([&] {
        if (HWND box = message != nullptr ? FindDialog(pid, kAppTitle) : nullptr) {
            *message += MessageBoxText(box);
            ClickButton(box, IDOK);
        }
        for (HWND hwnd : WindowsOfProcess(pid))
            if (TextOf(hwnd) == kAppTitle && ::GetDlgItem(hwnd, 1001) != nullptr) {
                m_main = hwnd;
                return true;
            }
        return !m_process.Running();
    });
    if (!found || m_main == nullptr)
        return false;
    if (waitVisible && !WaitFor([&] { return ::IsWindowVisible(m_main) != FALSE; }))
        return false;
    // A restored placement shows the dialog while it is still being created: start-up has
    // finished only when the message loop waits for input.
    return m_process.WaitIdle(10000);
}

void QuellixProcess::Click(int id) const {
    ::PostMessageW(m_main, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                   reinterpret_cast<LPARAM>(Control(id)));
}

void QuellixProcess::Command(int id) const {
    ::PostMessageW(m_main, WM_COMMAND, MAKEWPARAM(id, 0), 0);
}

HWND QuellixProcess::WaitDialog(const std::wstring& caption, int timeoutMs) const {
    HWND found = nullptr;
    WaitFor([&] { return (found = FindDialog(Pid(), caption, m_main)) != nullptr; }, timeoutMs);
    return found;
}

bool QuellixProcess::Exit(int timeoutMs) {
    if (!m_process.Running())
        return true;
    Command(32771);
    return m_process.Wait(timeoutMs);
}

// ---- TargetWindows.exe

TargetWindows::~TargetWindows() {
    Stop();
}

void TargetWindows::SetProgram(const std::wstring& exe) {
    if (exe != L"TargetWindows.exe")
        ::CopyFileW(BinaryPath(L"TargetWindows.exe").c_str(), BinaryPath(exe.c_str()).c_str(),
                    FALSE);
    m_exe = exe;
}

bool TargetWindows::Start(const std::vector<TargetSpec>& specs, bool destroyOnClose,
                          int foreground) {
    static int counter = 0;
    wchar_t temp[MAX_PATH] = {};
    ::GetTempPathW(MAX_PATH, temp);
    m_log = std::wstring(temp) + L"qx-targets-" + std::to_wstring(::GetCurrentProcessId()) + L"-" +
            std::to_wstring(++counter) + L".log";
    ::DeleteFileW(m_log.c_str());
    std::wstring cmd = L"\"" + BinaryPath(m_exe.c_str()) + L"\" --log \"" + m_log + L"\"";
    if (destroyOnClose)
        cmd += L" --destroy-on-close";
    if (foreground >= 0)
        cmd += L" --foreground " + std::to_wstring(foreground);
    for (const TargetSpec& s : specs) {
        wchar_t styles[64];
        swprintf(styles, 64, L" %lx %lx", static_cast<unsigned long>(s.style),
                 static_cast<unsigned long>(s.exStyle));
        cmd += L" --window \"" + s.caption + L"\" \"" + s.cls + L"\" " + std::to_wstring(s.x) +
               L" " + std::to_wstring(s.y) + L" " + std::to_wstring(s.w) + L" " +
               std::to_wstring(s.h) + styles;
    }
    if (!m_process.Start(cmd))
        return false;
    if (!WaitFor([&] {
            for (const LoggedEvent& e : Events())
                if (e.kind == L"READY")
                    return true;
            return false;
        }))
        return false;
    m_windows.clear();
    const std::vector<HWND> all = WindowsOfProcess(m_process.Id());
    for (const TargetSpec& s : specs) {
        HWND match = nullptr;
        for (HWND hwnd : all)
            if (TextOf(hwnd) == s.caption)
                match = hwnd;
        m_windows.push_back(match);
    }
    return true;
}

HWND TargetWindows::Window(size_t index) const {
    return index < m_windows.size() ? m_windows[index] : nullptr;
}

bool TargetWindows::MakeForeground(size_t index) {
    HWND hwnd = Window(index);
    const size_t before = Events().size();
    ::PostMessageW(hwnd, ::RegisterWindowMessageW(L"QuellixTest.Foreground"), 0, 0);
    return WaitFor([&] { return Events().size() > before && ::GetForegroundWindow() == hwnd; },
                   5000);
}

void TargetWindows::Move(size_t index, int x, int y) {
    ::PostMessageW(Window(index), ::RegisterWindowMessageW(L"QuellixTest.Move"),
                   static_cast<WPARAM>(x), static_cast<LPARAM>(y));
}

bool TargetWindows::Act(size_t index, Action action) {
    const size_t before = Events().size();
    ::PostMessageW(Window(index), ::RegisterWindowMessageW(L"QuellixTest.Act"),
                   static_cast<WPARAM>(action), 0);
    return WaitFor([&] { return Events().size() > before; }, 5000);
}

std::vector<LoggedEvent> TargetWindows::Events() const {
    std::vector<LoggedEvent> events;
    std::ifstream in(std::string(m_log.begin(), m_log.end()));
    std::string line;
    while (std::getline(in, line)) {
        std::istringstream fields(line);
        LoggedEvent e{};
        std::string kind;
        fields >> e.ms >> kind >> e.index;
        e.kind.assign(kind.begin(), kind.end());
        events.push_back(e);
    }
    return events;
}

std::vector<LoggedEvent> TargetWindows::Closes(int index) const {
    std::vector<LoggedEvent> closes;
    for (const LoggedEvent& e : Events())
        if (e.kind == L"CLOSE" && (index < 0 || e.index == index))
            closes.push_back(e);
    return closes;
}

bool TargetWindows::WaitCloses(size_t count, int timeoutMs, int index) const {
    return WaitFor([&] { return Closes(index).size() >= count; }, timeoutMs);
}

void TargetWindows::Stop() {
    if (m_process.Running()) {
        for (HWND hwnd : m_windows)
            if (hwnd != nullptr)
                ::PostMessageW(hwnd, ::RegisterWindowMessageW(L"QuellixTest.Quit"), 0, 0);
        if (!m_process.Wait(3000))
            m_process.Kill();
    }
    m_process = Process();
}

} // namespace qt
