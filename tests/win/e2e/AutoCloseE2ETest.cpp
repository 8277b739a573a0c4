// The whole program on the real exe: a rule made from a listed window closes that window when
// it becomes the foreground window again.
#include "support/Driver.h"

#include <gtest/gtest.h>

using namespace qt;

namespace {

void SetText(HWND window, int id, const std::wstring& text) {
    DWORD_PTR r = 0;
    HWND target = id != 0 ? ::GetDlgItem(window, id) : window;
    ::SendMessageTimeoutW(target, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()),
                          SMTO_ABORTIFHUNG, 2000, &r);
}

class AutoClose : public CleanStateTest {
protected:
    void TearDown() override {
        app.Exit();
        targets.Stop();
    }

    // Adds a rule from the listed target through the button and the editor, with this delay.
    void AddRuleForTarget(const std::wstring& caption, int delayMs, bool byTitle = false) {
        RemoteListView windows = app.List(1001);
        int row = -1;
        ASSERT_TRUE(WaitFor([&] { return (row = windows.Find(1, caption)) >= 0; }, 5000));
        windows.Select(row);
        app.Click(1007);
        HWND editor = app.WaitDialog(L"Add Auto Close Window Info - Quellix by Velmora");
        ASSERT_NE(editor, nullptr);
        SetText(editor, 1019, std::to_wstring(delayMs));
        if (byTitle)
            SetCheck(editor, 1009, true);
        const int before = app.List(1000).Count();
        ClickButton(editor, IDOK);
        ASSERT_TRUE(WaitFor([&] { return app.List(1000).Count() == before + 1; }));
    }

    QuellixProcess app;
    TargetWindows targets;
};

TEST_F(AutoClose, ARuleMadeFromAListedWindowClosesItWhenItComesToTheForeground) {
    TargetSpec target;
    target.caption = L"Quellix Auto Close Target";
    target.cls = L"QxAutoTarget";
    ASSERT_TRUE(targets.Start({target}));
    ASSERT_TRUE(app.Start());
    AddRuleForTarget(target.caption, 0);
    EXPECT_EQ(app.List(1000).Row(0)[2], L"QxAutoTarget");

    ASSERT_TRUE(targets.MakeForeground(0));
    EXPECT_TRUE(targets.WaitCloses(1, 5000));
    // The status line reports the window that came to the foreground, after the close.
    const wchar_t kReport[] =
        L" - Title : Quellix Auto Close Target, Class : QxAutoTarget, X : 100, Y : 100";
    std::wstring status;
    EXPECT_TRUE(WaitFor([&] {
        status = app.ControlText(1018);
        return status.find(kReport) != std::wstring::npos;
    })) << std::string(status.begin(), status.end());
}

TEST_F(AutoClose, ADelayedRuleClosesOnceAfterItsDelayAndNotAfterExit) {
    TargetSpec first, second;
    first.caption = L"Delayed Target";
    first.cls = L"QxDelayedTarget";
    second.caption = L"Target Left Open";
    second.cls = L"QxLeftOpen";
    second.x = 500;
    ASSERT_TRUE(targets.Start({first, second}));
    ASSERT_TRUE(app.Start());
    AddRuleForTarget(first.caption, 400);
    AddRuleForTarget(second.caption, 1500);

    ASSERT_TRUE(targets.MakeForeground(0));
    const long long shown = targets.Events().back().ms;
    ASSERT_TRUE(targets.WaitCloses(1, 5000, 0));
    const long long closed = targets.Closes(0)[0].ms;
    EXPECT_GE(closed - shown, 350);
    EXPECT_LE(closed - shown, 1400);
    // Once only: nothing more within the delay again.
    EXPECT_FALSE(targets.WaitCloses(2, 600, 0));

    // Exiting within a delay closes nothing.
    ASSERT_TRUE(targets.MakeForeground(1));
    ASSERT_TRUE(app.Exit());
    EXPECT_FALSE(targets.WaitCloses(1, 2000, 1));
}

// A delayed close looks at its window again when the delay is over: a window whose title
// changed meanwhile no longer matches a rule by title, and is left open.
TEST_F(AutoClose, ADelayedCloseSparesAWindowWhoseTitleChangedWithinTheDelay) {
    TargetSpec target;
    target.caption = L"Renamed Target";
    target.cls = L"QxRenamedTarget";
    ASSERT_TRUE(targets.Start({target}));
    ASSERT_TRUE(app.Start());
    AddRuleForTarget(target.caption, 1500, true);

    ASSERT_TRUE(targets.MakeForeground(0));
    SetText(targets.Window(0), 0, L"Renamed Target, now another document");
    EXPECT_FALSE(targets.WaitCloses(1, 3000, 0));

    // With its title back, the same rule still closes it.
    SetText(targets.Window(0), 0, target.caption);
    ASSERT_TRUE(targets.MakeForeground(0));
    EXPECT_TRUE(targets.WaitCloses(1, 5000, 0));
}

// A rule edited within the delay so that it no longer matches closes nothing when it fires.
TEST_F(AutoClose, ADelayedCloseSparesTheWindowWhenTheRuleWasEditedWithinTheDelay) {
    TargetSpec target;
    target.caption = L"Edited Rule Target";
    target.cls = L"QxEditedTarget";
    ASSERT_TRUE(targets.Start({target}));
    ASSERT_TRUE(app.Start());
    AddRuleForTarget(target.caption, 2500); // by class, size and styles: any title
    SetText(targets.Window(0), 0, L"Another document");

    ASSERT_TRUE(targets.MakeForeground(0));
    // The rule now wants the title it was made with, which the window no longer has.
    app.List(1000).Select(0);
    app.Click(1016);
    HWND editor = app.WaitDialog(L"Edit Auto Close Window Info - Quellix by Velmora");
    ASSERT_NE(editor, nullptr);
    SetCheck(editor, 1009, true);
    ClickButton(editor, IDOK);
    ASSERT_TRUE(WaitFor([&] { return app.List(1000).Cell(0, 1) == target.caption; }));
    EXPECT_FALSE(targets.WaitCloses(1, 4000, 0));
}

} // namespace
