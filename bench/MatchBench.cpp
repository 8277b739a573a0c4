// Cost of comparing one foreground window with every rule, per rule.
#include "engine/Match.h"
#include "tests/core/ReferenceMatch.h"

#include <benchmark/benchmark.h>

#include <memory>
#include <string>
#include <vector>

namespace {

// The prefix and a six-digit number: texts of one length that differ only at their end.
CString Text(const char* prefix, int n) {
    std::string digits = std::to_string(n);
    std::string s = prefix + std::string(6 - digits.size(), '0') + digits;
    std::u16string u(s.begin(), s.end());
    return CString(StringView(u.data(), u.size()));
}

// Rules as the list holds them: separate heap records, each with its own texts.
std::vector<std::unique_ptr<CRule>> MakeRules(int count, bool likeTheWindow) {
    std::vector<std::unique_ptr<CRule>> rules;
    rules.reserve(static_cast<size_t>(count));
    for (int i = 0; i < count; ++i) {
        auto rule = std::make_unique<CRule>();
        rule->m_strTitle = likeTheWindow ? Text("Untitled - Some Editor ", 0) : Text("Doc ", i);
        rule->m_strClass = Text(likeTheWindow ? "EditorMainWindowClass" : "SomeWindowClass", i);
        rule->m_rcWindow = {100, 100, 900, 700};
        rule->m_dwStyle = likeTheWindow ? 0x16CF0000 : 0x14CF0000u + static_cast<DWORD>(i % 7);
        rule->m_dwExStyle = 0x100;
        // The editor's defaults plus the caption, so that a like rule runs every test.
        rule->m_bMatchTitle = TRUE;
        rules.push_back(std::move(rule));
    }
    return rules;
}

// Scans `count` rules with the plain matcher over the separate records, or, the program's own
// path, through the rule set's compact keys (texts compared only when their hashes agree).
void Scan(benchmark::State& state, bool likeTheWindow, bool throughTheSet) {
    const int count = static_cast<int>(state.range(0));
    auto rules = MakeRules(count, likeTheWindow);
    CRuleSet set;
    if (throughTheSet) {
        for (auto& rule : rules)
            set.Add(*rule);
    }
    const CString title = Text("Untitled - Some Editor ", 0);
    const CString cls = Text("EditorMainWindowClass", count - 1);
    CWindowSnapshot window{title.View(), cls.View(), {300, 200, 1100, 800}, 0x16CF0000, 0x100, {}};
    for (auto _ : state) {
        int matches = 0;
        if (throughTheSet) {
            ScanRules(set, window, [&](int) { ++matches; });
        } else {
            for (const auto& rule : rules)
                matches += MatchesRule(*rule, window) ? 1 : 0;
        }
        benchmark::DoNotOptimize(matches);
    }
    // Seconds per rule.
    state.counters["per_rule"] = benchmark::Counter(static_cast<double>(count),
                                                    benchmark::Counter::kIsIterationInvariantRate |
                                                        benchmark::Counter::kInvert);
}

// Most rules fail on the style, the first test.
void BM_ScanUnlikeRules(benchmark::State& state) {
    Scan(state, false, false);
}
// Every rule has the window's style, sizes and caption, and a class of the same length that
// differs only in its last units: the dearest case, two whole text comparisons per rule.
void BM_ScanLikeRules(benchmark::State& state) {
    Scan(state, true, false);
}
// The same through the rule set, as the watcher scans.
void BM_ScanRuleSetUnlike(benchmark::State& state) {
    Scan(state, false, true);
}
void BM_ScanRuleSetLike(benchmark::State& state) {
    Scan(state, true, true);
}

BENCHMARK(BM_ScanRuleSetUnlike)->Arg(1)->Arg(1000)->Arg(100000);
BENCHMARK(BM_ScanRuleSetLike)->Arg(1)->Arg(1000)->Arg(100000);
BENCHMARK(BM_ScanUnlikeRules)->Arg(1)->Arg(1000)->Arg(100000);
BENCHMARK(BM_ScanLikeRules)->Arg(1)->Arg(1000)->Arg(100000);

} // namespace

BENCHMARK_MAIN();
