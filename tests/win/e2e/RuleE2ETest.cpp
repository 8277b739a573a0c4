// Rules made and changed through the real Quellix.exe: what reaches Data.dat, at once and at
// exit, and what comes back at the next start.
#include "support/Driver.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

using namespace qt;

namespace {

const wchar_t kAddCaption[] = L"Add Auto Close Window Info - Quellix by Velmora";
const wchar_t kEditCaption[] = L"Edit Auto Close Window Info - Quellix by Velmora";

// The file's layout written out by hand, independent of the program's own code.
struct FileImage {
    std::vector<BYTE> bytes;
    void Int(long long v) {
        for (int i = 0; i < 4; ++i)
            bytes.push_back(static_cast<BYTE>(static_cast<unsigned long long>(v) >> (8 * i)));
    }
    void Line(const std::wstring& text) {
        for (wchar_t unit : text + L"\r\n") {
            bytes.push_back(static_cast<BYTE>(unit));
            bytes.push_back(static_cast<BYTE>(unit >> 8));
        }
    }
    // flags in file order: title, class, dimensions, location, style, ex style
    void Record(RECT rc, DWORD style, DWORD exStyle, std::vector<int> flags, int delay,
                const std::wstring& title, const std::wstring& cls) {
        for (long v : {rc.left, rc.top, rc.right, rc.bottom})
            Int(v);
        Int(style);
        Int(exStyle);
        for (int f : flags)
            Int(f);
        Int(delay);
        Line(title);
        Line(cls);
    }
};

void SetText(HWND dialog, int id, const wchar_t* text) {
    DWORD_PTR result = 0;
    ::SendMessageTimeoutW(::GetDlgItem(dialog, id), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text),
                          SMTO_ABORTIFHUNG, 5000, &result);
}

class RulesEndToEnd : public ::testing::Test {
protected:
    void SetUp() override {
        ResetProfile();
        ResetDataFolder();
    }
    void TearDown() override { app.Exit(); }

    QuellixProcess app;
};

TEST_F(RulesEndToEnd, RuleAddedFromAListedWindowIsSavedAndComesBack) {
    TargetWindows targets;
    ASSERT_TRUE(
        targets.Start({{L"Rule End To End Target", L"QuellixRuleTarget", 140, 120, 320, 210}}));
    HWND target = targets.Window(0);
    ASSERT_TRUE(app.Start());
    RemoteListView windows = app.List(1001);
    int row = -1;
    WaitFor([&] { return (row = windows.Find(1, L"Rule End To End Target")) >= 0; }, 3000);
    ASSERT_GE(row, 0) << "the target window is not listed";
    windows.Select(row);
    app.Click(1007);
    HWND editor = app.WaitDialog(kAddCaption);
    ASSERT_NE(editor, nullptr);
    SetCheck(editor, 1009, true); // Title as well
    SetText(editor, 1019, L"1500");
    ClickButton(editor, IDOK);
    RemoteListView rules = app.List(1000);
    ASSERT_TRUE(WaitFor([&] { return rules.Count() == 1; }));
    EXPECT_EQ(rules.Cell(0, 1), L"Rule End To End Target");
    EXPECT_EQ(rules.Cell(0, 9), L"1500");

    RECT rc{};
    ::GetWindowRect(target, &rc);
    const DWORD style = static_cast<DWORD>(::GetWindowLongW(target, GWL_STYLE));
    const DWORD exStyle = static_cast<DWORD>(::GetWindowLongW(target, GWL_EXSTYLE));
    FileImage expected;
    expected.Int(1);
    expected.Record(rc, style, exStyle, {1, 1, 1, 0, 1, 1}, 1500, L"Rule End To End Target",
                    L"QuellixRuleTarget");
    // On the disk at once: a process that never reaches Exit loses nothing. The records are
    // what every version reads; the rule details follow them with the program's name, which
    // the rule keeps unticked as it keeps its class.
    const auto saved = [&] {
        const std::vector<BYTE> bytes = ReadFileBytes(DataFilePath());
        return bytes.size() > expected.bytes.size() + 4 &&
               std::equal(expected.bytes.begin(), expected.bytes.end(), bytes.begin()) &&
               std::memcmp(bytes.data() + expected.bytes.size(), "QLXB", 4) == 0;
    };
    EXPECT_TRUE(WaitFor(saved));
    app.GetProcess().Kill();
    EXPECT_TRUE(saved());

    QuellixProcess again;
    ASSERT_TRUE(again.Start());
    RemoteListView back = again.List(1000);
    ASSERT_TRUE(WaitFor([&] { return back.Count() == 1; }));
    EXPECT_EQ(back.Cell(0, 0), L"1");
    EXPECT_EQ(back.Cell(0, 2), L"QuellixRuleTarget");
    EXPECT_EQ(back.Cell(0, 9), L"1500");
    again.Exit();
}

