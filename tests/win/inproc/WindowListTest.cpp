// The window list of the real main dialog, against real top-level windows of this process.
#include "ui/Settings.h"
#include "framework/win/App.h"
#include "res/resource.h"
#include "rules/WindowInfo.h"
#include "support/Driver.h"
#include "ui/win/QuellixDlg.h"
#include "support/InProcessApp.h"
#include "support/Icons.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <thread>
#include <vector>

namespace {

CInProcessTestApp theTestApp;

const wchar_t kSettingsKey[] = L"Software\\Velmora\\Quellix by Velmora\\Settings";
const wchar_t kTargetClass[] = L"WindowListTestTarget";
const wchar_t kIconClass[] = L"WindowListTestClassIcon";

std::map<HWND, int> g_closeCount; // WM_CLOSE received, per target window of the main thread
std::map<HWND, int> g_iconAsks;   // WM_GETICON sent by this thread, per target window

LRESULT CALLBACK TargetProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_CLOSE) {
        ++g_closeCount[hwnd];
        return 0; // asked, not closed
    }
    if (msg == WM_GETICON && !::InSendMessage()) // not the desktop's taskbar asking
        ++g_iconAsks[hwnd];
    return ::DefWindowProcW(hwnd, msg, wp, lp);
}

void RegisterClasses() {
    static bool done = false;
    if (done)
        return;
    done = true;
    INITCOMMONCONTROLSEX icc{sizeof(icc), ICC_WIN95_CLASSES};
    ::InitCommonControlsEx(&icc);
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = TargetProc;
    wc.hInstance = ::GetModuleHandleW(nullptr);
    wc.lpszClassName = kTargetClass;
    ::RegisterClassExW(&wc);
    wc.lpszClassName = kIconClass;
    wc.hIcon = SolidIcon(RGB(0, 0, 255));
    ::RegisterClassExW(&wc);
}

void Pump() {
    qt::PumpMessages();
}

bool PumpUntil(const std::function<bool()>& done, int ms = 5000) {
    return qt::WaitFor(done, ms);
}

struct CWindowDeleter {
    void operator()(HWND h) const { ::DestroyWindow(h); }
};
using CTestWindow = std::unique_ptr<std::remove_pointer_t<HWND>, CWindowDeleter>;

CTestWindow MakeWindow(const wchar_t* caption, RECT rc, DWORD style, DWORD exStyle = 0,
                       const wchar_t* cls = kTargetClass) {
    return CTestWindow(::CreateWindowExW(exStyle, cls, caption, style, rc.left, rc.top,
                                         rc.right - rc.left, rc.bottom - rc.top, nullptr, nullptr,
                                         ::GetModuleHandleW(nullptr), nullptr));
}

constexpr DWORD kListed = WS_POPUP | WS_VISIBLE | WS_CAPTION;

DWORD ReadSettingValue(const wchar_t* name) {
    DWORD value = 0xDEAD, size = sizeof(value);
    ::RegGetValueW(HKEY_CURRENT_USER, kSettingsKey, name, RRF_RT_REG_DWORD, nullptr, &value, &size);
    return value;
}

class WindowListTest : public ::testing::Test {
protected:
    void SetUp() override {
        RegisterClasses();
        ::RegDeleteTreeW(HKEY_CURRENT_USER, kSettingsKey);
    }
    void TearDown() override { CloseDialog(); }

    void OpenDialog() {
        m_dlg = std::make_unique<CQuellixDlg>();
        ASSERT_TRUE(m_dlg->Create(IDD_QUELLIX_DIALOG));
        m_dlg->ShowWindow(SW_SHOW);
        Pump();
    }
    void CloseDialog() {
        if (m_dlg && m_dlg->m_hWnd)
            ::DestroyWindow(m_dlg->m_hWnd); // OnDestroy runs while the object is whole
        m_dlg.reset();
    }

