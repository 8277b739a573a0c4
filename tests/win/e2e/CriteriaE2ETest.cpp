// Rules with a program, a pattern or switched off, made in the editor of the real Quellix.exe
// from a listed window, acting on windows of two programs.
#include "support/Driver.h"

#include <gtest/gtest.h>

using namespace qt;

namespace {

enum : int {
    kWindowList = 1001,
    kRuleList = 1000,
    kAddButton = 1007,
    kCheckTitle = 1009,
    kEditTitle = 1010,
    kCheckClass = 1011,
    kCheckDimensions = 1013,
    kCheckStyle = 1015,
    kCheckExStyle = 1017,
    kDelay = 1019,
    kTitleMode = 1100,
    kCheckProcess = 1102,
    kEditProcess = 1104,
    kCheckEnabled = 1105,
    kEditName = 1106,
};

void SetText(HWND dialog, int id, const wchar_t* text) {
    DWORD_PTR r = 0;
    ::SendMessageTimeoutW(::GetDlgItem(dialog, id), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text),
                          SMTO_ABORTIFHUNG, 2000, &r);
}

void ChooseMode(HWND dialog, int combo, int mode) {
    DWORD_PTR r = 0;
    HWND box = ::GetDlgItem(dialog, combo);
    ::SendMessageTimeoutW(box, CB_SETCURSEL, static_cast<WPARAM>(mode), 0, SMTO_ABORTIFHUNG, 2000,
                          &r);
    ::SendMessageTimeoutW(dialog, WM_COMMAND, MAKEWPARAM(combo, CBN_SELCHANGE),
                          reinterpret_cast<LPARAM>(box), SMTO_ABORTIFHUNG, 2000, &r);
}

class Criteria : public CleanStateTest {
protected:
    void TearDown() override {
        app.Exit();
        mine.Stop();
        other.Stop();
    }

    // Opens the editor on the listed window whose X column reads `x`, with every default
    // criterion off and no delay.
    HWND EditorFor(int x) {
        RemoteListView windows = app.List(kWindowList);
        int row = -1;
        WaitFor([&] { return (row = windows.Find(3, std::to_wstring(x))) >= 0; }, 5000);
        if (row < 0)
            return nullptr;
        windows.Select(row);
        app.Click(kAddButton);
        HWND editor = app.WaitDialog(L"Add Auto Close Window Info - Quellix by Velmora");
        if (editor != nullptr) {
            for (int id : {kCheckClass, kCheckDimensions, kCheckStyle, kCheckExStyle})
                SetCheck(editor, id, false);
            SetText(editor, kDelay, L"0");
        }
        return editor;
    }
    void Save(HWND editor) {
        const int before = app.List(kRuleList).Count();
        ClickButton(editor, IDOK);
        ASSERT_TRUE(WaitFor([&] { return app.List(kRuleList).Count() == before + 1; }));
    }

    QuellixProcess app;
    TargetWindows mine, other;
};

TEST_F(Criteria, AProgramRuleClosesThatProgramsWindowAndSparesAnEqualOneOfAnother) {
    TargetSpec a, b;
    a.caption = b.caption = L"Same Title";
    a.x = 137;
    b.x = 437;
    other.SetProgram(L"OtherTargets.exe");
    ASSERT_TRUE(mine.Start({a}));
    ASSERT_TRUE(other.Start({b}));
    ASSERT_TRUE(app.Start());
    HWND editor = EditorFor(437);
    ASSERT_NE(editor, nullptr);
    EXPECT_EQ(TextOf(::GetDlgItem(editor, kEditProcess)), L"OtherTargets.exe");
    SetCheck(editor, kCheckProcess, true);
    SetText(editor, kEditName, L"only the other one");
    Save(editor);
    EXPECT_EQ(app.List(kRuleList).Cell(0, 10), L"OtherTargets.exe");
    EXPECT_EQ(app.List(kRuleList).Cell(0, 11), L"only the other one");

    ASSERT_TRUE(mine.MakeForeground(0));
    ASSERT_TRUE(other.MakeForeground(0));
    EXPECT_TRUE(other.WaitCloses(1, 5000));
    EXPECT_TRUE(mine.Closes().empty());
}

TEST_F(Criteria, AWildcardTitleRuleClosesEveryFittingTitleAndADisabledRuleNothing) {
    TargetSpec first, later, off;
    first.caption = L"Update available (3)";
    first.x = 151;
    later.caption = L"UPDATE AVAILABLE (12)";
    later.cls = L"QxLater";
    later.x = 351;
    off.caption = L"Switched off";
    off.x = 551;
    ASSERT_TRUE(mine.Start({first, later, off}));
    ASSERT_TRUE(app.Start());

    HWND editor = EditorFor(151);
    ASSERT_NE(editor, nullptr);
    SetCheck(editor, kCheckTitle, true);
    ChooseMode(editor, kTitleMode, 2);
    SetText(editor, kEditTitle, L"update available*");
    Save(editor);
    EXPECT_EQ(app.List(kRuleList).Cell(0, 1), L"wildcard: update available*");

    editor = EditorFor(551);
    ASSERT_NE(editor, nullptr);
    SetCheck(editor, kCheckTitle, true);
    SetCheck(editor, kCheckEnabled, false);
    Save(editor);

    ASSERT_TRUE(mine.MakeForeground(2));
    ASSERT_TRUE(mine.MakeForeground(1));
    EXPECT_TRUE(mine.WaitCloses(1, 5000, 1));
    EXPECT_FALSE(mine.WaitCloses(1, 1000, 2));
}

} // namespace
