// The system callbacks' boundary: the watcher's hook and timer procedures whose work throws. The
// process lives on, the watcher keeps working, and each error is reported once, from the loop.
#include "engine/win/Watcher.h"
#include "framework/win/App.h"
#include "framework/win/Dialog.h"
#include "res/resource.h"
#include "support/Driver.h"
#include "support/InProcessApp.h"

#include <gtest/gtest.h>

#include <atomic>
#include <map>
#include <mutex>
#include <string>
#include <thread>

using namespace qt;

namespace {

CInProcessTestApp theTestApp;

class CTestError : public CException {
public:
    explicit CTestError(const wchar_t* text) : m_text(text) {}
    CString GetErrorMessage() const override { return m_text; }

private:
    CString m_text;
};

struct CThrowingReport : IForegroundReport {
    int calls = 0;
    void ShowForegroundReport(const CString&) override {
        ++calls;
        throw CTestError(L"the report failed");
    }
};

// Throws from inside the hook (a close asked at once) and the delay's timer (its close done).
struct CThrowingLog : IActionLog {
    int asked = 0, done = 0;
    void LogAction(RuleId, CActionEntry entry) override {
        if (entry.action == EAction::CloseAsked && ++asked)
            throw CTestError(L"the hook failed");
        if (entry.action == EAction::ScheduledDone && ++done)
            throw std::bad_alloc();
    }
};

// Counts the message boxes that the main window owns by their text, and answers each.
class CBoxCounter {
public:
    explicit CBoxCounter(HWND owner) : m_owner(owner), m_thread([this] { Run(); }) {}
    ~CBoxCounter() {
        m_done = true;
        m_thread.join();
    }
    std::map<std::wstring, int> Counts() {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_counts;
    }

private:
    void Run() {
        while (!m_done) {
            for (HWND box = ::FindWindowW(L"#32770", nullptr); box != nullptr;
                 box = ::FindWindowExW(nullptr, box, L"#32770", nullptr)) {
                if (::GetWindow(box, GW_OWNER) != m_owner || !::IsWindowVisible(box) ||
                    ::GetDlgItem(box, 0xFFFF) == nullptr || box == m_last)
                    continue;
                m_last = box;
                {
                    std::lock_guard<std::mutex> lock(m_mutex);
                    ++m_counts[TextOf(::GetDlgItem(box, 0xFFFF))];
                }
                ::PostMessageW(box, WM_COMMAND, IDOK, 0);
            }
            ::Sleep(5);
        }
    }

    HWND m_owner;
    std::atomic<bool> m_done{false};
    HWND m_last = nullptr;
    std::mutex m_mutex;
    std::map<std::wstring, int> m_counts;
    std::thread m_thread;
};

TEST(CallbackBoundary, ErrorsInTheHookAndTimersAreReportedOnceFromTheLoop) {
    CDialog main(IDD_ABOUTBOX);
    ASSERT_TRUE(main.Create(IDD_ABOUTBOX));
    main.ShowWindow(SW_SHOW);
    theTestApp.m_pMainWnd = &main;

    TargetWindows targets;
    TargetSpec now, later;
    now.caption = L"Boundary Now";
    later.caption = L"Boundary Later";
    now.cls = L"QxBoundaryNow";
    later.cls = L"QxBoundaryLater";
    ASSERT_TRUE(targets.Start({now, later}));

    CRuleSet rules;
    for (const auto& [cls, delay] : {std::pair{L"QxBoundaryNow", 0}, {L"QxBoundaryLater", 30}}) {
        auto rule = std::make_unique<CRule>();
        rule->m_strClass = cls;
        rule->m_bMatchDimensions = rule->m_bMatchStyle = rule->m_bMatchExStyle = FALSE;
        rule->m_nDelayMs = delay;
        rules.Add(*rule);
    }
    CThrowingReport report;
    CThrowingLog log;
    CBoxCounter boxes(main.m_hWnd);
    {
        CWatcher watcher(rules, report);
        watcher.SetActionLog(&log);
        watcher.Install(main.m_hWnd);
        // The helper raises the foreground event; a box of ours may take the foreground from
        // it, so only the watcher's calls are waited for.
        const auto foreground = [&](size_t i) {
            ::PostMessageW(targets.Window(i), ::RegisterWindowMessageW(L"QuellixTest.Foreground"),
                           0, 0);
        };
        // Each failure twice: the same error is said once.
        for (int round = 1; round <= 2; ++round) {
            foreground(0);
            ASSERT_TRUE(WaitFor([&] { return log.asked == round; }));
            foreground(1);
            ASSERT_TRUE(WaitFor([&] { return report.calls >= round && log.done == round; }));
        }
        EXPECT_TRUE(WaitFor([&] { return boxes.Counts().size() == 3; }));
        WaitFor([] { return false; }, 300); // nothing more comes
    }
    const std::map<std::wstring, int> counts = boxes.Counts();
    EXPECT_EQ(counts.size(), 3u);
    for (const wchar_t* text : {L"the hook failed", L"the report failed"})
        EXPECT_EQ(counts.count(text) ? counts.at(text) : 0, 1) << text;
    EXPECT_EQ(counts.count(CMemoryException().GetErrorMessage().GetString()), 1u);
    for (const auto& [text, count] : counts)
        EXPECT_EQ(count, 1) << std::string(text.begin(), text.end());

    theTestApp.m_pMainWnd = nullptr;
    targets.Stop();
}

} // namespace
