// The tray icon, the three popup menus, and hiding and showing the real main dialog,
// driven inside the test process under Wine's virtual desktop (which hosts the tray).
#include "framework/win/App.h"
#include "res/resource.h"
#include "rules/DataFilePath.h"
#include "support/Driver.h"
#include "support/Tray.h"
#include "ui/win/QuellixDlg.h"
#include "support/InProcessApp.h"

#include <gtest/gtest.h>

#include <shellapi.h>

#include <cwctype>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

using namespace qt;

namespace {

CInProcessTestApp theTestApp;

HWND g_dialog = nullptr; // gets the dialog keys while the loop runs

void PumpOnce() {
    MSG msg;
    while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (g_dialog != nullptr && ::IsWindow(g_dialog) && ::IsDialogMessageW(g_dialog, &msg))
            continue;
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
    }
}

// Runs this thread's messages until the condition holds or the deadline passes.
bool PumpUntil(const std::function<bool()>& done, DWORD timeoutMs = 5000) {
    const ULONGLONG end = ::GetTickCount64() + timeoutMs;
    for (;;) {
        PumpOnce();
        if (done())
            return true;
        if (::GetTickCount64() >= end)
            return false;
        ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    }
}

// Wine reports a moved cursor a little later.
// Wine warps the X pointer asynchronously and a late motion event can move the cursor back:
// wait until the new position has held for several reads.
void MoveCursor(int x, int y) {
    int steady = 0;
    PumpUntil([&] {
        POINT pt{};
        ::GetCursorPos(&pt);
        if (pt.x != x || pt.y != y) {
            ::SetCursorPos(x, y);
            steady = 0;
            return false;
        }
        return ++steady >= 5;
    });
}

// Whether the icon was still there when the window took its last message: the shell may
// drop the icons of a destroyed window on its own, so later checks prove nothing.
WNDPROC g_dialogProc = nullptr;
bool g_iconAtNcDestroy = false;

LRESULT CALLBACK WatchNcDestroy(HWND h, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_NCDESTROY)
        g_iconAtNcDestroy = TrayIconExists(h);
    return ::CallWindowProcW(g_dialogProc, h, msg, wp, lp);
}

void WatchDestruction(HWND h) {
    g_iconAtNcDestroy = true;
    g_dialogProc = reinterpret_cast<WNDPROC>(
        ::SetWindowLongPtrW(h, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(WatchNcDestroy)));
}

// What an opened popup menu showed, read from its window while it was open.
struct SeenMenu {
    bool opened = false;
    RECT rect{};
    UINT defaultId = static_cast<UINT>(-1);
    std::vector<std::pair<UINT, std::wstring>> items; // separators left out
    std::vector<UINT> grayed, checked;                // ids of the items in that state
    HWND foreground = nullptr;
};

SeenMenu g_seen;

void CALLBACK MenuTimer(HWND, UINT, UINT_PTR id, DWORD) {
    HWND popup = FindPopupMenu(::GetCurrentProcessId());
    if (popup == nullptr)
        return;
    ::KillTimer(nullptr, id);
    g_seen.opened = true;
    g_seen.foreground = ::GetForegroundWindow();
    ::GetWindowRect(popup, &g_seen.rect);
    HMENU menu = reinterpret_cast<HMENU>(::SendMessageW(popup, MN_GETHMENU, 0, 0));
    g_seen.defaultId = ::GetMenuDefaultItem(menu, FALSE, 0);
    for (int i = 0; i < ::GetMenuItemCount(menu); ++i) {
        UINT itemId = ::GetMenuItemID(menu, i);
        if (itemId == 0)
            continue;
        wchar_t text[128] = {};
        ::GetMenuStringW(menu, i, text, 128, MF_BYPOSITION);
        g_seen.items.emplace_back(itemId, text);
        const UINT state = ::GetMenuState(menu, i, MF_BYPOSITION);
        if (state & MF_GRAYED)
            g_seen.grayed.push_back(itemId);
        if (state & MF_CHECKED)
            g_seen.checked.push_back(itemId);
    }
    ::EndMenu();
}

