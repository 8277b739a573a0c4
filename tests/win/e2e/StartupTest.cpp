// Start-up, single instance, settings and shutdown of the real Quellix.exe.
#include "support/Driver.h"
#include "support/Tray.h"

#include <gtest/gtest.h>

using namespace qt;

namespace {

class Startup : public CleanStateTest {
protected:
    void TearDown() override { app.Exit(); }

    static RECT RectOf(HWND hwnd) {
        RECT rc{};
        ::GetWindowRect(hwnd, &rc);
        return rc;
    }

    QuellixProcess app;
};

std::vector<BYTE> PlacementBytes(int left, int top, int right, int bottom,
                                 UINT show = SW_SHOWNORMAL) {
    WINDOWPLACEMENT wp{};
    wp.length = sizeof(wp);
    wp.showCmd = show;
    wp.rcNormalPosition = {left, top, right, bottom};
    const BYTE* p = reinterpret_cast<const BYTE*>(&wp);
    return std::vector<BYTE>(p, p + sizeof(wp));
}

TEST_F(Startup, WithoutRegistryDataTheDefaultsApply) {
    ASSERT_TRUE(app.Start());
    HWND main = app.Main();
    for (int id : {1003, 1004, 1005, 1008, 1023, 1025})
        EXPECT_TRUE(IsChecked(main, id)) << id;
    EXPECT_FALSE(IsChecked(main, 1024));
    EXPECT_EQ(TextOf(main), L"Quellix by Velmora");
    EXPECT_EQ(app.ControlText(1018), L"");
    // The rule list: the record's nine, Delay, Program, Name, Action; the window list: the nine,
    // Program.
    const int widths[] = {50, 100, 100, 50, 50, 75, 75, 75, 75, 75, 100, 100, 100};
    RemoteListView windows = app.List(1001), rules = app.List(1000);
    ASSERT_EQ(windows.Columns(), 10);
    ASSERT_EQ(rules.Columns(), 14); // and "Closed"
    for (int c = 0; c < 13; ++c) {
        if (c < 9) {
            EXPECT_EQ(windows.ColumnWidth(c), widths[c]) << c;
        }
        EXPECT_EQ(rules.ColumnWidth(c), widths[c]) << c;
    }
    EXPECT_EQ(windows.ColumnWidth(9), 100);
}

TEST_F(Startup, ASecondStartBringsTheFirstForwardAndEnds) {
    ASSERT_TRUE(app.Start());
    HWND main = app.Main();
    for (int state : {SW_SHOWNORMAL, SW_MINIMIZE, SW_HIDE}) {
        ::ShowWindow(main, state);
        ASSERT_TRUE(
            WaitFor([&] { return (::IsWindowVisible(main) != FALSE) == (state != SW_HIDE); }));
        Process second;
        ASSERT_TRUE(second.Start(L"\"" + BinaryPath(L"Quellix.exe") + L"\""));
        ASSERT_TRUE(second.Wait(15000)) << "the second copy kept running, state " << state;
        EXPECT_EQ(second.ExitCode(), 0u);
        EXPECT_TRUE(WaitFor([&] {
            return ::IsWindowVisible(main) && !::IsIconic(main) && ::GetForegroundWindow() == main;
        })) << "state "
            << state;
    }
    EXPECT_TRUE(app.GetProcess().Running());
}

// The main dialog of a process, once it is shown.
HWND ShownMainDialog(DWORD pid) {
    HWND main = nullptr;
    WaitFor([&] {
        for (HWND hwnd : WindowsOfProcess(pid))
            if (TextOf(hwnd) == kAppTitle && ::GetDlgItem(hwnd, 1001) != nullptr &&
                ::IsWindowVisible(hwnd))
                main = hwnd;
        return main != nullptr;
    });
    return main;
}

TEST_F(Startup, TwoStartsAtOnceLeaveOneCopyWithOneTrayIcon) {
    // Another program's window with the caption is not a running copy.
    struct Impostor {
        HWND hwnd = ::CreateWindowExW(0, L"STATIC", kAppTitle, WS_OVERLAPPEDWINDOW | WS_VISIBLE, 10,
                                      10, 200, 100, nullptr, nullptr, nullptr, nullptr);
        ~Impostor() { ::DestroyWindow(hwnd); }
    } impostor; // gone however the test ends: later starts must not see it
    const std::wstring exe = L"\"" + BinaryPath(L"Quellix.exe") + L"\"";
    Process copies[2];
    ASSERT_TRUE(copies[0].Start(exe));
    ASSERT_TRUE(copies[1].Start(exe));
    ASSERT_TRUE(WaitFor([&] { return !copies[0].Running() || !copies[1].Running(); }, 20000))
        << "both copies kept running";
    Process& ended = copies[0].Running() ? copies[1] : copies[0];
    Process& running = copies[0].Running() ? copies[0] : copies[1];
    EXPECT_EQ(ended.ExitCode(), 0u);
    HWND main = ShownMainDialog(running.Id());
    ASSERT_NE(main, nullptr);
    EXPECT_TRUE(WaitFor([&] { return TrayIconExists(main); }));
    EXPECT_FALSE(WaitFor([&] { return !running.Running(); }, 1000)) << "the other copy ended too";
    ::PostMessageW(main, WM_CLOSE, 0, 0);
    EXPECT_TRUE(running.Wait(15000));
}

TEST_F(Startup, AnInstallersRequestToCloseSavesTheRulesAndEnds) {
    ASSERT_TRUE(app.Start());
    DWORD_PTR answer = 0;
    ASSERT_TRUE(::SendMessageTimeoutW(app.Main(), WM_QUERYENDSESSION, 0, ENDSESSION_CLOSEAPP,
                                      SMTO_ABORTIFHUNG, 5000, &answer));
    EXPECT_EQ(answer, static_cast<DWORD_PTR>(TRUE));
    ::SendMessageTimeoutW(app.Main(), WM_ENDSESSION, TRUE, ENDSESSION_CLOSEAPP, SMTO_ABORTIFHUNG,
                          5000, &answer);
    ASSERT_TRUE(app.GetProcess().Wait(15000)) << "still running after ENDSESSION_CLOSEAPP";
    EXPECT_EQ(app.GetProcess().ExitCode(), 0u);
    EXPECT_EQ(ReadFileBytes(DataFilePath()), (std::vector<BYTE>{0, 0, 0, 0}));
}

TEST_F(Startup, StartInSystemTrayStartsHiddenEvenWithAPlacementSavedAsShown) {
    StoreInt(L"StartInSystemTray", 1);
    StoreBinary(L"QuellixLastLocation", PlacementBytes(40, 50, 1040, 750));
    ASSERT_TRUE(app.Start(false));
    ASSERT_TRUE(app.GetProcess().WaitIdle(10000));
    EXPECT_FALSE(::IsWindowVisible(app.Main()));
    WINDOWPLACEMENT wp{};
    wp.length = sizeof(wp);
    ::GetWindowPlacement(app.Main(), &wp);
    EXPECT_EQ(wp.rcNormalPosition.left, 40);
    EXPECT_EQ(wp.rcNormalPosition.right, 1040);
    EXPECT_TRUE(IsChecked(app.Main(), 1024));
}

TEST_F(Startup, PlacementIsSavedAtExitAndRestoredAtTheNextStart) {
    ASSERT_TRUE(app.Start());
    ::SetWindowPos(app.Main(), nullptr, 30, 40, 1100, 720, SWP_NOZORDER);
    ASSERT_TRUE(WaitFor([&] { return RectOf(app.Main()).right == 1130; }));
    ASSERT_TRUE(app.Exit());
    EXPECT_EQ(app.GetProcess().ExitCode(), 0u);

    auto stored = StoredBinary(L"QuellixLastLocation");
    ASSERT_TRUE(stored.has_value());
    ASSERT_EQ(stored->size(), 44u);
    WINDOWPLACEMENT wp{};
    memcpy(&wp, stored->data(), 44);
    EXPECT_EQ(wp.length, 44u);
    EXPECT_EQ(wp.rcNormalPosition.left, 30);
    EXPECT_EQ(wp.rcNormalPosition.bottom, 760);
    // Both lists' column widths are written at every exit.
    EXPECT_EQ(StoredInt(L"Column 0 Of 1").value_or(0), 50u);
    EXPECT_EQ(StoredInt(L"Column 8 Of 1").value_or(0), 75u);
    EXPECT_EQ(StoredInt(L"Column 9 Of 2").value_or(0), 75u);

    QuellixProcess again;
    ASSERT_TRUE(again.Start());
    RECT rc = RectOf(again.Main());
    EXPECT_EQ(rc.left, 30);
    EXPECT_EQ(rc.top, 40);
    EXPECT_EQ(rc.right, 1130);
    EXPECT_EQ(rc.bottom, 760);
    again.Exit();
}

TEST_F(Startup, PlacementIsKeptWhenExitingMinimisedOrWithRememberLayoutOff) {
    const std::vector<BYTE> old = PlacementBytes(10, 20, 1010, 820);
    StoreBinary(L"QuellixLastLocation", old);
    ASSERT_TRUE(app.Start());
    ::ShowWindow(app.Main(), SW_MINIMIZE);
    ASSERT_TRUE(WaitFor([&] { return ::IsIconic(app.Main()) != FALSE; }));
    ASSERT_TRUE(app.Exit());
    EXPECT_EQ(StoredBinary(L"QuellixLastLocation").value_or(std::vector<BYTE>{}), old);

    StoreInt(L"RememberLayout", 0);
    QuellixProcess off;
    ASSERT_TRUE(off.Start());
    // Not restored either: the template's size, not the stored one.
    EXPECT_NE(RectOf(off.Main()).right - RectOf(off.Main()).left, 1000);
    ::SetWindowPos(off.Main(), nullptr, 5, 5, 1200, 780, SWP_NOZORDER);
    ASSERT_TRUE(off.Exit());
    EXPECT_EQ(StoredBinary(L"QuellixLastLocation").value_or(std::vector<BYTE>{}), old);
}

TEST_F(Startup, AStoredPlacementShorterThanTheRecordIsNotApplied) {
    std::vector<BYTE> shortValue = PlacementBytes(10, 20, 30, 40);
    shortValue.resize(40);
    StoreBinary(L"QuellixLastLocation", shortValue);
    ASSERT_TRUE(app.Start());
    RECT rc = RectOf(app.Main());
    EXPECT_GT(rc.right - rc.left, 500);
    EXPECT_GT(rc.bottom - rc.top, 400);
}

TEST_F(Startup, TheDialogCannotShrinkBelowItsFirstSizeAndItsControlsFollowTheLayout) {
    ASSERT_TRUE(app.Start());
    HWND main = app.Main();
    const RECT first = RectOf(main);
    ::SetWindowPos(main, nullptr, 0, 0, 200, 150, SWP_NOMOVE | SWP_NOZORDER);
    WaitFor([] { return false; }, 200);
    RECT rc = RectOf(main);
    EXPECT_EQ(rc.right - rc.left, first.right - first.left);
    EXPECT_EQ(rc.bottom - rc.top, first.bottom - first.top);

    auto at = [&](int id) { return RectOf(app.Control(id)); };
    const RECT list = at(1001), rules = at(1000), refresh = at(1002), menu = at(1006),
               help = at(1017), autoClose = at(1007), check = at(1003), status = at(1018);
    const int dx = 200, dy = 100;
    ::SetWindowPos(main, nullptr, 0, 0, first.right - first.left + dx,
                   first.bottom - first.top + dy, SWP_NOMOVE | SWP_NOZORDER);
    ASSERT_TRUE(WaitFor([&] { return at(1002).left != refresh.left; }));
    const int ox = RectOf(main).left - first.left, oy = RectOf(main).top - first.top;
    auto moved = [&](const RECT& before, int id, int mx, int my, int sx, int sy) {
        RECT now = at(id);
        EXPECT_EQ(now.left - ox, before.left + dx * mx / 100) << id;
        EXPECT_EQ(now.top - oy, before.top + dy * my / 100) << id;
        EXPECT_EQ(now.right - now.left, before.right - before.left + dx * sx / 100) << id;
        EXPECT_EQ(now.bottom - now.top, before.bottom - before.top + dy * sy / 100) << id;
    };
    moved(list, 1001, 0, 0, 100, 100);
    moved(rules, 1000, 0, 100, 100, 0);
    moved(refresh, 1002, 100, 100, 0, 0);
    moved(menu, 1006, 50, 100, 0, 0);
    moved(help, 1017, 100, 0, 0, 0);
    moved(autoClose, 1007, 0, 100, 0, 0);
    moved(check, 1003, 0, 0, 0, 0);
    moved(status, 1018, 0, 100, 100, 0);
}

TEST_F(Startup, TheSystemMenuOpensTheAboutBox) {
    ASSERT_TRUE(app.Start());
    ::PostMessageW(app.Main(), WM_SYSCOMMAND, 0x0010, 0);
    HWND about = app.WaitDialog(L"About Quellix");
    ASSERT_NE(about, nullptr);
    // Modal to the main dialog: owned by it, which is disabled meanwhile.
    EXPECT_EQ(::GetWindow(about, GW_OWNER), app.Main());
    EXPECT_FALSE(::IsWindowEnabled(app.Main()));
    bool versionShown = false;
    for (HWND child = ::GetWindow(about, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT))
        versionShown = versionShown || TextOf(child) == L"Quellix, Version 7.1";
    EXPECT_TRUE(versionShown);
    ClickButton(about, IDOK);
    EXPECT_TRUE(WaitFor([&] { return !::IsWindow(about); }));
}

TEST_F(Startup, ExitRunsTheShutdownAndEndsTheProcess) {
    ASSERT_TRUE(app.Start());
    ASSERT_TRUE(app.Exit());
    EXPECT_EQ(app.GetProcess().ExitCode(), 0u);
    EXPECT_EQ(::FindWindowW(nullptr, kAppTitle), nullptr);
    // The rules were written: an empty list is the 4-byte count 0.
    EXPECT_EQ(ReadFileBytes(DataFilePath()), (std::vector<BYTE>{0, 0, 0, 0}));

    // The title bar's close box ends the program too.
    QuellixProcess again;
    ASSERT_TRUE(again.Start());
    ::PostMessageW(again.Main(), WM_CLOSE, 0, 0);
    EXPECT_TRUE(again.GetProcess().Wait(15000));
}

} // namespace
