// The administrator's policies on the real exe: the user's own rules switched off, and the
// organisation's rule file named by RulesFile.
#include "support/Driver.h"

#include <gtest/gtest.h>

using namespace qt;

namespace {

constexpr int kRuleList = 1000, kWindowList = 1001, kAutoClose = 1007, kDelete = 1015;
constexpr int kEdit = 1016;
constexpr int kNameColumn = 11;

// A rule file of exact-class rules, written out by hand in the file's layout.
std::vector<BYTE> ClassRules(const std::vector<std::wstring>& classes, int promised = -1) {
    std::vector<BYTE> bytes;
    const auto number = [&](long long v) {
        for (int i = 0; i < 4; ++i)
            bytes.push_back(static_cast<BYTE>(static_cast<unsigned long long>(v) >> (8 * i)));
    };
    const auto line = [&](const std::wstring& text) {
        for (wchar_t unit : text + L"\r\n") {
            bytes.push_back(static_cast<BYTE>(unit));
            bytes.push_back(static_cast<BYTE>(unit >> 8));
        }
    };
    number(promised >= 0 ? promised : static_cast<long long>(classes.size()));
    for (const std::wstring& cls : classes) {
        for (int v : {0, 0, 0, 0, 0, 0}) // rectangle, style, extended style
            number(v);
        for (int flag : {0, 1, 0, 0, 0, 0}) // the class only
            number(flag);
        number(0); // no delay
        line(L"");
        line(cls);
    }
    return bytes;
}

std::wstring TempPath(const wchar_t* name) {
    wchar_t temp[MAX_PATH] = {};
    ::GetTempPathW(MAX_PATH, temp);
    return std::wstring(temp) + name;
}

class PolicyEndToEnd : public CleanStateTest {
protected:
    void TearDown() override {
        app.Exit();
        targets.Stop();
        ResetProfile();
    }

    void AddRule(const std::wstring& caption) {
        RemoteListView windows = app.List(kWindowList);
        int row = -1;
        ASSERT_TRUE(WaitFor([&] { return (row = windows.Find(1, caption)) >= 0; }, 5000));
        windows.Select(row);
        app.Click(kAutoClose);
        HWND editor = app.WaitDialog(L"Add Auto Close Window Info - Quellix by Velmora");
        ASSERT_NE(editor, nullptr);
        const int before = app.List(kRuleList).Count();
        ClickButton(editor, IDOK);
        ASSERT_TRUE(WaitFor([&] { return app.List(kRuleList).Count() == before + 1; }));
    }