// Does something that may open a popup menu (and returns only when the menu is closed),
// records the menu, and closes it without a choice.
SeenMenu WithMenu(const std::function<void()>& open) {
    g_seen = SeenMenu{};
    UINT_PTR timer = ::SetTimer(nullptr, 0, 20, MenuTimer);
    open();
    ::KillTimer(nullptr, timer);
    return g_seen;
}

using Items = std::vector<std::pair<UINT, std::wstring>>;
const Items kPopupItems = {{ID_POPUP_AUTOCLOSE_SELECTED, L"Auto Close Selected Window..."},
                           {ID_POPUP_REFRESH, L"Refresh list of Windows"},
                           {ID_POPUP_CLOSE_SELECTED, L"Close Selected Window"},
                           {ID_POPUP_HIDE_TO_TRAY, L"Hide to System Tray"},
                           {ID_POPUP_APPLY_RULES, L"Apply Rules to Open Windows Now..."},
                           {ID_POPUP_HISTORY, L"History..."},
                           {ID_POPUP_PAUSE, L"Pause Auto Close"},
                           {ID_POPUP_EXIT, L"Exit"}};
const Items kHelpItems = {{ID_HELP_TUTORIAL, L"Tutorial..."},
                          {ID_HELP_OTHER_SOFTWARE, L"Another Automation Software..."},
                          {ID_HELP_KORVANT_SOFTWARE, L"Korvant Software..."},
                          {ID_HELP_CONTACT_SUPPORT, L"Contact Support"}};
const Items kTrayItems = {{ID_TRAY_CONFIGURE, L"Configure..."},
                          {ID_TRAY_HIDE_TO_TRAY, L"Hide to Tray"},
                          {ID_POPUP_HISTORY, L"History..."},
                          {ID_POPUP_PAUSE, L"Pause Auto Close"},
                          {ID_TRAY_EXIT, L"Exit"}};

class TrayTest : public ::testing::Test {
protected:
    void SetUp() override { Open(); }

    void TearDown() override {
        if (::IsWindow(m_hwnd))
            ::DestroyWindow(m_hwnd);
        PumpOnce();
        g_pMainDlg = nullptr;
        g_dialog = nullptr;
        m_dlg.reset();
    }

    void Open() {
        m_dlg = std::make_unique<CQuellixDlg>();
        g_pMainDlg = m_dlg.get();
        ASSERT_TRUE(m_dlg->Create(IDD_QUELLIX_DIALOG));
        m_hwnd = m_dlg->m_hWnd;
        g_dialog = m_hwnd;
        ::ShowWindow(m_hwnd, SW_SHOW);
        ::SetForegroundWindow(m_hwnd);
        PumpOnce();
    }

    LRESULT Tray(UINT mouseMsg, UINT highWord = 0) {
        return ::SendMessageW(m_hwnd, qt::kTrayCallbackMsg, qt::kTrayIconId,
                              MAKELPARAM(mouseMsg, highWord));
    }
    void Command(UINT id) { ::SendMessageW(m_hwnd, WM_COMMAND, MAKEWPARAM(id, 0), 0); }
    void Click(int buttonId) {
        ::SendMessageW(m_hwnd, WM_COMMAND, MAKEWPARAM(buttonId, BN_CLICKED),
                       reinterpret_cast<LPARAM>(::GetDlgItem(m_hwnd, buttonId)));
    }
    // A key pressed in the dialog, through the dialog manager as in the program's loop.
    void Key(WPARAM key) {
        HWND focus = ::GetDlgItem(m_hwnd, IDC_HIDE_ZERO_DIMENSIONS);
        ::SetFocus(focus);
        ::PostMessageW(focus, WM_KEYDOWN, key, 1);
        ::PostMessageW(focus, WM_KEYUP, key, 0xC0000001);
        PumpOnce();
    }
    bool Visible() const { return ::IsWindowVisible(m_hwnd) != FALSE; }
    bool Iconic() const { return ::IsIconic(m_hwnd) != FALSE; }
    bool ShownNormally() const {
        return PumpUntil(
            [&] { return Visible() && !Iconic() && ::GetForegroundWindow() == m_hwnd; });
    }
    // Minimised and hidden: what "Hide" leaves, unlike a plain hide.
    bool HiddenToTray() const { return !Visible() && Iconic(); }