    CListCtrl& List() { return m_dlg->WindowList(); }
    int RowOf(HWND hwnd) {
        for (int i = 0; i < List().GetItemCount(); ++i) {
            const CWindowInfo* info = m_dlg->GetListedWindow(i);
            if (info != nullptr && info->m_hWnd == hwnd)
                return i;
        }
        return -1;
    }
    bool Listed(HWND hwnd) { return RowOf(hwnd) >= 0; }
    void Click(int id) { ::SendMessageW(m_dlg->GetDlgItem(id), BM_CLICK, 0, 0); }
    void Command(int id) { m_dlg->SendMessage(WM_COMMAND, MAKEWPARAM(id, 0), 0); }
    int ImageOf(int row) {
        LVITEMW item{};
        item.mask = LVIF_IMAGE;
        item.iItem = row;
        List().SendMessage(LVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&item));
        return item.iImage;
    }
    HIMAGELIST Images() {
        return reinterpret_cast<HIMAGELIST>(List().SendMessage(LVM_GETIMAGELIST, LVSIL_SMALL));
    }
    // The colour that the image of the window's row draws in.
    COLORREF ColourOf(HWND hwnd) {
        int image = ImageOf(RowOf(hwnd));
        if (image < 0 || image >= ::ImageList_GetImageCount(Images()))
            return CLR_INVALID;
        HDC dc = ::CreateCompatibleDC(nullptr);
        BITMAPINFO bi{};
        bi.bmiHeader = {sizeof(BITMAPINFOHEADER), 16, -16, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
        void* bits = nullptr;
        HBITMAP bmp = ::CreateDIBSection(dc, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
        HGDIOBJ old = ::SelectObject(dc, bmp);
        ::ImageList_Draw(Images(), image, dc, 0, 0, ILD_NORMAL);
        COLORREF c = ::GetPixel(dc, 8, 8);
        ::SelectObject(dc, old);
        ::DeleteObject(bmp);
        ::DeleteDC(dc);
        return c;
    }
    // Paints the list's invalid part now, as the next WM_PAINT would.
    void DrawList() { ::UpdateWindow(List()); }
    bool RowIsVisible(HWND hwnd) {
        int row = RowOf(hwnd);
        return row >= 0 && row < static_cast<int>(List().SendMessage(LVM_GETCOUNTPERPAGE));
    }

    std::unique_ptr<CQuellixDlg> m_dlg;
};

TEST_F(WindowListTest, RowShowsTheWindowsFactsAsText) {
    auto w =
        MakeWindow(L"Cells \x00e9t\x00e9", {-8, -8, 292, 192},
                   kListed | WS_SYSMENU | WS_CLIPSIBLINGS, WS_EX_TOOLWINDOW | WS_EX_WINDOWEDGE);
    RECT rc;
    ::GetWindowRect(w.get(), &rc);
    ASSERT_EQ(rc.left, -8);
    ASSERT_EQ(rc.right, 292);
    ASSERT_EQ(::GetWindowLongW(w.get(), GWL_STYLE), static_cast<LONG>(0x94C80000u));
    OpenDialog();
    int row = RowOf(w.get());
    ASSERT_GE(row, 0);
    const wchar_t* expected[] = {
        L"",   L"Cells \x00e9t\x00e9", kTargetClass, L"-8", L"-8", L"300", L"200", L"94c80000",
        L"180"};
    EXPECT_EQ(List().GetItemText(row, 0), std::to_wstring(row + 1).c_str());
    for (int col = 1; col < 9; ++col)
        EXPECT_EQ(std::wstring(List().GetItemText(row, col)), expected[col]) << "column " << col;
    const CWindowInfo* info = m_dlg->GetListedWindow(row);
    EXPECT_EQ(info->m_dwStyle, 0x94C80000u);
    EXPECT_EQ(info->m_rcWindow.bottom, 192);
    // A fresh record's criteria: a rule made from this row starts from them.
    EXPECT_TRUE(info->m_bMatchClass && info->m_bMatchDimensions && info->m_bMatchStyle &&
                info->m_bMatchExStyle);
    EXPECT_FALSE(info->m_bMatchTitle || info->m_bMatchLocation);
    EXPECT_EQ(info->m_nDelayMs, 100);
    // Rows are numbered 1, 2, ... in order, after every refresh anew.
    Command(IDC_REFRESH);
    for (int i = 0; i < List().GetItemCount(); ++i)
        EXPECT_EQ(List().GetItemText(i, 0), std::to_wstring(i + 1).c_str());
    EXPECT_EQ(List().GetNextItem(-1, LVNI_SELECTED), -1);
}

TEST_F(WindowListTest, AnotherProcesssWindowsAreListedAndAskedToClose) {
    qt::TargetWindows targets;
    qt::TargetSpec a{L"Alpha \x263a",
                     L"QxAlphaClass",
                     -8,
                     -8,
                     300,
                     200,
                     WS_POPUP | WS_VISIBLE | WS_CAPTION | WS_SYSMENU | WS_CLIPSIBLINGS,
                     WS_EX_TOOLWINDOW | WS_EX_WINDOWEDGE};
    qt::TargetSpec b{L"Beta",
                     L"QxBetaClass",
                     -1500,
                     40,
                     640,
                     480,
                     WS_POPUP | WS_VISIBLE | WS_CAPTION | WS_CLIPSIBLINGS | WS_DISABLED,
                     WS_EX_WINDOWEDGE};
    ASSERT_TRUE(targets.Start({a, b}));
    OpenDialog();
    int row = RowOf(targets.Window(0));
    ASSERT_GE(row, 0);
    const wchar_t* expected[] = {L"",    L"Alpha \x263a", L"QxAlphaClass", L"-8", L"-8",
                                 L"300", L"200",          L"94c80000",     L"180"};
    for (int col = 1; col < 9; ++col)
        EXPECT_EQ(std::wstring(List().GetItemText(row, col)), expected[col]) << "column " << col;
    EXPECT_FALSE(Listed(targets.Window(1))); // disabled

    Click(IDC_HIDE_DISABLED);
    row = RowOf(targets.Window(1));
    ASSERT_GE(row, 0);
    const wchar_t* expectedB[] = {L"",    L"Beta", L"QxBetaClass", L"-1500", L"40",
                                  L"640", L"480",  L"9cc00000",    L"100"};
    for (int col = 1; col < 9; ++col)
        EXPECT_EQ(std::wstring(List().GetItemText(row, col)), expectedB[col]) << "column " << col;

    LVITEMW sel{};
    sel.stateMask = sel.state = LVIS_SELECTED;
    List().SendMessage(LVM_SETITEMSTATE, RowOf(targets.Window(0)), reinterpret_cast<LPARAM>(&sel));
    Command(ID_POPUP_CLOSE_SELECTED);
    EXPECT_TRUE(targets.WaitCloses(1, 5000, 0));
    PumpUntil([] { return false; }, 300);
    EXPECT_EQ(targets.Closes().size(), 1u);
}

TEST_F(WindowListTest, EachOptionLeavesOutItsKindAndIsStoredAtOnce) {
    auto plain = MakeWindow(L"plain", {10, 10, 200, 100}, kListed);
    auto zero = MakeWindow(L"zero", {20, 20, 20, 20}, kListed);
    auto thin = MakeWindow(L"thin", {30, 30, 30, 50}, kListed); // 0 wide, 20 high
    auto disabled = MakeWindow(L"disabled", {40, 40, 200, 100}, kListed | WS_DISABLED);
    auto hidden = MakeWindow(L"hidden", {50, 50, 200, 100}, WS_POPUP | WS_CAPTION);
    auto border = MakeWindow(L"border only", {60, 60, 200, 100}, WS_POPUP | WS_VISIBLE | WS_BORDER);
    auto noText = MakeWindow(L"", {70, 70, 200, 100}, kListed);
    RECT rc;
    ::GetWindowRect(zero.get(), &rc);
    ASSERT_TRUE(rc.left == rc.right && rc.top == rc.bottom);
    OpenDialog();

    auto check = [&](bool zeroIn, bool disabledIn, bool hiddenIn, bool borderIn) {
        EXPECT_TRUE(Listed(plain.get()));
        EXPECT_TRUE(Listed(thin.get()));
        EXPECT_TRUE(Listed(noText.get()));
        EXPECT_EQ(Listed(zero.get()), zeroIn);
        EXPECT_EQ(Listed(disabled.get()), disabledIn);
        EXPECT_EQ(Listed(hidden.get()), hiddenIn);
        EXPECT_EQ(Listed(border.get()), borderIn);
        EXPECT_FALSE(Listed(m_dlg->m_hWnd));
    };
    check(false, false, false, false);
    EXPECT_EQ(std::wstring(List().GetItemText(RowOf(noText.get()), 1)), L"");

    struct {
        int id;
        const wchar_t* name;
    } options[] = {{IDC_HIDE_ZERO_DIMENSIONS, L"HideWindowWithZeroDimensions"},
                   {IDC_HIDE_DISABLED, L"HideDisabledWindows"},
                   {IDC_HIDE_HIDDEN, L"HideHiddenWindows"},
                   {IDC_HIDE_WITHOUT_CAPTION, L"HideWindowsWithoutCaption"}};
    for (int i = 0; i < 4; ++i) {
        SCOPED_TRACE(options[i].name);
        Click(options[i].id);
        EXPECT_EQ(ReadSettingValue(options[i].name), 0u);
        check(i == 0, i == 1, i == 2, i == 3);
        Click(options[i].id);
        EXPECT_EQ(ReadSettingValue(options[i].name), 1u);
        check(false, false, false, false);
    }
    for (auto& o : options)
        Click(o.id);
    check(true, true, true, true);
}

TEST_F(WindowListTest, IconsBelongToTheirOwnRowsAndGoAwayWhenTurnedOff) {
    HICON red = SolidIcon(RGB(255, 0, 0)), green = SolidIcon(RGB(0, 255, 0));
    auto small = MakeWindow(L"small icon", {10, 10, 200, 100}, kListed);
    ::SendMessageW(small.get(), WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(red));
    auto none = MakeWindow(L"no icon", {20, 20, 200, 100}, kListed);
    auto classIcon = MakeWindow(L"class icon", {30, 30, 200, 100}, kListed, 0, kIconClass);
    auto big = MakeWindow(L"big icon", {40, 40, 200, 100}, kListed);
    ::SendMessageW(big.get(), WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(green));
    OpenDialog();

    HIMAGELIST images = Images();
    ASSERT_NE(images, nullptr);
    // Full colour with a mask, at the small-icon size.
    int cx = 0, cy = 0;
    ::ImageList_GetIconSize(images, &cx, &cy);
    EXPECT_EQ(cx, ::GetSystemMetrics(SM_CXSMICON));
    EXPECT_EQ(cy, ::GetSystemMetrics(SM_CYSMICON));
    IMAGEINFO info{};
    ASSERT_TRUE(::ImageList_GetImageInfo(images, 0, &info));
    BITMAP bm{};
    ::GetObjectW(info.hbmImage, sizeof(bm), &bm);
    EXPECT_EQ(bm.bmBitsPixel, 32);
    EXPECT_NE(info.hbmMask, nullptr);
    EXPECT_EQ(ColourOf(small.get()), RGB(255, 0, 0));
    EXPECT_EQ(ColourOf(classIcon.get()), RGB(0, 0, 255));
    EXPECT_EQ(ColourOf(big.get()), RGB(0, 255, 0));
    EXPECT_LT(ImageOf(RowOf(none.get())), 0);
    // One image per row with an icon, no more.
    int withIcon = 0;
    for (int i = 0; i < List().GetItemCount(); ++i)
        withIcon += ImageOf(i) >= 0;
    EXPECT_EQ(::ImageList_GetImageCount(images), withIcon);

    Click(IDC_DISPLAY_ICON);
    EXPECT_EQ(ReadSettingValue(L"DisplayWindowIcon"), 0u);
    EXPECT_EQ(List().SendMessage(LVM_GETIMAGELIST, LVSIL_SMALL), 0);
    EXPECT_TRUE(Listed(small.get()));
    Click(IDC_DISPLAY_ICON);
    EXPECT_EQ(ReadSettingValue(L"DisplayWindowIcon"), 1u);
    EXPECT_NE(List().SendMessage(LVM_GETIMAGELIST, LVSIL_SMALL), 0);
    ::DestroyIcon(red);
    ::DestroyIcon(green);
}

TEST_F(WindowListTest, IconsAreLookedUpOnceWhenRowsAreFirstDrawnOneImagePerIcon) {
    HICON red = SolidIcon(RGB(255, 0, 0)), green = SolidIcon(RGB(0, 255, 0));
    auto a = MakeWindow(L"shared icon a", {10, 10, 200, 100}, kListed, WS_EX_TOOLWINDOW);
    auto b = MakeWindow(L"shared icon b", {20, 20, 200, 100}, kListed, WS_EX_TOOLWINDOW);
    auto own = MakeWindow(L"own icon", {30, 30, 200, 100}, kListed, WS_EX_TOOLWINDOW);
    for (HWND h : {a.get(), b.get()})
        ::SendMessageW(h, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(red));
    ::SendMessageW(own.get(), WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(green));
    OpenDialog();
    const HWND targets[] = {a.get(), b.get(), own.get()};

    g_iconAsks.clear();
    Command(IDC_REFRESH);
    EXPECT_TRUE(g_iconAsks.empty()) << "the refresh itself asks no window for its icon";
    EXPECT_TRUE(::IsWindowVisible(List()));
    DrawList();
    for (HWND h : targets) {
        ASSERT_TRUE(RowIsVisible(h));
        EXPECT_GT(g_iconAsks[h], 0);
    }
    // Drawn again, the rows keep what they found.
    auto asked = g_iconAsks;
    ::InvalidateRect(List(), nullptr, TRUE);
    DrawList();
    EXPECT_EQ(g_iconAsks, asked);

    EXPECT_EQ(ColourOf(a.get()), RGB(255, 0, 0));
    EXPECT_EQ(ColourOf(own.get()), RGB(0, 255, 0));
    EXPECT_EQ(ImageOf(RowOf(a.get())), ImageOf(RowOf(b.get())));
    EXPECT_EQ(::ImageList_GetImageCount(Images()), 2);

    // Without icons no window is asked.
    Click(IDC_DISPLAY_ICON);
    g_iconAsks.clear();
    DrawList();
    EXPECT_TRUE(RowIsVisible(a.get()));
    EXPECT_TRUE(g_iconAsks.empty());
    ::DestroyIcon(red);
    ::DestroyIcon(green);
}

// Finds the message box that the dialog owns, reads it and presses OK.
struct CMessageBoxReader {
    std::wstring caption, text;
    bool informationIcon = false;
    std::thread thread;

    explicit CMessageBoxReader(HWND owner) {
        thread = std::thread([this, owner] {
            auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
            while (std::chrono::steady_clock::now() < deadline) {
                HWND box = ::FindWindowW(L"#32770", nullptr);
                for (; box != nullptr; box = ::FindWindowExW(nullptr, box, L"#32770", nullptr))
                    if (::GetWindow(box, GW_OWNER) == owner && ::IsWindowVisible(box))
                        break;
                if (box != nullptr) {
                    wchar_t buf[256] = {};
                    ::GetWindowTextW(box, buf, 256);
                    caption = buf;
                    ::GetDlgItemTextW(box, 0xFFFF, buf, 256);
                    text = buf;
                    HICON info = ::LoadIconW(nullptr, IDI_INFORMATION);
                    for (HWND c = ::GetWindow(box, GW_CHILD); c; c = ::GetWindow(c, GW_HWNDNEXT))
                        if (::SendMessageW(c, STM_GETICON, 0, 0) == reinterpret_cast<LRESULT>(info))
                            informationIcon = true;
                    ::PostMessageW(box, WM_COMMAND, IDOK, 0);
                    return;
                }
                std::this_thread::sleep_for(std::chrono::milliseconds(10));
            }
        });
    }
    ~CMessageBoxReader() {
        if (thread.joinable())
            thread.join();
    }
};

TEST_F(WindowListTest, CloseSelectedWindowAsksTheSelectedRowsWindowOnce) {
    g_closeCount.clear();
    auto target = MakeWindow(L"close me", {10, 10, 200, 100}, kListed);
    auto other = MakeWindow(L"keep me", {20, 20, 200, 100}, kListed);
    OpenDialog();
    auto late = MakeWindow(L"late", {30, 30, 200, 100}, kListed);

    {
        CMessageBoxReader box(m_dlg->m_hWnd);
        Command(ID_POPUP_CLOSE_SELECTED); // returns when the box is dismissed
        Pump();
        box.thread.join();
        EXPECT_EQ(box.caption, L"Quellix by Velmora");
        EXPECT_EQ(box.text, L"Please Select a Window to Close and then try Again.");
        EXPECT_TRUE(box.informationIcon);
    }
    EXPECT_TRUE(g_closeCount.empty());
    EXPECT_FALSE(Listed(late.get())) << "nothing selected: no refresh";

    LVITEMW sel{};
    sel.stateMask = sel.state = LVIS_SELECTED | LVIS_FOCUSED;
    List().SendMessage(LVM_SETITEMSTATE, RowOf(target.get()), reinterpret_cast<LPARAM>(&sel));
    Command(ID_POPUP_CLOSE_SELECTED);
    EXPECT_TRUE(PumpUntil([&] { return Listed(late.get()) && g_closeCount[target.get()] > 0; }));
    PumpUntil([] { return false; }, 200);
    EXPECT_EQ(g_closeCount[target.get()], 1);
    EXPECT_EQ(g_closeCount.count(other.get()), 0u);
    EXPECT_EQ(List().GetNextItem(-1, LVNI_SELECTED), -1);

    // A row whose handle no longer names its window (gone, or reused by a window of another
    // class): nothing is closed, the list is refreshed and the user is told.
    const std::pair<const char*, std::function<void()>> changes[] = {
        {"window gone", [&] { other.reset(); }},
        {"handle reused", [&] { m_dlg->GetListedWindow(RowOf(target.get()))->m_strClass = L"X"; }},
    };
    auto newer = MakeWindow(L"late too", {40, 40, 200, 100}, kListed);
    for (const auto& [name, change] : changes) {
        SCOPED_TRACE(name);
        HWND selected = other ? other.get() : target.get();
        List().SendMessage(LVM_SETITEMSTATE, RowOf(selected), reinterpret_cast<LPARAM>(&sel));
        change();
        g_closeCount.clear();
        CMessageBoxReader box(m_dlg->m_hWnd);
        Command(ID_POPUP_CLOSE_SELECTED);
        Pump();
        box.thread.join();
        EXPECT_EQ(box.text, L"The selected window no longer exists, so nothing was closed. The "
                            L"list of windows has been refreshed.");
        EXPECT_TRUE(g_closeCount.empty());
        EXPECT_EQ(List().GetNextItem(-1, LVNI_SELECTED), -1);
        EXPECT_TRUE(Listed(target.get()));
    }
    EXPECT_TRUE(Listed(newer.get())) << "refreshed";
}

TEST_F(WindowListTest, ColumnsAndTheirWidthsLastFromOneStartToTheNext) {
    OpenDialog();
    EXPECT_EQ(List().GetExtendedStyle() & 0x21u, 0x21u);
    DWORD style = static_cast<DWORD>(::GetWindowLongW(List(), GWL_STYLE));
    EXPECT_EQ(style & (LVS_TYPEMASK | LVS_SINGLESEL),
              static_cast<DWORD>(LVS_REPORT | LVS_SINGLESEL));
    const int defaults[] = {50, 100, 100, 50, 50, 75, 75, 75, 75};
    for (int i = 0; i < 9; ++i) {
        LVCOLUMNW col{};
        col.mask = LVCF_WIDTH | LVCF_FMT;
        ASSERT_TRUE(List().SendMessage(LVM_GETCOLUMNW, i, reinterpret_cast<LPARAM>(&col)));
        EXPECT_EQ(col.cx, defaults[i]) << i;
        EXPECT_EQ(col.fmt & LVCFMT_JUSTIFYMASK, i == 4 ? LVCFMT_CENTER : LVCFMT_LEFT) << i;
    }
    List().SendMessage(LVM_SETCOLUMNWIDTH, 1, 123);
    List().SendMessage(LVM_SETCOLUMNWIDTH, 3, 0);
    CloseDialog();
    EXPECT_EQ(ReadSettingValue(L"Column 0 Of 1"), 50u);
    EXPECT_EQ(ReadSettingValue(L"Column 1 Of 1"), 123u);
    EXPECT_EQ(ReadSettingValue(L"Column 3 Of 1"), 0u);
    EXPECT_EQ(ReadSettingValue(L"Column 8 Of 1"), 75u);

    OpenDialog();
    EXPECT_EQ(List().SendMessage(LVM_GETCOLUMNWIDTH, 1), 123);
    EXPECT_EQ(List().SendMessage(LVM_GETCOLUMNWIDTH, 3), 0);
}

TEST_F(WindowListTest, HungWindowsDoNotHoldUpTheRefresh) {
    constexpr int kHung = 5;
    HANDLE ready = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
    HANDLE release = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
    HWND hung[kHung] = {};
    std::thread owner([&] {
        for (int i = 0; i < kHung; ++i)
            hung[i] = ::CreateWindowExW(0, kTargetClass, L"hung", kListed, 10 * i, 10, 200, 100,
                                        nullptr, nullptr, ::GetModuleHandleW(nullptr), nullptr);
        ::SetEvent(ready);
        ::WaitForSingleObject(release, INFINITE); // stops pumping
        // Answers what was sent meanwhile, so that a sender that did not time out goes on.
        MSG msg;
        while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE))
            ::DispatchMessageW(&msg);
        for (HWND h : hung)
            ::DestroyWindow(h);
    });
    ::WaitForSingleObject(ready, INFINITE);

    // The test's own deadline: a lookup that waits on a hung window without a time-out is
    // released (the windows' thread answers and ends them) and fails here, at once.
    // Opening the dialog lists and draws them too, so the deadline covers it.
    HANDLE refreshed = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
    bool waitedOnHungWindow = false;
    std::thread watchdog([&] {
        if (::WaitForSingleObject(refreshed, 10000) == WAIT_TIMEOUT) {
            waitedOnHungWindow = true;
            ::SetEvent(release);
        }
    });
    OpenDialog();
    // Their rows are drawn too: that is when their icons are asked for.
    auto start = std::chrono::steady_clock::now();
    Command(IDC_REFRESH);
    DrawList();
    double ms =
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    ::SetEvent(refreshed);
    watchdog.join();
    ::CloseHandle(refreshed);
    EXPECT_FALSE(waitedOnHungWindow) << "the list waited on a hung window";
    std::printf("refresh and drawing with %d hung windows: %.0f ms\n", kHung, ms);
    RecordProperty("hung_refresh_ms", static_cast<int>(ms));
    // Returns nothing early: the windows' thread must be released and joined below.
    for (HWND h : hung) {
        int row = RowOf(h);
        if (row < 0) {
            ADD_FAILURE() << "not listed";
            continue;
        }
        EXPECT_EQ(std::wstring(List().GetItemText(row, 1)), L"hung");
        EXPECT_TRUE(RowIsVisible(h));
        EXPECT_EQ(ImageOf(row), I_IMAGENONE);
    }

    ::SetEvent(release);
    owner.join();
    ::CloseHandle(ready);
    ::CloseHandle(release);
}

} // namespace
