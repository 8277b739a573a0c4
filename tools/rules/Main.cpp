// quellix-rules: the platform's side of the command-line rule tool. Arguments, the console,
// standard input, the user's rule file and the open windows.
#include "tools/rules/Commands.h"

#include "framework/Exception.h"
#include "framework/Utf8.h"

#include <new>

#ifdef _WIN32
#include "engine/win/Snapshot.h"
#include "rules/DataFilePath.h"
#else
#include <cstdio>
#endif

namespace {

#ifdef _WIN32

class CHost : public CRulesHost {
public:
    void Out(std::string_view utf8) override { Write(STD_OUTPUT_HANDLE, utf8); }
    void Err(std::string_view utf8) override { Write(STD_ERROR_HANDLE, utf8); }

    bool ReadInput(std::string& bytes) override {
        const HANDLE input = ::GetStdHandle(STD_INPUT_HANDLE);
        char chunk[65536];
        for (;;) {
            DWORD n = 0;
            if (!::ReadFile(input, chunk, sizeof(chunk), &n, nullptr))
                return ::GetLastError() == ERROR_BROKEN_PIPE; // the writer's end is closed
            if (n == 0)
                return true;
            bytes.append(chunk, n);
        }
    }

    CString DefaultRuleFile() override { return GetDataFilePath(); }

    bool ForEachWindow(bool hidden,
                       const std::function<void(const CWindowSnapshot&)>& each) override {
        CEnum state{hidden, &each, {}, false};
        ::EnumWindows(EnumProc, reinterpret_cast<LPARAM>(&state));
        if (state.failed)
            throw std::bad_alloc();
        return true;
    }

    bool Failed() const { return m_bFailed; }

private:
    struct CEnum {
        bool hidden;
        const std::function<void(const CWindowSnapshot&)>* each;
        CSnapshotReader reader;
        bool failed;
    };

    static BOOL CALLBACK EnumProc(HWND hwnd, LPARAM lp) {
        auto* state = reinterpret_cast<CEnum*>(lp);
        try {
            if (state->hidden || ::IsWindowVisible(hwnd))
                (*state->each)(state->reader.Read(hwnd, true));
            return TRUE;
        } catch (...) {
            // Nothing may leave a system callback; the only failure here is memory.
            state->failed = true;
            return FALSE;
        }
    }

    // A console shows UTF-16 through WriteConsoleW; a pipe or a file gets UTF-8 bytes.
    void Write(DWORD which, std::string_view utf8) {
        const HANDLE handle = ::GetStdHandle(which);
        if (handle == nullptr || handle == INVALID_HANDLE_VALUE || utf8.empty())
            return;
        DWORD mode = 0;
        if (::GetConsoleMode(handle, &mode)) {
            const CString text = FromUtf8(utf8);
            const WCHAR16* p = text.GetString();
            DWORD left = static_cast<DWORD>(text.GetLength());
            while (left > 0) {
                DWORD written = 0;
                if (!::WriteConsoleW(handle, p, left < 8192 ? left : 8192, &written, nullptr) ||
                    written == 0) {
                    m_bFailed = true;
                    return;
                }
                p += written;
                left -= written;
            }
            return;
        }
        const char* p = utf8.data();
        size_t left = utf8.size();
        while (left > 0) {
            DWORD written = 0;
            const DWORD chunk = left < (1u << 20) ? static_cast<DWORD>(left) : (1u << 20);
            if (!::WriteFile(handle, p, chunk, &written, nullptr) || written == 0) {
                m_bFailed = true;
                return;
            }
            p += written;
            left -= written;
        }
    }

    bool m_bFailed = false;
};

#else

class CHost : public CRulesHost {
public:
    void Out(std::string_view utf8) override { Write(stdout, utf8); }
    void Err(std::string_view utf8) override { Write(stderr, utf8); }

    bool ReadInput(std::string& bytes) override {
        char chunk[65536];
        while (size_t n = std::fread(chunk, 1, sizeof(chunk), stdin))
            bytes.append(chunk, n);
        return std::ferror(stdin) == 0;
    }

    CString DefaultRuleFile() override { return CString(); }

    bool ForEachWindow(bool, const std::function<void(const CWindowSnapshot&)>&) override {
        return false;
    }

    bool Failed() { return m_bFailed || std::fflush(stdout) != 0 || std::ferror(stdout) != 0; }

private:
    void Write(std::FILE* stream, std::string_view utf8) {
        if (std::fwrite(utf8.data(), 1, utf8.size(), stream) != utf8.size())
            m_bFailed = true;
    }

    bool m_bFailed = false;
};

#endif

int Run(const std::vector<CString>& args) {
    CHost host;
    int code = kExitFailed;
    try {
        code = RunRulesTool(args, host);
    } catch (const CException& e) {
        host.Err("quellix-rules: " + ToUtf8(e.GetErrorMessage().View()) + "\n");
    } catch (const std::bad_alloc&) {
        host.Err("quellix-rules: out of memory\n");
    }
    if (host.Failed()) {
        host.Err("quellix-rules: the output could not be written\n");
        return kExitFailed;
    }
    return code;
}

} // namespace

#ifdef _WIN32
int wmain(int argc, wchar_t** argv) {
    std::vector<CString> args;
    for (int i = 1; i < argc; ++i)
        args.emplace_back(argv[i]);
    return Run(args);
}
#else
int main(int argc, char** argv) {
    std::vector<CString> args;
    for (int i = 1; i < argc; ++i)
        args.push_back(FromUtf8(argv[i]));
    return Run(args);
}
#endif