TEST_F(RulesEndToEnd, RulesEditedAndDeletedInTheUiAreSavedAtExit) {
    FileImage start;
    start.Int(3);
    start.Record({10, 20, 110, 220}, 0x16CF0000, 0x100, {0, 1, 1, 0, 1, 1}, 100, L"abc", L"XY");
    start.Record({0, 0, 50, 50}, 0, 0, {1, 0, 0, 0, 0, 0}, 200, L"gone", L"G");
    start.Record({-1280, 5, -1000, 105}, 0x94C80000, 0, {0, 1, 0, 1, 0, 0}, -1, L"", L"Last");
    ::CreateDirectoryW(DataFolder().c_str(), nullptr);
    ASSERT_TRUE(WriteFileBytes(DataFilePath(), start.bytes));

    ASSERT_TRUE(app.Start());
    RemoteListView rules = app.List(1000);
    ASSERT_TRUE(WaitFor([&] { return rules.Count() == 3; }));
    EXPECT_EQ(rules.Row(2), (std::vector<std::wstring>{L"3", L"", L"Last", L"-1280", L"5", L"", L"",
                                                       L"", L"", L"-1", L"", L"", L"Close", L"0"}));

    // Delete the second rule, then edit the first: Location on, delay 2000.
    rules.Select(1);
    app.Click(1015);
    ASSERT_TRUE(WaitFor([&] { return rules.Count() == 2; }));
    EXPECT_EQ(rules.Cell(1, 0), L"2");
    rules.Select(0);
    app.Click(1016);
    HWND editor = app.WaitDialog(kEditCaption);
    ASSERT_NE(editor, nullptr);
    EXPECT_EQ(TextOf(::GetDlgItem(editor, 1014)), L"Width = 100, Height = 200");
    SetCheck(editor, 1020, true);
    SetText(editor, 1019, L"2000");
    ClickButton(editor, IDOK);
    ASSERT_TRUE(WaitFor([&] { return rules.Cell(0, 9) == L"2000"; }));
    EXPECT_EQ(rules.Row(0),
              (std::vector<std::wstring>{L"1", L"", L"XY", L"10", L"20", L"100", L"200",
                                         L"16cf0000", L"100", L"2000", L"", L"", L"Close", L"0"}));

    FileImage expected;
    expected.Int(2);
    expected.Record({10, 20, 110, 220}, 0x16CF0000, 0x100, {0, 1, 1, 1, 1, 1}, 2000, L"abc", L"XY");
    expected.Record({-1280, 5, -1000, 105}, 0x94C80000, 0, {0, 1, 0, 1, 0, 0}, -1, L"", L"Last");
    EXPECT_TRUE(WaitFor([&] { return ReadFileBytes(DataFilePath()) == expected.bytes; }));
    ASSERT_TRUE(app.Exit());
    EXPECT_EQ(ReadFileBytes(DataFilePath()), expected.bytes);

    QuellixProcess again;
    ASSERT_TRUE(again.Start());
    RemoteListView back = again.List(1000);
    ASSERT_TRUE(WaitFor([&] { return back.Count() == 2; }));
    EXPECT_EQ(back.Cell(0, 9), L"2000");
    EXPECT_EQ(back.Cell(1, 0), L"2");
    EXPECT_EQ(back.Cell(1, 2), L"Last");
    again.Exit();
}

} // namespace
