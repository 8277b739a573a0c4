// The foreground watcher and delayed closing, with the real main dialog in this process and
// target windows in a helper process (events of our own process are skipped by design).
#include "engine/Report.h"
#include "framework/win/App.h"
#include "res/resource.h"
#include "rules/WindowInfo.h"
#include "support/Driver.h"
#include "ui/win/QuellixDlg.h"
#include "support/InProcessApp.h"

#include <gtest/gtest.h>

#include <oleauto.h>

#include <algorithm>
#include <memory>

using namespace qt;

namespace {

CInProcessTestApp theTestApp;

enum Flag { Title = 1, Class = 2, Location = 4, Dimensions = 8, Style = 16, ExStyle = 32 };

class Watcher : public CleanStateTest {
protected:
    void SetUp() override {
        CleanStateTest::SetUp();
        INITCOMMONCONTROLSEX icc{sizeof(icc), ICC_WIN95_CLASSES};
        ::InitCommonControlsEx(&icc);
        dlg = std::make_unique<CQuellixDlg>();
        g_pMainDlg = dlg.get();
        ASSERT_TRUE(dlg->Create(IDD_QUELLIX_DIALOG));
        ASSERT_EQ(dlg->RuleList().GetItemCount(), 0);
    }
    void TearDown() override {
        targets.Stop();
        DestroyDialog();
    }

    void DestroyDialog() {
        if (dlg && dlg->m_hWnd != nullptr)
            ::DestroyWindow(dlg->m_hWnd);
        dlg.reset();
        g_pMainDlg = nullptr;
    }

    // A rule recorded from the target's window as it is now, testing the given criteria.
    void AddRule(size_t target, int flags, int delayMs) {
        HWND hwnd = targets.Window(target);
        auto rule = std::make_unique<CRule>();
        wchar_t cls[512] = {};
        ::GetClassNameW(hwnd, cls, 512);
        rule->m_strClass = cls;
        rule->m_strTitle = TextOf(hwnd).c_str();
        ::GetWindowRect(hwnd, &rule->m_rcWindow);
        rule->m_dwStyle = static_cast<DWORD>(::GetWindowLongW(hwnd, GWL_STYLE));
        rule->m_dwExStyle = static_cast<DWORD>(::GetWindowLongW(hwnd, GWL_EXSTYLE));
        rule->m_bMatchTitle = (flags & Title) != 0;
        rule->m_bMatchClass = (flags & Class) != 0;
        rule->m_bMatchLocation = (flags & Location) != 0;
        rule->m_bMatchDimensions = (flags & Dimensions) != 0;
        rule->m_bMatchStyle = (flags & Style) != 0;
        rule->m_bMatchExStyle = (flags & ExStyle) != 0;
        rule->m_nDelayMs = delayMs;
        dlg->AppendRuleRow(*rule);
    }

    std::wstring Status() const { return TextOf(::GetDlgItem(dlg->m_hWnd, IDC_STATUS)); }

    // Brings the target forward and returns once the watcher has handled its event.
    void Foreground(size_t target) {
        ::SetDlgItemTextW(dlg->m_hWnd, IDC_STATUS, L"");
        ASSERT_TRUE(targets.MakeForeground(target));
        ASSERT_TRUE(WaitFor([&] { return !Status().empty(); }, 5000));
    }

    // The closes that one foreground event posted at once. A WM_CLOSE to the marker window,
    // posted after the event was handled, reaches the helper after all of them.
    int ClosesAtOnce(size_t target) {
        const size_t before = targets.Closes(static_cast<int>(target)).size();
        const size_t markers = targets.Closes(static_cast<int>(kMarker)).size();
        Foreground(target);
        ::PostMessageW(targets.Window(kMarker), WM_CLOSE, 0, 0);
        EXPECT_TRUE(targets.WaitCloses(markers + 1, 5000, static_cast<int>(kMarker)));
        return static_cast<int>(targets.Closes(static_cast<int>(target)).size() - before);
    }

    // Time of the target's last foreground change, by the helper's clock.
    long long LastForegroundMs(size_t target) const {
        long long ms = -1;
        for (const LoggedEvent& e : targets.Events())
            if (e.kind == L"FOREGROUND" && e.index == static_cast<int>(target))
                ms = e.ms;
        return ms;
    }

