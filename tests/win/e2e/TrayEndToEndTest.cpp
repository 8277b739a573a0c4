// The real Quellix.exe with its tray icon: hiding, showing again from the tray, the tray
// menu, and the ways out, all through its own message loop.
#include "support/Driver.h"
#include "support/Tray.h"

#include <gtest/gtest.h>

using namespace qt;

namespace {

class TrayEndToEnd : public ::testing::Test {
protected:
    void SetUp() override {
        ResetProfile();
        ResetDataFolder();
        ASSERT_TRUE(app.Start());
        main = app.Main();
    }
    void TearDown() override { app.Exit(); }

    // A key pressed in the dialog: the program's loop hands it to the dialog manager.
    void Key(WPARAM key) const {
        HWND focus = app.Control(1003);
        ::PostMessageW(focus, WM_KEYDOWN, key, 1);
        ::PostMessageW(focus, WM_KEYUP, key, 0xC0000001);
    }
    void TrayMouse(UINT mouseMsg) const {
        ::PostMessageW(main, kTrayCallbackMsg, kTrayIconId, mouseMsg);
    }
    bool ShownNormally() const {
        return WaitFor([&] {
            return ::IsWindowVisible(main) && !::IsIconic(main) && ::GetForegroundWindow() == main;
        });
    }
    bool Hidden() const {
        return WaitFor([&] { return !::IsWindowVisible(main); });
    }
    // Opens the tray menu and chooses with the keys; false when no menu came up.
    bool ChooseFromTrayMenu(std::initializer_list<WPARAM> keys) const {
        TrayMouse(WM_RBUTTONUP);
        HWND menu = nullptr;
        if (!WaitFor([&] { return (menu = FindPopupMenu(app.Pid())) != nullptr; }))
            return false;
        for (WPARAM key : keys)
            ::PostMessageW(menu, WM_KEYDOWN, key, 1);
        return true;
    }

    QuellixProcess app;
    HWND main = nullptr;
};

TEST_F(TrayEndToEnd, TheIconCarriesTheTitleFromStartToExit) {
    ASSERT_TRUE(WaitFor([&] { return TrayIconExists(main); }));
    EXPECT_TRUE(HasTrayTip(kAppTitle));
    ASSERT_TRUE(app.Exit());
    EXPECT_FALSE(TrayIconExists(main));
}

TEST_F(TrayEndToEnd, EscHidesAndOnlyTheTrayDoubleClickBringsTheDialogBack) {
    Key(VK_ESCAPE);
    ASSERT_TRUE(Hidden());
    EXPECT_TRUE(app.GetProcess().Running());
    EXPECT_TRUE(TrayIconExists(main));

    TrayMouse(WM_LBUTTONUP);
    TrayMouse(WM_RBUTTONDOWN);
    EXPECT_FALSE(WaitFor([&] { return ::IsWindowVisible(main) != FALSE; }, 500));

    TrayMouse(WM_LBUTTONDBLCLK);
    EXPECT_TRUE(ShownNormally());

    // Enter minimises and the program keeps running.
    Key(VK_RETURN);
    ASSERT_TRUE(WaitFor([&] { return ::IsIconic(main) != FALSE; }));
    EXPECT_TRUE(::IsWindowVisible(main));
    EXPECT_TRUE(app.GetProcess().Running());
    TrayMouse(WM_LBUTTONDBLCLK);
    EXPECT_TRUE(ShownNormally());
}

TEST_F(TrayEndToEnd, TrayMenuConfiguresAHiddenDialogAndItsExitEndsTheProgram) {
    app.Click(1009);
    ASSERT_TRUE(Hidden());
    EXPECT_TRUE(::IsIconic(main)) << "Hide minimises before it hides";

    ASSERT_TRUE(ChooseFromTrayMenu({VK_DOWN, VK_RETURN}));
    EXPECT_TRUE(ShownNormally()) << "Configure...";

    ASSERT_TRUE(ChooseFromTrayMenu({VK_UP, VK_RETURN}));
    ASSERT_TRUE(app.GetProcess().Wait(15000)) << "tray Exit";
    EXPECT_EQ(app.GetProcess().ExitCode(), 0u);
}

TEST_F(TrayEndToEnd, ThePopupMenuExitEndsTheProgram) {
    app.Click(1006);
    HWND menu = nullptr;
    ASSERT_TRUE(WaitFor([&] { return (menu = FindPopupMenu(app.Pid())) != nullptr; }));
    ::PostMessageW(menu, WM_KEYDOWN, VK_UP, 1);
    ::PostMessageW(menu, WM_KEYDOWN, VK_RETURN, 1);
    ASSERT_TRUE(app.GetProcess().Wait(15000));
    EXPECT_EQ(app.GetProcess().ExitCode(), 0u);
}

TEST_F(TrayEndToEnd, ATaskbarCreatedBroadcastBringsBackALostIcon) {
    ASSERT_TRUE(WaitFor([&] { return TrayIconExists(main); }));
    DeleteTrayIcon(main);
    ASSERT_FALSE(TrayIconExists(main));
    ::PostMessageW(HWND_BROADCAST, ::RegisterWindowMessageW(L"TaskbarCreated"), 0, 0);
    EXPECT_TRUE(WaitFor([&] { return TrayIconExists(main); }));

    // The menu of the new icon works: hide from it, then come back with a double-click.
    ASSERT_TRUE(ChooseFromTrayMenu({VK_DOWN, VK_DOWN, VK_RETURN}));
    EXPECT_TRUE(Hidden()) << "Hide to Tray";
    TrayMouse(WM_LBUTTONDBLCLK);
    EXPECT_TRUE(ShownNormally());
}

} // namespace