    std::unique_ptr<CQuellixDlg> m_dlg;
    HWND m_hwnd = nullptr;
};

TEST_F(TrayTest, IconExistsFromStartToDestructionAndTheProbeTellsItApart) {
    EXPECT_TRUE(TrayIconExists(m_hwnd));
    EXPECT_TRUE(HasTrayTip(L"Quellix by Velmora"));
    EXPECT_FALSE(TrayIconExists(m_hwnd, qt::kTrayIconId + 1));
    WatchDestruction(m_hwnd);
    ::DestroyWindow(m_hwnd);
    EXPECT_FALSE(g_iconAtNcDestroy);
    EXPECT_FALSE(TrayIconExists(m_hwnd));
}

TEST_F(TrayTest, TipIsTheTitleCutTo127Units) {
    ::DestroyWindow(m_hwnd);
    std::wstring title;
    for (int i = 0; title.size() < 200; ++i)
        title += static_cast<wchar_t>(L'A' + i % 26);
    theTestApp.m_strAppName = title.c_str();
    Open();
    theTestApp.m_strAppName = L"Quellix by Velmora";
    EXPECT_TRUE(TrayIconExists(m_hwnd));
    EXPECT_TRUE(HasTrayTip(title.substr(0, 127)));
}

TEST_F(TrayTest, RightClickOpensTheTrayMenuWithConfigureBoldEvenWhenHidden) {
    Command(ID_TRAY_HIDE_TO_TRAY);
    ASSERT_TRUE(HiddenToTray());
    MoveCursor(400, 300);
    LRESULT result = 0;
    SeenMenu menu = WithMenu([&] { result = Tray(WM_RBUTTONUP); });
    EXPECT_EQ(result, 1);
    ASSERT_TRUE(menu.opened);
    EXPECT_EQ(menu.items, kTrayItems);
    EXPECT_EQ(menu.defaultId, static_cast<UINT>(ID_TRAY_CONFIGURE));
    EXPECT_EQ(menu.rect.left, 400);
    EXPECT_EQ(menu.rect.top, 300);
    EXPECT_EQ(menu.foreground, m_hwnd);
    // Dismissed without a choice: nothing changes.
    PumpUntil([] { return false; }, 100);
    EXPECT_TRUE(HiddenToTray());
    EXPECT_TRUE(::IsWindow(m_hwnd));
}

TEST_F(TrayTest, OnlyTheDoubleClickAndTheRightButtonReleaseAct) {
    Command(ID_POPUP_HIDE_TO_TRAY);
    for (UINT msg : {WM_LBUTTONDOWN, WM_LBUTTONUP, WM_RBUTTONDOWN, WM_MOUSEMOVE, WM_MBUTTONUP,
                     WM_CONTEXTMENU}) {
        LRESULT result = 0;
        SeenMenu menu = WithMenu([&] { result = Tray(msg); });
        EXPECT_EQ(result, 1) << msg;
        EXPECT_FALSE(menu.opened) << msg;
        EXPECT_TRUE(HiddenToTray()) << msg;
    }
}

TEST_F(TrayTest, DoubleClickBringsTheDialogBackFromEveryState) {
    Command(ID_TRAY_HIDE_TO_TRAY);
    EXPECT_EQ(Tray(WM_LBUTTONDBLCLK), 1);
    EXPECT_TRUE(ShownNormally()) << "from hidden to the tray";

    Key(VK_RETURN);
    ASSERT_TRUE(Iconic());
    Tray(WM_LBUTTONDBLCLK);
    EXPECT_TRUE(ShownNormally()) << "from minimised";

    Key(VK_ESCAPE);
    ASSERT_FALSE(Visible());
    // Only the low word names the mouse message.
    Tray(WM_LBUTTONDBLCLK, qt::kTrayIconId);
    EXPECT_TRUE(ShownNormally()) << "from hidden by Esc";

    HWND other = ::CreateWindowExW(0, L"STATIC", L"in front", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 50,
                                   50, 300, 200, nullptr, nullptr, nullptr, nullptr);
    ::SetForegroundWindow(other);
    ASSERT_TRUE(PumpUntil([&] { return ::GetForegroundWindow() == other; }));
    Tray(WM_LBUTTONDBLCLK);
    EXPECT_TRUE(ShownNormally()) << "from behind another window";
    ::DestroyWindow(other);
}