    // The target gets one close per delay, each within its tolerance after t0, and no more.
    void ExpectClosesAfter(size_t target, long long t0, std::initializer_list<int> delaysMs) {
        const int index = static_cast<int>(target);
        const int last = std::max(delaysMs);
        ASSERT_TRUE(targets.WaitCloses(delaysMs.size(), last + 2000, index));
        PumpUntil(t0 + last + 1000);
        const std::vector<LoggedEvent> closes = targets.Closes(index);
        ASSERT_EQ(closes.size(), delaysMs.size());
        size_t i = 0;
        for (int delay : delaysMs) {
            EXPECT_GE(closes[i].ms - t0, delay - 50) << "close " << i;
            EXPECT_LE(closes[i].ms - t0, delay + 1000) << "close " << i;
            ++i;
        }
    }

    // Pumps until the time has passed (nothing more is expected before it).
    static void PumpUntil(long long ms) {
        WaitFor([&] { return NowMs() >= ms; }, static_cast<int>(ms - NowMs()) + 100);
    }

    static TargetSpec Target(const wchar_t* caption, const wchar_t* cls, int x = 100, int y = 100,
                             int w = 300, int h = 200,
                             DWORD style = WS_OVERLAPPEDWINDOW | WS_VISIBLE, DWORD exStyle = 0) {
        return TargetSpec{caption, cls, x, y, w, h, style, exStyle};
    }

