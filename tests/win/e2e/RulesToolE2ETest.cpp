// quellix-rules.exe in its own process: rules added to the user's Data.dat, and match showing
// the open window they match, and not another, without closing anything.
#include "support/Driver.h"

#include <gtest/gtest.h>

#include <memory>
#include <sstream>

using namespace qt;

namespace {

struct HandleClose {
    void operator()(HANDLE h) const { ::CloseHandle(h); }
};
using CHandle = std::unique_ptr<void, HandleClose>;

struct ToolRun {
    DWORD exitCode = STILL_ACTIVE;
    std::string out;
    std::string err;
};

std::string Utf8(const std::wstring& text) {
    int n = ::WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), nullptr,
                                  0, nullptr, nullptr);
    std::string out(static_cast<size_t>(n), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), out.data(), n,
                          nullptr, nullptr);
    return out;
}

// Runs quellix-rules.exe with its output going to files, as when it is redirected.
ToolRun RunTool(const std::wstring& args) {
    wchar_t temp[MAX_PATH] = {};
    ::GetTempPathW(MAX_PATH, temp);
    static int runs = 0;
    const std::wstring base = std::wstring(temp) + L"qx-rules-" +
                              std::to_wstring(::GetCurrentProcessId()) + L"-" +
                              std::to_wstring(++runs);
    ToolRun run;
    {
        SECURITY_ATTRIBUTES inherit{sizeof(inherit), nullptr, TRUE};
        auto create = [&](const std::wstring& path) {
            return CHandle(::CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit,
                                         CREATE_ALWAYS, 0, nullptr));
        };
        CHandle out = create(base + L".out");
        CHandle err = create(base + L".err");
        STARTUPINFOW si{};
        si.cb = sizeof(si);
        si.dwFlags = STARTF_USESTDHANDLES;
        si.hStdOutput = out.get();
        si.hStdError = err.get();
        std::wstring cmd = L"\"" + BinaryPath(L"quellix-rules.exe") + L"\" " + args;
        PROCESS_INFORMATION pi{};
        if (!::CreateProcessW(nullptr, cmd.data(), nullptr, nullptr, TRUE, CREATE_NO_WINDOW,
                              nullptr, nullptr, &si, &pi))
            return run;
        CHandle process(pi.hProcess);
        CHandle thread(pi.hThread);
        if (::WaitForSingleObject(pi.hProcess, 15000) != WAIT_OBJECT_0)
            ::TerminateProcess(pi.hProcess, 99);
        ::GetExitCodeProcess(pi.hProcess, &run.exitCode);
    }
    for (auto [suffix, text] : {std::pair{L".out", &run.out}, std::pair{L".err", &run.err}}) {
        const std::vector<BYTE> bytes = ReadFileBytes(base + suffix);
        text->assign(bytes.begin(), bytes.end());
        ::DeleteFileW((base + suffix).c_str());
    }
    return run;
}

// The whitespace-separated fields of the output's line that contains `text`.
std::vector<std::string> FieldsOfLine(const std::string& out, const std::string& text) {
    std::istringstream lines(out);
    std::string line;
    while (std::getline(lines, line)) {
        if (line.find(text) == std::string::npos)
            continue;
        std::istringstream in(line);
        std::vector<std::string> fields;
        for (std::string field; in >> field;)
            fields.push_back(field);
        return fields;
    }
    return {};
}

std::string Hex(DWORD value) {
    std::ostringstream s;
    s << std::hex << value;
    return s.str();
}

TEST(RulesToolEndToEnd, MatchShowsTheMatchedWindowAndClosesNothing) {
    ResetProfile();
    ResetDataFolder();
    const std::wstring caption = L"CliZ\u00FCrich\u03A9";
    TargetWindows targets;
    ASSERT_TRUE(targets.Start({{caption, L"QuellixCliMatch", 120, 110, 330, 220},
                               {L"CliOther", L"QuellixCliOther", 160, 150, 300, 200}}));

    // Into the user's Data.dat, then read from it without naming it.
    ::CreateDirectoryW(DataFolder().c_str(), nullptr);
    const std::wstring data = L"\"" + DataFilePath() + L"\"";
    for (const std::wstring& rule :
         {L" --class QuellixCliMatch --title " + caption, std::wstring(L" --class NoSuchClass"),
          std::wstring(L" --class QuellixCliMatch --delay 0")}) {
        const ToolRun add = RunTool(L"add " + data + rule);
        ASSERT_EQ(add.exitCode, 0u) << add.err;
    }
    const ToolRun list = RunTool(L"list");
    ASSERT_EQ(list.exitCode, 0u) << list.err;
    EXPECT_EQ(FieldsOfLine(list.out, "NoSuchClass"),
              (std::vector<std::string>{"2", "NoSuchClass", "100", "Close", "yes", "foreground"}))
        << list.out;

    const ToolRun match = RunTool(L"match");
    ASSERT_EQ(match.exitCode, 0u) << match.err;
    HWND target = targets.Window(0);
    RECT rc{};
    ::GetWindowRect(target, &rc);
    const std::vector<std::string> expected = {
        Utf8(caption),
        "QuellixCliMatch",
        std::to_string(rc.left),
        std::to_string(rc.top),
        std::to_string(rc.right - rc.left),
        std::to_string(rc.bottom - rc.top),
        Hex(static_cast<DWORD>(::GetWindowLongW(target, GWL_STYLE))),
        Hex(static_cast<DWORD>(::GetWindowLongW(target, GWL_EXSTYLE))),
        "1,",
        "3"};
    EXPECT_EQ(FieldsOfLine(match.out, "QuellixCliMatch"), expected) << match.out;
    EXPECT_EQ(match.out.find("QuellixCliOther"), std::string::npos) << match.out;

    // A message posted now is handled after anything that match could have posted or sent.
    ASSERT_TRUE(targets.MakeForeground(0));
    EXPECT_TRUE(targets.Closes().empty());
}

} // namespace
