// Cost of one event in the decisions (CAutoClose::OnEvent) with 1,000 closes pending against
// the same event with none: a pending close is found by its key, so the figures should agree.
// One rule at a long delay; `pending` other windows it matched wait for their closes.
#include "engine/AutoClose.h"

#include <benchmark/benchmark.h>

#include <cstdint>

namespace {

// A desktop that only answers: no window is read again and no timer ever runs.
class CQuietSystem final : public IWindowSystem {
public:
    const CWindowSnapshot* ReadWindow(HWND, CWindowOwner&) override { return nullptr; }
    CActOutcome Act(HWND, const CRule&) override { return {}; }
    void SetTimer(UINT_PTR, UINT) override { ++m_nTimers; }
    void KillTimer(UINT_PTR) override { --m_nTimers; }
    long long m_nTimers = 0;
};

HWND Handle(std::uintptr_t n) {
    return reinterpret_cast<HWND>(n);
}

enum class EWindow { Other, Matching };

void Event(benchmark::State& state, EWindow which, DWORD trigger) {
    const int pending = static_cast<int>(state.range(0));
    CRule rule;
    rule.m_strName = _T("Viewer");
    rule.m_strClass = _T("ViewerFrame");
    rule.m_rcWindow = {0, 0, 800, 600};
    rule.m_dwStyle = 0x14CF0000;
    rule.m_dwTriggers = kTriggerAll;
    rule.m_nDelayMs = 3600000;
    CRuleSet rules;
    rules.Add(rule);
    CQuietSystem system;
    CAutoClose autoClose(rules, system);

    const CString matchingClass(_T("ViewerFrame")), otherClass(_T("EditorFrame"));
    const CString title(_T("Untitled"));
    const CWindowSnapshot matching{
        title.View(), matchingClass.View(), {0, 0, 800, 600}, 0x14CF0000, 0, {}};
    const CWindowSnapshot other{
        title.View(), otherClass.View(), {0, 0, 800, 600}, 0x14CF0000, 0, {}};
    // Handles above and below the measured one, so that its key sits inside the map.
    for (int n = 0; n < pending; ++n) {
        const auto h = static_cast<std::uintptr_t>(n < pending / 2 ? 0x1000 + n : 0x9000 + n);
        autoClose.OnForeground(Handle(h), matching, {static_cast<DWORD>(n + 1), 1});
    }
    const HWND hwnd = Handle(0x5000);
    const CWindowOwner owner{0x7777, 2};
    // A matching window has its own close from the start: each event then meets it, as a
    // window coming to the foreground again does.
    if (which == EWindow::Matching)
        autoClose.OnForeground(hwnd, matching, owner);
    const CWindowSnapshot& window = which == EWindow::Matching ? matching : other;
    for (auto _ : state) {
        autoClose.OnEvent(hwnd, window, owner, trigger);
        benchmark::ClobberMemory();
    }
    if (autoClose.PendingCount() != static_cast<size_t>(pending) + (which == EWindow::Matching))
        state.SkipWithError("the pending closes changed");
    state.counters["pending"] = static_cast<double>(autoClose.PendingCount());
}

// No rule matches: the scan rejects the window and nothing else happens.
void BM_ForegroundNoMatch(benchmark::State& state) {
    Event(state, EWindow::Other, kTriggerForeground);
}
// The rule matches a window already pending: its close is dropped and scheduled anew.
void BM_ForegroundMatch(benchmark::State& state) {
    Event(state, EWindow::Matching, kTriggerForeground);
}
// A title change of a pending window keeps its close: one look-up.
void BM_TitleChangeMatch(benchmark::State& state) {
    Event(state, EWindow::Matching, kTriggerTitleChange);
}

BENCHMARK(BM_ForegroundNoMatch)->Arg(0)->Arg(1000);
BENCHMARK(BM_ForegroundMatch)->Arg(0)->Arg(1000);
BENCHMARK(BM_TitleChangeMatch)->Arg(0)->Arg(1000);

} // namespace

BENCHMARK_MAIN();