    static constexpr size_t kMarker = 0;
    std::unique_ptr<CQuellixDlg> dlg;
    TargetWindows targets;
};

// Two windows and the marker; most tests need no more.
constexpr size_t A = 1, B = 2;
std::vector<TargetSpec> TwoWindows() {
    return {TargetSpec{L"Marker", L"QxMarker"}, TargetSpec{L"Alpha", L"QxAlpha", 50, 60, 300, 200},
            TargetSpec{L"Beta", L"QxBeta", 400, 300, 250, 150}};
}

// The expected status text: the report of the window at a time that the line itself gives,
// which must be the local time of the last few seconds.
void ExpectReport(const std::wstring& status, HWND hwnd, const wchar_t* caption,
                  const wchar_t* cls) {
    const size_t dash = status.find(L" - Title : ");
    ASSERT_NE(dash, std::wstring::npos) << status;
    const std::wstring time = status.substr(0, dash);
    CWindowSnapshot w;
    w.strTitle = caption;
    w.strClass = cls;
    ::GetWindowRect(hwnd, &w.rcWindow);
    w.dwStyle = static_cast<DWORD>(::GetWindowLongW(hwnd, GWL_STYLE));
    w.dwExStyle = static_cast<DWORD>(::GetWindowLongW(hwnd, GWL_EXSTYLE));
    EXPECT_EQ(status, FormatForegroundReport(time, w).GetString());

    bool recent = false;
    SYSTEMTIME now;
    ::GetLocalTime(&now);
    DATE date = 0;
    ::SystemTimeToVariantTime(&now, &date);
    for (int back = 0; back < 5 && !recent; ++back) {
        BSTR text = nullptr;
        ::VarBstrFromDate(date - back / 86400.0, LOCALE_USER_DEFAULT, 0, &text);
        recent = text != nullptr && time == text;
        ::SysFreeString(text);
    }
    EXPECT_TRUE(recent) << "time text " << std::string(time.begin(), time.end());
}

TEST_F(Watcher, StatusLineReportsEachForeignForegroundWindowWithoutRules) {
    ASSERT_TRUE(targets.Start(TwoWindows()));
    EXPECT_EQ(Status(), L"");
    Foreground(A);
    ExpectReport(Status(), targets.Window(A), L"Alpha", L"QxAlpha");
    Foreground(B);
    ExpectReport(Status(), targets.Window(B), L"Beta", L"QxBeta");

    // Our own windows are not reported, even when the event is raised for them.
    ::SetDlgItemTextW(dlg->m_hWnd, IDC_STATUS, L"unchanged");
    ::SetForegroundWindow(dlg->m_hWnd);
    ::NotifyWinEvent(EVENT_SYSTEM_FOREGROUND, dlg->m_hWnd, OBJID_WINDOW, CHILDID_SELF);
    EXPECT_FALSE(WaitFor([&] { return Status() != L"unchanged"; }, 500));
    EXPECT_TRUE(targets.Closes().empty());
}

LRESULT CALLBACK CountTextWrites(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR,
                                 DWORD_PTR writes) {
    if (msg == WM_SETTEXT)
        ++*reinterpret_cast<int*>(writes);
    return ::DefSubclassProc(hwnd, msg, wp, lp);
}

// Thread timers' messages (no window) that this thread's loop takes.
int g_threadTimerTicks = 0;

LRESULT CALLBACK CountThreadTimers(int code, WPARAM wp, LPARAM lp) {
    const MSG* msg = reinterpret_cast<const MSG*>(lp);
    if (code == HC_ACTION && wp == PM_REMOVE && msg->message == WM_TIMER && msg->hwnd == nullptr)
        ++g_threadTimerTicks;
    return ::CallNextHookEx(nullptr, code, wp, lp);
}

// Whose window the handle names now.
CWindowOwner OwnerOf(HWND hwnd) {
    CWindowOwner owner;
    owner.threadId = ::GetWindowThreadProcessId(hwnd, &owner.processId);
    return owner;
}

// Takes the actions as they happen; is told once after a burst that they may be drawn.
struct CountingLog : IActionLog {
    int logged = 0, shown = 0;
    void LogAction(RuleId, CActionEntry) override { ++logged; }
    void ShowActions() override { ++shown; }
};

TEST_F(Watcher, ABurstOfEventsWritesTheStatusLineOnceWithTheLastWindowAfterTheCloses) {
    ASSERT_TRUE(targets.Start(TwoWindows()));
    AddRule(A, Class, 0);
    CountingLog log;
    dlg->Watcher().SetActionLog(&log);
    ::SetDlgItemTextW(dlg->m_hWnd, IDC_STATUS, L"before");
    int writes = 0;
    HWND status = ::GetDlgItem(dlg->m_hWnd, IDC_STATUS);
    ::SetWindowSubclass(status, CountTextWrites, 1, reinterpret_cast<DWORD_PTR>(&writes));
    // Two events within one turn of the message loop.
    dlg->Watcher().CheckWindowAgainstRules(targets.Window(A), OwnerOf(targets.Window(A)));
    dlg->Watcher().CheckWindowAgainstRules(targets.Window(B), OwnerOf(targets.Window(B)));
    EXPECT_EQ(Status(), L"before");
    EXPECT_EQ(log.logged, 1);
    EXPECT_EQ(log.shown, 0); // drawing would compete with the window asked to close
    EXPECT_TRUE(targets.WaitCloses(1, 5000, static_cast<int>(A)));
    ASSERT_TRUE(WaitFor([&] { return Status() != L"before"; }, 5000));
    ExpectReport(Status(), targets.Window(B), L"Beta", L"QxBeta");
    // The report's timer ends with the report: it must not go on firing.
    HHOOK hook =
        ::SetWindowsHookExW(WH_GETMESSAGE, CountThreadTimers, nullptr, ::GetCurrentThreadId());
    g_threadTimerTicks = 0;
    PumpUntil(NowMs() + 200);
    ::UnhookWindowsHookEx(hook);
    EXPECT_EQ(g_threadTimerTicks, 0);
    EXPECT_EQ(writes, 1);
    EXPECT_EQ(log.shown, 1);
    dlg->Watcher().SetActionLog(nullptr);
    ::RemoveWindowSubclass(status, CountTextWrites, 1);
}

TEST_F(Watcher, EachCriterionMatchesOnlyItsOwnProperty) {
    const DWORD style = WS_OVERLAPPEDWINDOW | WS_VISIBLE;
    ASSERT_TRUE(targets.Start({
        TargetSpec{L"Marker", L"QxMarker"}, Target(L"Setup", L"QxA"), // 1: the recorded one
        Target(L"setup", L"QxA"),                                     // 2: caption case
        Target(L"Setup ", L"QxA"),                                    // 3: trailing blank
        Target(L"Setup 4", L"QxB"),                                   // 4: class
        Target(L"Setup 5", L"QxA", 101, 100),                         // 5: left
        Target(L"Setup 6", L"QxA", 100, 99),                          // 6: top
        Target(L"Setup 7", L"QxA", 500, 400),                         // 7: moved, same size
        Target(L"Setup 8", L"QxA", 100, 100, 301, 200),               // 8: width
        Target(L"Setup 9", L"QxA", 100, 100, 300, 199),               // 9: height
        Target(L"Setup 10", L"QxA", 100, 100, 300, 200, style & ~WS_MINIMIZEBOX),  // 10: style bit
        Target(L"Setup 11", L"QxA", 100, 100, 300, 200, style, WS_EX_ACCEPTFILES), // 11: ex style
    }));
    for (size_t i = 5; i <= 9; ++i) {
        RECT rc{};
        ::GetWindowRect(targets.Window(i), &rc);
        ASSERT_EQ(rc.right - rc.left, i == 8 ? 301 : 300) << i;
        ASSERT_EQ(rc.bottom - rc.top, i == 9 ? 199 : 200) << i;
    }
    // One rule per criterion, each recorded from window 1 and closing at once.
    for (int flag : {Title, Class, Location, Dimensions, Style, ExStyle})
        AddRule(1, flag, 0);
    ASSERT_EQ(dlg->RuleList().GetItemCount(), 6);

    // Window 1 matches all six rules; windows 2 and 3 fail on the caption alone, the others
    // on the caption and the one property they change.
    EXPECT_EQ(ClosesAtOnce(1), 6);
    const int expected[] = {0, 6, 5, 5, 4, 4, 4, 4, 4, 4, 4, 4};
    for (size_t i = 2; i <= 11; ++i)
        EXPECT_EQ(ClosesAtOnce(i), expected[i]) << "window " << i;

    // Moved by one pixel, the recorded window no longer has its location; back, it matches.
    targets.Move(1, 101, 100);
    EXPECT_EQ(ClosesAtOnce(1), 5);
    targets.Move(1, 100, 100);
    EXPECT_EQ(ClosesAtOnce(1), 6);
}

TEST_F(Watcher, RulesWithoutCriteriaCloseNothingAndRulesWithoutDelayCloseAtOnce) {
    ASSERT_TRUE(targets.Start(TwoWindows()));
    AddRule(A, 0, 0);
    AddRule(A, 0, -5);
    AddRule(A, Class, 0);
    EXPECT_EQ(ClosesAtOnce(B), 0);
    EXPECT_EQ(ClosesAtOnce(A), 1);
    // Handled again at every switch.
    EXPECT_EQ(ClosesAtOnce(A), 1);
}

TEST_F(Watcher, EachDelayedRuleClosesOnceAtItsOwnTime) {
    ASSERT_TRUE(targets.Start(TwoWindows()));
    AddRule(A, Class, 300);
    AddRule(A, Title | Dimensions, 900);
    EXPECT_EQ(ClosesAtOnce(A), 0);
    ExpectClosesAfter(A, LastForegroundMs(A), {300, 900});
}

TEST_F(Watcher, TheSameWindowAgainRestartsItsDelayAnotherWindowGetsItsOwn) {
    ASSERT_TRUE(targets.Start(TwoWindows()));
    AddRule(A, Style, 800); // both windows have this style
    // The same window again: the close counts from the second event.
    Foreground(A);
    PumpUntil(LastForegroundMs(A) + 400);
    Foreground(A);
    ExpectClosesAfter(A, LastForegroundMs(A), {800});
    // Another window within the delay: each is closed at its own time.
    Foreground(A);
    const long long first = LastForegroundMs(A);
    PumpUntil(first + 400);
    Foreground(B);
    ExpectClosesAfter(B, LastForegroundMs(B), {800});
    ASSERT_EQ(targets.Closes(A).size(), 2u);
    EXPECT_GE(targets.Closes(A)[1].ms - first, 800 - 50);
    EXPECT_LE(targets.Closes(A)[1].ms - first, 800 + 1000);
}

TEST_F(Watcher, ExitWithinTheDelayClosesNothing) {
    ASSERT_TRUE(targets.Start(TwoWindows()));
    AddRule(A, Class, 400);
    Foreground(A);
    const long long t0 = LastForegroundMs(A);
    DestroyDialog();
    PumpUntil(t0 + 400 + 1000);
    EXPECT_TRUE(targets.Closes().empty());
}

TEST_F(Watcher, DeletingARuleDropsOnlyItsOwnPendingClose) {
    ASSERT_TRUE(targets.Start(TwoWindows()));
    AddRule(A, Class, 600);
    AddRule(B, Class, 1200);
    Foreground(A);
    Foreground(B);
    // Delete the first rule with the Delete command; the second moves up into its row.
    ListView_SetItemState(dlg->RuleList().m_hWnd, 0, LVIS_SELECTED, LVIS_SELECTED);
    ::SendMessageW(dlg->m_hWnd, WM_COMMAND, MAKEWPARAM(IDC_DELETE_RECORD, BN_CLICKED), 0);
    ASSERT_EQ(dlg->RuleList().GetItemCount(), 1);
    ExpectClosesAfter(B, LastForegroundMs(B), {1200});
    EXPECT_TRUE(targets.Closes(A).empty());
}

} // namespace
