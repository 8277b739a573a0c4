// The administrator's policies on the real exe: the user's own rules switched off, and the
// organisation's rule file named by RulesFile.
#include "support/Driver.h"

#include <gtest/gtest.h>

using namespace qt;

namespace {

constexpr int kRuleList = 1000, kWindowList = 1001, kAutoClose = 1007;

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
    lifted.Exit();
}

} // namespace
