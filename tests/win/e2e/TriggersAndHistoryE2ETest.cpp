// The whole program on the real exe: rules checked when a window is shown or renamed, closing
// the open windows that rules match, the history of what the rules did, and pausing them.
#include "support/Driver.h"

#include <gtest/gtest.h>

using namespace qt;

namespace {

// Resource ids of the program (res/resource.h).
constexpr int kRuleList = 1000, kWindowList = 1001, kAutoClose = 1007, kDelay = 1019;
constexpr int kTriggerForeground = 1200, kTriggerTitle = 1201, kTriggerShown = 1202;
constexpr int kCheckTitle = 1009;
constexpr int kApply = 1220, kHistory = 1221, kPause = 1222, kHistoryList = 1211;
constexpr int kClosedColumn = 13;

struct Moments {
    bool foreground = true, title = false, shown = false;
};

class TriggersAndHistory : public CleanStateTest {
protected:
    void TearDown() override {
        app.Exit();
        targets.Stop();
    }

    // A rule from the listed window through the editor: these moments, this delay, and the
    // title as a criterion when asked.
    void AddRule(const std::wstring& caption, int delayMs, Moments moments, bool byTitle = false) {
        RemoteListView windows = app.List(kWindowList);
        int row = -1;
        ASSERT_TRUE(WaitFor([&] { return (row = windows.Find(1, caption)) >= 0; }, 5000));
        windows.Select(row);
        app.Click(kAutoClose);
        HWND editor = app.WaitDialog(L"Add Auto Close Window Info - Quellix by Velmora");
        ASSERT_NE(editor, nullptr);
        const std::wstring delay = std::to_wstring(delayMs);
        DWORD_PTR r = 0;
        ::SendMessageTimeoutW(::GetDlgItem(editor, kDelay), WM_SETTEXT, 0,
                              reinterpret_cast<LPARAM>(delay.c_str()), SMTO_ABORTIFHUNG, 2000, &r);
        SetCheck(editor, kTriggerForeground, moments.foreground);
        SetCheck(editor, kTriggerTitle, moments.title);
        SetCheck(editor, kTriggerShown, moments.shown);
        if (byTitle)
            SetCheck(editor, kCheckTitle, true);
        const int before = app.List(kRuleList).Count();
        ClickButton(editor, IDOK);
        ASSERT_TRUE(WaitFor([&] { return app.List(kRuleList).Count() == before + 1; }));
    }

    static TargetSpec Target(const wchar_t* caption, const wchar_t* cls, int x) {
        TargetSpec target;
        target.caption = caption;
        target.cls = cls;
        target.x = x;
        return target;
    }