TEST_F(TrayTest, HideMinimisesThenHidesAndKeepsTheIcon) {
    for (int source : {0, 1, 2}) {
        if (source == 0)
            Command(ID_POPUP_HIDE_TO_TRAY);
        else if (source == 1)
            Command(ID_TRAY_HIDE_TO_TRAY);
        else
            Click(IDC_HIDE_BUTTON);
        EXPECT_TRUE(HiddenToTray()) << source;
        EXPECT_TRUE(TrayIconExists(m_hwnd)) << source;
        // Hiding again changes nothing.
        Command(ID_TRAY_HIDE_TO_TRAY);
        EXPECT_TRUE(HiddenToTray()) << source;
        Command(ID_TRAY_CONFIGURE);
        EXPECT_TRUE(ShownNormally()) << source;
    }
}

TEST_F(TrayTest, BothExitsAndTheCloseBoxEndTheDialogAndRemoveTheIcon) {
    const std::pair<const char*, std::function<void(HWND)>> ways[] = {
        {"POPUP Exit", [](HWND h) { ::SendMessageW(h, WM_COMMAND, ID_POPUP_EXIT, 0); }},
        {"tray Exit", [](HWND h) { ::SendMessageW(h, WM_COMMAND, ID_TRAY_EXIT, 0); }},
        {"close box", [](HWND h) { ::SendMessageW(h, WM_SYSCOMMAND, SC_CLOSE, 0); }},
    };
    for (const auto& [name, how] : ways) {
        if (!::IsWindow(m_hwnd))
            Open();
        Command(ID_TRAY_HIDE_TO_TRAY); // ends from the tray too, not just when shown
        WatchDestruction(m_hwnd);
        how(m_hwnd);
        EXPECT_TRUE(PumpUntil([&] { return !::IsWindow(m_hwnd); })) << name;
        EXPECT_FALSE(g_iconAtNcDestroy) << name;
    }
}

TEST_F(TrayTest, TaskbarCreatedRecreatesTheIconAndItsMenu) {
    const UINT taskbarCreated = ::RegisterWindowMessageW(L"TaskbarCreated");
    // With the icon in place the old one is dropped first, so the add does not fail.
    EXPECT_EQ(::SendMessageW(m_hwnd, taskbarCreated, 0, 0), 1);
    EXPECT_TRUE(TrayIconExists(m_hwnd));

    // As a restarted shell would: the icon is gone until the broadcast.
    DeleteTrayIcon(m_hwnd);
    ASSERT_FALSE(TrayIconExists(m_hwnd));
    ::PostMessageW(HWND_BROADCAST, taskbarCreated, 0, 0);
    EXPECT_TRUE(PumpUntil([&] { return TrayIconExists(m_hwnd); }));

    SeenMenu menu = WithMenu([&] { Tray(WM_RBUTTONUP); });
    ASSERT_TRUE(menu.opened);
    EXPECT_EQ(menu.items, kTrayItems);
    EXPECT_EQ(menu.defaultId, static_cast<UINT>(ID_TRAY_CONFIGURE));
}

TEST_F(TrayTest, ButtonsOpenTheirMenusAtTheCursor) {
    MoveCursor(420, 310);
    SeenMenu popup = WithMenu([&] { Click(IDC_MENU_BUTTON); });
    ASSERT_TRUE(popup.opened);
    EXPECT_EQ(popup.items, kPopupItems);
    EXPECT_EQ(popup.defaultId, static_cast<UINT>(ID_POPUP_AUTOCLOSE_SELECTED));
    EXPECT_EQ(popup.rect.left, 420);
    EXPECT_EQ(popup.rect.top, 310);

    MoveCursor(500, 200);
    SeenMenu help = WithMenu([&] { Click(IDC_HELP_BUTTON); });
    ASSERT_TRUE(help.opened);
    EXPECT_EQ(help.items, kHelpItems);
    EXPECT_EQ(help.defaultId, static_cast<UINT>(-1));
    EXPECT_EQ(help.rect.left, 500);
    EXPECT_EQ(help.rect.top, 200);
    EXPECT_TRUE(Visible());
}

