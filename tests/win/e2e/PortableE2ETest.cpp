// Portable mode: with a Quellix.ini beside the exe, options, placement, column widths and rules
// stay in that folder; the registry key and the profile's data folder are never made.
#include "support/Driver.h"

#include <gtest/gtest.h>

#include <string>

using namespace qt;

namespace {

bool ProfileKeyExists() {
    HKEY key = nullptr;
    if (::RegOpenKeyExW(HKEY_CURRENT_USER, L"Software\\Velmora", 0, KEY_READ, &key) !=
        ERROR_SUCCESS)
        return false;
    ::RegCloseKey(key);
    return true;
}

bool Exists(const std::wstring& path) {
    return ::GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::string FileText(const std::wstring& path) {
    const std::vector<BYTE> bytes = ReadFileBytes(path);
    return std::string(bytes.begin(), bytes.end());
}

class PortableMode : public CleanStateTest {
protected:
    void SetUp() override {
        CleanStateTest::SetUp();
        wchar_t temp[MAX_PATH] = {};
        ::GetTempPathW(MAX_PATH, temp);
        folder = std::wstring(temp) + L"qx-portable-" + std::to_wstring(::GetCurrentProcessId());
        ::CreateDirectoryW(folder.c_str(), nullptr);
        ASSERT_TRUE(
            ::CopyFileW(BinaryPath(L"Quellix.exe").c_str(), Path(L"Quellix.exe").c_str(), FALSE));
    }
    void TearDown() override {
        for (const wchar_t* name : {L"Quellix.exe", L"Quellix.ini", L"Data.dat"})
            ::DeleteFileW(Path(name).c_str());
        ::RemoveDirectoryW(folder.c_str());
        ResetProfile();
        ResetDataFolder();
    }
    std::wstring Path(const wchar_t* name) const { return folder + L"\\" + name; }
    bool Start(QuellixProcess& app) {
        app.SetProgram(Path(L"Quellix.exe"));
        return app.Start();
    }

    std::wstring folder;
};

TEST_F(PortableMode, SettingsAndRulesStayBesideTheProgramAndComeBack) {
    ASSERT_TRUE(WriteFileBytes(Path(L"Quellix.ini"), {})); // an empty file turns it on
    TargetWindows targets;
    ASSERT_TRUE(
        targets.Start({{L"Portable Target", L"QuellixPortableTarget", 140, 120, 320, 210}}));
    QuellixProcess app;
    ASSERT_TRUE(Start(app));
    SetCheck(app.Main(), 1004, false); // Hide disabled windows off
    app.Click(1004);
    app.List(1001).SetColumnWidth(2, 123);
    ::SetWindowPos(app.Main(), nullptr, 30, 40, 1100, 720, SWP_NOZORDER);
    RemoteListView windows = app.List(1001);
    int row = -1;
    ASSERT_TRUE(WaitFor([&] { return (row = windows.Find(1, L"Portable Target")) >= 0; }, 3000));
    windows.Select(row);
    app.Click(1007);
    HWND editor = app.WaitDialog(L"Add Auto Close Window Info - Quellix by Velmora");
    ASSERT_NE(editor, nullptr);
    ClickButton(editor, IDOK);
    ASSERT_TRUE(WaitFor([&] { return app.List(1000).Count() == 1; }));
    ASSERT_TRUE(app.Exit());

    EXPECT_FALSE(ProfileKeyExists());
    EXPECT_FALSE(Exists(DataFolder()));
    EXPECT_TRUE(Exists(Path(L"Data.dat")));
    const std::string ini = FileText(Path(L"Quellix.ini"));
    EXPECT_EQ(ini.rfind("[Settings]\r\n", 0), 0u) << ini;
    EXPECT_NE(ini.find("\r\nHideDisabledWindows=0\r\n"), std::string::npos) << ini;
    EXPECT_NE(ini.find("\r\nColumn 2 Of 1=123\r\n"), std::string::npos) << ini;
    EXPECT_NE(ini.find("\r\nQuellixLastLocation=2C000000"), std::string::npos) << ini;

    QuellixProcess again;
    ASSERT_TRUE(Start(again));
    EXPECT_FALSE(IsChecked(again.Main(), 1004));
    EXPECT_TRUE(IsChecked(again.Main(), 1005)) << "untouched options keep their defaults";
    EXPECT_EQ(again.List(1001).ColumnWidth(2), 123);
    RECT rc{};
    ::GetWindowRect(again.Main(), &rc);
    EXPECT_EQ(rc.left, 30);
    EXPECT_EQ(rc.bottom, 760);
    RemoteListView rules = again.List(1000);
    ASSERT_TRUE(WaitFor([&] { return rules.Count() == 1; }));
    EXPECT_EQ(rules.Cell(0, 2), L"QuellixPortableTarget");
    ASSERT_TRUE(again.Exit());
    EXPECT_FALSE(ProfileKeyExists());
    EXPECT_FALSE(Exists(DataFolder()));

    // A folder that cannot be written (here: the file held by another program) is said once;
    // changes then live in memory, and both files stay as they are.
    const std::vector<BYTE> iniBytes = ReadFileBytes(Path(L"Quellix.ini"));
    const std::vector<BYTE> rulesBytes = ReadFileBytes(Path(L"Data.dat"));
    HANDLE held = ::CreateFileW(Path(L"Quellix.ini").c_str(), GENERIC_READ, FILE_SHARE_READ,
                                nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    QuellixProcess stuck;
    stuck.SetProgram(Path(L"Quellix.exe"));
    std::wstring said;
    ASSERT_TRUE(stuck.StartPastMessage(&said));
    EXPECT_NE(said.find(L"cannot write to its folder"), std::wstring::npos) << said;
    RemoteListView kept = stuck.List(1000);
    ASSERT_TRUE(WaitFor([&] { return kept.Count() == 1; })) << "the rules that are there are read";
    SetCheck(stuck.Main(), 1005, false);
    stuck.Click(1005);
    kept.Select(0);
    stuck.Click(1015);
    ASSERT_TRUE(WaitFor([&] { return kept.Count() == 0; }));
    EXPECT_FALSE(WaitFor([&] { return FindDialog(stuck.Pid(), kAppTitle, stuck.Main()); }, 1000))
        << "said once: no save reports its failure";
    ASSERT_TRUE(stuck.Exit());
    ::CloseHandle(held);
    EXPECT_EQ(ReadFileBytes(Path(L"Quellix.ini")), iniBytes);
    EXPECT_EQ(ReadFileBytes(Path(L"Data.dat")), rulesBytes);
    EXPECT_FALSE(ProfileKeyExists());
    EXPECT_FALSE(Exists(DataFolder()));
}

} // namespace