    QuellixProcess app;
    TargetWindows targets;
};

TEST_F(PolicyEndToEnd, AllowUserRulesZeroLeavesTheUsersRuleInactiveAndItsFileAsItIs) {
    TargetSpec target;
    target.caption = L"User Rule Target";
    target.cls = L"QxUserRule";
    ASSERT_TRUE(targets.Start({target}));
    ASSERT_TRUE(app.Start());
    AddRule(L"User Rule Target");
    ASSERT_TRUE(app.Exit());
    const std::vector<BYTE> userFile = ReadFileBytes(DataFilePath());
    ASSERT_FALSE(userFile.empty());

    SetPolicy(L"AllowUserRules", 0);
    QuellixProcess ruled;
    ASSERT_TRUE(ruled.Start());
    EXPECT_EQ(ruled.List(kRuleList).Count(), 0);
    ASSERT_TRUE(targets.MakeForeground(0));
    EXPECT_FALSE(targets.WaitCloses(1, 1500));
    // No rule can be added.
    RemoteListView windows = ruled.List(kWindowList);
    int row = -1;
    ASSERT_TRUE(WaitFor([&] { return (row = windows.Find(1, L"User Rule Target")) >= 0; }, 5000));
    windows.Select(row);
    ruled.Click(kAutoClose);
    HWND refusal = ruled.WaitDialog(kAppTitle);
    ASSERT_NE(refusal, nullptr);
    EXPECT_NE(MessageBoxText(refusal).find(L"administrator"), std::wstring::npos);
    ClickButton(refusal, IDOK);
    ASSERT_TRUE(ruled.Exit());
    EXPECT_EQ(ReadFileBytes(DataFilePath()), userFile);

    // Lifted while Quellix runs: the user's rule is back at once.
    QuellixProcess lifted;
    ASSERT_TRUE(lifted.Start());
    ResetProfile();
    ASSERT_TRUE(WriteFileBytes(DataFilePath(), userFile));
    AnnouncePolicyChange();
    EXPECT_TRUE(WaitFor([&] { return lifted.List(kRuleList).Count() == 1; }));
    ASSERT_TRUE(targets.MakeForeground(0));
    EXPECT_TRUE(targets.WaitCloses(1, 5000));

    // Taken away while the rule is being edited: the rules change once the editor is closed.
    RemoteListView rules = lifted.List(kRuleList);
    rules.Select(0);
    lifted.Click(kEdit);
    HWND editor = lifted.WaitDialog(L"Edit Auto Close Window Info - Quellix by Velmora");
    ASSERT_NE(editor, nullptr);
    SetPolicy(L"AllowUserRules", 0);
    AnnouncePolicyChange();
    EXPECT_FALSE(WaitFor([&] { return rules.Count() != 1; }, 1000));
    ClickButton(editor, IDOK);
    EXPECT_TRUE(WaitFor([&] { return rules.Count() == 0; }));
    EXPECT_TRUE(lifted.Exit());
    EXPECT_EQ(ReadFileBytes(DataFilePath()), userFile);
}

TEST_F(PolicyEndToEnd, AManagedRuleFileComesFirstClosesItsWindowAndIsNeverChangedOrSaved) {
    TargetSpec managed, own;
    managed.caption = L"Managed Target";
    managed.cls = L"QxManaged";
    own.caption = L"Own Target";
    own.cls = L"QxOwn";
    own.x = 500;
    ASSERT_TRUE(targets.Start({managed, own}));
    const std::wstring file = TempPath(L"qx-managed-rules.dat");
    const std::vector<BYTE> organisation = ClassRules({L"QxManaged"});
    ASSERT_TRUE(WriteFileBytes(file, organisation));
    ::CreateDirectoryW(DataFolder().c_str(), nullptr);
    ASSERT_TRUE(WriteFileBytes(DataFilePath(), ClassRules({L"QxOwn"})));
    SetPolicyText(L"RulesFile", L"%TEMP%\\qx-managed-rules.dat", REG_EXPAND_SZ);

    ASSERT_TRUE(app.Start());
    RemoteListView rules = app.List(kRuleList);
    ASSERT_TRUE(WaitFor([&] { return rules.Count() == 2; }));
    EXPECT_EQ(rules.Cell(0, 2), L"QxManaged");
    EXPECT_EQ(rules.Cell(0, kNameColumn), L"Managed");
    EXPECT_EQ(rules.Cell(1, 2), L"QxOwn");
    EXPECT_EQ(rules.Cell(1, kNameColumn), L"");
    ASSERT_TRUE(targets.MakeForeground(0));
    EXPECT_TRUE(targets.WaitCloses(1, 5000, 0)) << "the organisation's rule acts";

    rules.Select(0);
    app.Click(kDelete);
    HWND refusal = app.WaitDialog(kAppTitle);
    ASSERT_NE(refusal, nullptr);
    EXPECT_NE(MessageBoxText(refusal).find(L"managed by your organisation"), std::wstring::npos);
    ClickButton(refusal, IDOK);
    rules.Select(1);
    app.Click(kDelete); // the user's own rule goes, and is saved without the managed one
    ASSERT_TRUE(WaitFor([&] { return rules.Count() == 1; }));
    EXPECT_EQ(rules.Cell(0, 2), L"QxManaged");
    ASSERT_TRUE(app.Exit());
    EXPECT_EQ(ReadFileBytes(DataFilePath()), ClassRules({}));
    EXPECT_EQ(ReadFileBytes(file), organisation);

    // Without the user's own rules the organisation's still act; a file that cannot be read
    // whole is said once and none of its rules is used.
    SetPolicy(L"AllowUserRules", 0);
    ASSERT_TRUE(WriteFileBytes(DataFilePath(), ClassRules({L"QxOwn"})));
    QuellixProcess only;
    ASSERT_TRUE(only.Start());
    EXPECT_TRUE(WaitFor([&] { return only.List(kRuleList).Count() == 1; }));
    ASSERT_TRUE(only.Exit());
    ASSERT_TRUE(WriteFileBytes(file, ClassRules({L"QxManaged"}, 2)));
    QuellixProcess damaged;
    ASSERT_TRUE(damaged.Start(false));
    HWND box = damaged.WaitDialog(kAppTitle);
    ASSERT_NE(box, nullptr);
    EXPECT_NE(MessageBoxText(box).find(L"cannot be read completely"), std::wstring::npos);
    ClickButton(box, IDOK);
    EXPECT_TRUE(WaitFor([&] { return ::IsWindowVisible(damaged.Main()) != FALSE; }));
    EXPECT_EQ(damaged.List(kRuleList).Count(), 0);
    ASSERT_TRUE(damaged.Exit());
    EXPECT_EQ(ReadFileBytes(file), ClassRules({L"QxManaged"}, 2));
    ::DeleteFileW(file.c_str());
}

} // namespace