TEST_F(TrayTest, ContextMenuOpensAtThePointOfTheMessage) {
    MoveCursor(600, 500);
    HWND list = ::GetDlgItem(m_hwnd, IDC_LIST_WINDOWS);
    SeenMenu atPoint = WithMenu([&] {
        ::SendMessageW(m_hwnd, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(list),
                       MAKELPARAM(250, 180));
    });
    ASSERT_TRUE(atPoint.opened);
    EXPECT_EQ(atPoint.items, kPopupItems);
    EXPECT_EQ(atPoint.rect.left, 250);
    EXPECT_EQ(atPoint.rect.top, 180);

    // From the keyboard (-1,-1): at the list's corner, or below its selected row.
    auto fromKeyboard = [&] {
        return WithMenu([&] {
            ::SendMessageW(m_hwnd, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(list),
                           MAKELPARAM(-1, -1));
        });
    };
    POINT corner{0, 0};
    ::ClientToScreen(list, &corner);
    SeenMenu atCorner = fromKeyboard();
    ASSERT_TRUE(atCorner.opened);
    EXPECT_EQ(atCorner.rect.left, corner.x);
    EXPECT_EQ(atCorner.rect.top, corner.y);

    HWND listed = ::CreateWindowExW(0, L"STATIC", L"listed", WS_POPUP | WS_CAPTION | WS_VISIBLE, 50,
                                    50, 300, 200, nullptr, nullptr, nullptr, nullptr);
    Click(IDC_REFRESH);
    const int row = static_cast<int>(::SendMessageW(list, LVM_GETITEMCOUNT, 0, 0)) - 1;
    LVITEMW sel{};
    sel.stateMask = sel.state = LVIS_SELECTED;
    ASSERT_TRUE(::SendMessageW(list, LVM_SETITEMSTATE, row, reinterpret_cast<LPARAM>(&sel)));
    RECT rowRect{LVIR_BOUNDS, 0, 0, 0};
    ::SendMessageW(list, LVM_GETITEMRECT, row, reinterpret_cast<LPARAM>(&rowRect));
    POINT below{rowRect.left, rowRect.bottom};
    ::ClientToScreen(list, &below);
    SeenMenu atRow = fromKeyboard();
    ASSERT_TRUE(atRow.opened);
    EXPECT_EQ(atRow.rect.left, below.x);
    EXPECT_EQ(atRow.rect.top, below.y);
    ::DestroyWindow(listed);
}

// Puts the icon in place for the next top-level window before that window adds its own, so
// that its NIM_ADD fails while the icon is there: as a shell still busy at sign-in answers
// too late and the call fails, though the icon comes.
HWND g_occupied = nullptr;

LRESULT CALLBACK OccupyTrayIcon(int code, WPARAM wp, LPARAM lp) {
    const auto* create = reinterpret_cast<CBT_CREATEWNDW*>(lp);
    if (code == HCBT_CREATEWND && g_occupied == nullptr && create->lpcs->hwndParent == nullptr) {
        g_occupied = reinterpret_cast<HWND>(wp);
        NOTIFYICONDATAW nid{};
        nid.cbSize = sizeof(nid);
        nid.hWnd = g_occupied;
        nid.uID = qt::kTrayIconId;
        nid.uFlags = NIF_MESSAGE;
        nid.uCallbackMessage = qt::kTrayCallbackMsg;
        ::Shell_NotifyIconW(NIM_ADD, &nid);
    }
    return ::CallNextHookEx(nullptr, code, wp, lp);
}