    QuellixProcess app;
    TargetWindows targets;
};

TEST_F(TriggersAndHistory, AShownRuleClosesAWindowShownWithoutActivationAForegroundRuleDoesNot) {
    ASSERT_TRUE(targets.Start({Target(L"Shown Target", L"QxShown", 100),
                               Target(L"Foreground Only Target", L"QxForegroundOnly", 500)}));
    ASSERT_TRUE(app.Start());
    AddRule(L"Shown Target", 0, {false, false, true});
    AddRule(L"Foreground Only Target", 0, {});
    for (size_t i : {0, 1}) {
        ASSERT_TRUE(targets.Act(i, TargetWindows::kHide));
        ASSERT_TRUE(targets.Act(i, TargetWindows::kShowNoActivate));
    }
    EXPECT_TRUE(targets.WaitCloses(1, 5000, 0));
    EXPECT_FALSE(targets.WaitCloses(1, 1000, 1));
}

TEST_F(TriggersAndHistory, ATitleChangeRuleClosesTheWindowWhenItsTitleComesToMatch) {
    ASSERT_TRUE(targets.Start({Target(L"Renaming Target", L"QxRenaming", 100)}));
    ASSERT_TRUE(app.Start());
    AddRule(L"Renaming Target", 0, {false, true, false}, true);
    ASSERT_TRUE(targets.Act(0, TargetWindows::kRename));
    EXPECT_FALSE(targets.WaitCloses(1, 1000));
    ASSERT_TRUE(targets.Act(0, TargetWindows::kRenameBack));
    EXPECT_TRUE(targets.WaitCloses(1, 5000));
}

TEST_F(TriggersAndHistory, ApplyClosesTheMatchingOpenWindowsAfterTheConfirmationOnly) {
    ASSERT_TRUE(targets.Start({Target(L"Apply Target", L"QxApply", 100),
                               Target(L"Apply Bystander", L"QxBystander", 500)}));
    ASSERT_TRUE(app.Start());
    AddRule(L"Apply Target", 0, {});
    app.Command(kApply);
    HWND question = app.WaitDialog(L"Apply Rules - Quellix");
    ASSERT_NE(question, nullptr);
    EXPECT_NE(MessageBoxText(question).find(L"Apply Target"), std::wstring::npos);
    EXPECT_EQ(MessageBoxText(question).find(L"Apply Bystander"), std::wstring::npos);
    EXPECT_FALSE(targets.WaitCloses(1, 500));
    ClickButton(question, IDOK);
    EXPECT_TRUE(targets.WaitCloses(1, 5000, 0));
    EXPECT_FALSE(targets.WaitCloses(1, 500, 1));
}

TEST_F(TriggersAndHistory, TheHistoryListsACloseWithItsRuleAndADroppedScheduledClose) {
    ASSERT_TRUE(targets.Start({Target(L"History Target", L"QxHistory", 100),
                               Target(L"Dropped Target", L"QxDropped", 500)}));
    ASSERT_TRUE(app.Start());
    AddRule(L"History Target", 0, {});
    AddRule(L"Dropped Target", 1000, {});
    app.Command(kHistory);
    HWND history = app.WaitDialog(L"History - Quellix by Velmora");
    ASSERT_NE(history, nullptr);
    RemoteListView list(::GetDlgItem(history, kHistoryList), app.Pid());
    const auto has = [&](const wchar_t* caption, const wchar_t* rule, const wchar_t* what) {
        for (int row = 0; row < list.Count(); ++row) {
            const std::vector<std::wstring> cells = list.Row(row);
            if (cells.size() >= 7 && cells[1] == caption && cells[4] == rule && cells[6] == what)
                return true;
        }
        return false;
    };

    ASSERT_TRUE(targets.MakeForeground(0));
    ASSERT_TRUE(targets.WaitCloses(1, 5000, 0));
    EXPECT_TRUE(WaitFor([&] { return has(L"History Target", L"1", L"Asked to close"); }, 5000));
    // The window goes while its close is pending: the close is dropped, not posted.
    ASSERT_TRUE(targets.MakeForeground(1));
    ASSERT_TRUE(WaitFor(
        [&] { return has(L"Dropped Target", L"2", L"Close scheduled after 1000 ms"); }, 5000));
    ASSERT_TRUE(targets.Act(1, TargetWindows::kDestroy));
    EXPECT_TRUE(WaitFor(
        [&] {
            return has(L"Dropped Target", L"2", L"Scheduled close dropped: the window is gone");
        },
        5000));
    // The rule list counts the closes each rule asked for.
    EXPECT_EQ(app.List(kRuleList).Cell(0, kClosedColumn), L"1");
    EXPECT_EQ(app.List(kRuleList).Cell(1, kClosedColumn), L"0");
    // The history window takes a dialog's keys: Esc hides it.
    ::PostMessageW(::GetDlgItem(history, kHistoryList), WM_KEYDOWN, VK_ESCAPE, 0);
    EXPECT_TRUE(WaitFor([&] { return !::IsWindowVisible(history); }, 5000));
}

TEST_F(TriggersAndHistory, PauseDropsARunningCloseAndStopsTheNextUnpausingLetsOneThrough) {
    ASSERT_TRUE(targets.Start({Target(L"Pause Target", L"QxPause", 100)}));
    ASSERT_TRUE(app.Start());
    AddRule(L"Pause Target", 700, {});
    ASSERT_TRUE(targets.MakeForeground(0));
    // The status line reports the window after its close was scheduled.
    ASSERT_TRUE(WaitFor(
        [&] { return app.ControlText(1018).find(L"Title : Pause Target") != std::wstring::npos; }));
    app.Command(kPause);
    ASSERT_TRUE(WaitFor([] { return StoredInt(L"PauseAutoClose") == 1u; }, 5000));
    EXPECT_FALSE(targets.WaitCloses(1, 1500));
    ASSERT_TRUE(targets.MakeForeground(0));
    EXPECT_FALSE(targets.WaitCloses(1, 1500));

    app.Command(kPause);
    ASSERT_TRUE(WaitFor([] { return StoredInt(L"PauseAutoClose") == 0u; }, 5000));
    ASSERT_TRUE(targets.MakeForeground(0));
    EXPECT_TRUE(targets.WaitCloses(1, 5000));
}

} // namespace
