// The framework's message tables and dialogs, in the test process.
#include "framework/win/App.h"
#include "framework/win/Dialog.h"
#include "framework/win/MessageMap.h"
#include "res/resource.h"
#include "support/Driver.h"
#include "support/InProcessApp.h"

#include <gtest/gtest.h>

namespace {

CInProcessTestApp testApp;

UINT g_registered = 0;

struct Target {
    int commands = 0;
    int minMax = 0;
    POINT point{};
    void OnCommand() { ++commands; }
    void OnNotify(NMHDR*, LRESULT* result) { *result = 5; }
    LRESULT OnRegistered(WPARAM wp, LPARAM) { return static_cast<LRESULT>(wp + 1); }
    void OnGetMinMaxInfo(MINMAXINFO* info) {
        ++minMax;
        info->ptMinTrackSize.x = 77;
    }
    void OnContextMenu(HWND, POINT pt) { point = pt; }
};

using M = CMessageMap<Target>;
const M::Entry kTable[] = {
    M::Command<&Target::OnCommand>(5),
    M::Notify<&Target::OnNotify>(NM_DBLCLK, 1000),
    M::Registered<&Target::OnRegistered>(&g_registered),
    M::GetMinMaxInfo<&Target::OnGetMinMaxInfo>(),
    M::ContextMenu<&Target::OnContextMenu>(),
};

TEST(MessageMap, CommandsMatchTheirIdAndNotificationCodeOnly) {
    Target t;
    LRESULT r = 0;
    EXPECT_TRUE(M::Dispatch(kTable, t, WM_COMMAND, MAKEWPARAM(5, BN_CLICKED), 0, r));
    EXPECT_FALSE(M::Dispatch(kTable, t, WM_COMMAND, MAKEWPARAM(5, EN_CHANGE), 0, r));
    EXPECT_FALSE(M::Dispatch(kTable, t, WM_COMMAND, MAKEWPARAM(6, BN_CLICKED), 0, r));
    EXPECT_EQ(t.commands, 1);

    NMHDR hdr{nullptr, 1000, NM_DBLCLK};
    EXPECT_TRUE(M::Dispatch(kTable, t, WM_NOTIFY, 1000, reinterpret_cast<LPARAM>(&hdr), r));
    EXPECT_EQ(r, 5);
    hdr.idFrom = 1001;
    EXPECT_FALSE(M::Dispatch(kTable, t, WM_NOTIFY, 1001, reinterpret_cast<LPARAM>(&hdr), r));
}

TEST(MessageMap, RegisteredMessagesMatchOnlyOnceTheirIdIsKnown) {
    Target t;
    LRESULT r = 0;
    EXPECT_FALSE(M::Dispatch(kTable, t, 0, 0, 0, r));
    g_registered = ::RegisterWindowMessageW(L"TaskbarCreated");
    EXPECT_TRUE(M::Dispatch(kTable, t, g_registered, 41, 0, r));
    EXPECT_EQ(r, 42);
}

TEST(MessageMap, SizeLimitsLetDefaultProcessingRunAndPointsAreSigned) {
    Target t;
    LRESULT r = 0;
    MINMAXINFO info{};
    EXPECT_FALSE(M::Dispatch(kTable, t, WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&info), r));
    EXPECT_EQ(t.minMax, 1);
    EXPECT_EQ(info.ptMinTrackSize.x, 77);

    EXPECT_TRUE(M::Dispatch(kTable, t, WM_CONTEXTMENU, 0, MAKELPARAM(-1280, -8), r));
    EXPECT_EQ(t.point.x, -1280);
    EXPECT_EQ(t.point.y, -8);
    EXPECT_TRUE(M::Dispatch(kTable, t, WM_CONTEXTMENU, 0, static_cast<LPARAM>(0xFFFFFFFF), r));
    EXPECT_EQ(t.point.x, -1);
    EXPECT_EQ(t.point.y, -1);
}

TEST(ModelessDialog, CancelHidesTheDialogWithoutDestroyingIt) {
    CDialog dlg(IDD_ABOUTBOX);
    ASSERT_TRUE(dlg.Create(IDD_ABOUTBOX));
    dlg.ShowWindow(SW_SHOW);
    ASSERT_TRUE(::IsWindowVisible(dlg.m_hWnd));
    ::SendMessageW(dlg.m_hWnd, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
    EXPECT_FALSE(::IsWindowVisible(dlg.m_hWnd));
    EXPECT_TRUE(::IsWindow(dlg.m_hWnd));
}

} // namespace