TEST_F(TrayTest, TheTrayMenuIsThereEvenWhenAddingTheIconFailedAtStart) {
    ::DestroyWindow(m_hwnd);
    g_occupied = nullptr;
    HHOOK hook = ::SetWindowsHookExW(WH_CBT, OccupyTrayIcon, nullptr, ::GetCurrentThreadId());
    Open();
    ::UnhookWindowsHookEx(hook);
    ASSERT_EQ(g_occupied, m_hwnd);
    ASSERT_TRUE(TrayIconExists(m_hwnd));
    SeenMenu menu = WithMenu([&] { Tray(WM_RBUTTONUP); });
    ASSERT_TRUE(menu.opened);
    EXPECT_EQ(menu.items, kTrayItems);
}

// The letters after "&" in one menu's items, with the first item that repeats one; empty when
// every item has a letter of its own.
std::wstring RepeatedMnemonic(const std::vector<std::wstring>& texts) {
    std::wstring letters;
    for (const std::wstring& text : texts) {
        const size_t amp = text.find(L'&');
        if (amp == std::wstring::npos || amp + 1 >= text.size())
            continue;
        const wchar_t letter = static_cast<wchar_t>(::towlower(text[amp + 1]));
        if (letters.find(letter) != std::wstring::npos)
            return text;
        letters += letter;
    }
    return {};
}

std::vector<std::wstring> MenuTexts(HMENU menu) {
    std::vector<std::wstring> texts;
    for (int i = 0; i < ::GetMenuItemCount(menu); ++i) {
        wchar_t text[128] = {};
        ::GetMenuStringW(menu, static_cast<UINT>(i), text, 128, MF_BYPOSITION);
        texts.emplace_back(text);
    }
    return texts;
}

BOOL CALLBACK CollectMenuId(HMODULE, LPCWSTR, LPWSTR name, LONG_PTR lp) {
    reinterpret_cast<std::vector<UINT>*>(lp)->push_back(
        static_cast<UINT>(reinterpret_cast<ULONG_PTR>(name)));
    return TRUE;
}

TEST_F(TrayTest, EveryMenuGivesEachItemAMnemonicOfItsOwn) {
    std::vector<UINT> ids;
    ::EnumResourceNamesW(nullptr, RT_MENU, CollectMenuId, reinterpret_cast<LONG_PTR>(&ids));
    EXPECT_GE(ids.size(), 4u);
    for (UINT id : ids) {
        HMENU bar = ::LoadMenuW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(id));
        ASSERT_NE(bar, nullptr) << id;
        for (int i = 0; i < ::GetMenuItemCount(bar); ++i)
            EXPECT_EQ(RepeatedMnemonic(MenuTexts(::GetSubMenu(bar, i))), L"") << "menu " << id;
        ::DestroyMenu(bar);
    }
    // The rule list's menu names its switch by the rule's state: both texts keep their letter.
    for (BOOL enabled : {TRUE, FALSE}) {
        auto rule = std::make_unique<CRule>();
        rule->m_strTitle = L"mnemonic";
        rule->m_bEnabled = enabled;
        m_dlg->AppendRuleRow(*rule);
        HWND list = ::GetDlgItem(m_hwnd, IDC_LIST_RULES);
        LVITEMW sel{};
        sel.stateMask = sel.state = LVIS_SELECTED | LVIS_FOCUSED;
        const int last = static_cast<int>(::SendMessageW(list, LVM_GETITEMCOUNT, 0, 0)) - 1;
        ::SendMessageW(list, LVM_SETITEMSTATE, static_cast<WPARAM>(last),
                       reinterpret_cast<LPARAM>(&sel));
        SeenMenu menu = WithMenu([&] {
            ::SendMessageW(m_hwnd, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(list),
                           MAKELPARAM(100, 100));
        });
        ASSERT_TRUE(menu.opened);
        std::vector<std::wstring> texts;
        for (const auto& item : menu.items)
            texts.push_back(item.second);
        EXPECT_EQ(RepeatedMnemonic(texts), L"") << (enabled ? "enabled" : "disabled");
    }
    // The rules added go with the dialog, not into the next test's file.
    ::DestroyWindow(m_hwnd);
    PumpOnce();
    m_dlg.reset();
    ::DeleteFileW(GetDataFilePath());
}

TEST_F(TrayTest, TheHistoryChosenWhileMinimisedComesBackInFront) {
    Command(ID_POPUP_HIDE_TO_TRAY);
    ASSERT_TRUE(PumpUntil([&] { return HiddenToTray(); }));
    Command(ID_POPUP_HISTORY);
    HWND history = nullptr;
    ASSERT_TRUE(PumpUntil([&] {
        history = ::FindWindowW(L"#32770", L"History - Quellix by Velmora");
        return history != nullptr && ::IsWindowVisible(history);
    }));
    EXPECT_NE(::GetWindowLongW(history, GWL_EXSTYLE) & WS_EX_APPWINDOW, 0);
    ::ShowWindow(history, SW_MINIMIZE);
    ASSERT_TRUE(PumpUntil([&] { return ::IsIconic(history) != FALSE; }));
    Command(ID_POPUP_HISTORY);
    EXPECT_TRUE(PumpUntil([&] {
        return !::IsIconic(history) && ::IsWindowVisible(history) &&
               ::GetForegroundWindow() == history;
    }));
}

} // namespace

// An administrator's AllowPause 0: Pause is greyed in both menus and does nothing, a pause
// remembered from before is not honoured, and Pause comes back when the policy goes.
TEST(PausePolicy, AllowPauseZeroGreysPauseInBothMenusAndIgnoresTheCommand) {
    ResetProfile();
    StoreInt(L"PauseAutoClose", 1);
    SetPolicy(L"AllowPause", 0);
    auto dlg = std::make_unique<CQuellixDlg>();
    g_pMainDlg = dlg.get();
    ASSERT_TRUE(dlg->Create(IDD_QUELLIX_DIALOG));
    const HWND hwnd = dlg->m_hWnd;
    g_dialog = hwnd;
    ::ShowWindow(hwnd, SW_SHOW);
    ::SetForegroundWindow(hwnd);
    PumpOnce();
    // Each menu is seen gone before the next one opens.
    const auto closed = [](SeenMenu menu) {
        PumpUntil([] { return FindPopupMenu(::GetCurrentProcessId()) == nullptr; });
        return menu;
    };
    const auto popup = [&] {
        return closed(WithMenu([&] {
            ::SendMessageW(hwnd, WM_COMMAND, MAKEWPARAM(IDC_MENU_BUTTON, BN_CLICKED),
                           reinterpret_cast<LPARAM>(::GetDlgItem(hwnd, IDC_MENU_BUTTON)));
        }));
    };
    const auto tray = [&] {
        return closed(WithMenu(
            [&] { ::SendMessageW(hwnd, qt::kTrayCallbackMsg, qt::kTrayIconId, WM_RBUTTONUP); }));
    };
    const std::vector<UINT> pause{ID_POPUP_PAUSE};
    EXPECT_FALSE(dlg->Watcher().IsPaused()) << "the remembered pause is not honoured";
    for (const SeenMenu& menu : {popup(), tray()}) {
        EXPECT_TRUE(menu.opened);
        EXPECT_EQ(menu.grayed, pause);
        EXPECT_TRUE(menu.checked.empty());
    }
    ::SendMessageW(hwnd, WM_COMMAND, MAKEWPARAM(ID_POPUP_PAUSE, 0), 0);
    EXPECT_FALSE(dlg->Watcher().IsPaused()) << "a command that comes anyway does nothing";

    ResetProfile();
    ::SendMessageW(hwnd, WM_SETTINGCHANGE, 0, reinterpret_cast<LPARAM>(L"Policy"));
    for (const SeenMenu& menu : {popup(), tray()})
        EXPECT_TRUE(menu.grayed.empty());
    ::SendMessageW(hwnd, WM_COMMAND, MAKEWPARAM(ID_POPUP_PAUSE, 0), 0);
    EXPECT_TRUE(dlg->Watcher().IsPaused());
    SetPolicy(L"AllowPause", 0);
    ::SendMessageW(hwnd, WM_SETTINGCHANGE, 0, reinterpret_cast<LPARAM>(L"Policy"));
    EXPECT_FALSE(dlg->Watcher().IsPaused()) << "a policy that comes takes the pause away";
    ::DestroyWindow(hwnd);
    PumpOnce();
    g_pMainDlg = nullptr;
    g_dialog = nullptr;
    ResetProfile();
}
