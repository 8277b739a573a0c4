// Cost of the new rule kinds: one event's scan with a regular expression over a 70,000-unit
// title (ordinary and pathological patterns: the limits must hold), and wildcard, contains and
// program rules per rule.
#include "engine/Match.h"

#include <benchmark/benchmark.h>

#include <memory>
#include <string>

namespace {

CString Units(const std::u16string& text) {
    return CString(StringView(text.data(), text.size()));
}

std::unique_ptr<CRule> TitleRule(const char16_t* pattern, TextMode mode) {
    auto rule = std::make_unique<CRule>();
    rule->m_bMatchClass = rule->m_bMatchDimensions = FALSE;
    rule->m_bMatchStyle = rule->m_bMatchExStyle = FALSE;
    rule->m_bMatchTitle = TRUE;
    rule->m_titleMode = mode;
    rule->m_strTitle = Units(pattern);
    return rule;
}

// One rule, one event with a 70,000-unit title of 'a's ending in "(12)".
void BM_RegexOnLongTitle(benchmark::State& state, const char16_t* pattern) {
    CRuleSet rules;
    rules.Add(*TitleRule(pattern, TextMode::Regex));
    const CString title = Units(std::u16string(70000, u'a') + u"(12)");
    CWindowSnapshot window;
    window.strTitle = title.View();
    int matches = 0;
    for (auto _ : state)
        ScanRules(rules, window, [&](int) { ++matches; });
    benchmark::DoNotOptimize(matches);
    state.counters["matched"] = matches > 0 ? 1 : 0;
    state.counters["result"] = rules.PatternsAt(0).title->LastResult();
}
BENCHMARK_CAPTURE(BM_RegexOnLongTitle, found_at_end, u"\\(\\d+\\)$");
BENCHMARK_CAPTURE(BM_RegexOnLongTitle, absent_literal, u"update available");
BENCHMARK_CAPTURE(BM_RegexOnLongTitle, nested_quantifier, u"(a+)+b");
BENCHMARK_CAPTURE(BM_RegexOnLongTitle, alternation_star, u"(a|aa)*c");
BENCHMARK_CAPTURE(BM_RegexOnLongTitle, dot_star_per_start, u"a.*b");
BENCHMARK_CAPTURE(BM_RegexOnLongTitle, group_repeat_depth, u"^(?:(a)|b)*$");
BENCHMARK_CAPTURE(BM_RegexOnLongTitle, exponential_no_literal, u"(?:a|aa)*\\d\\d\\d");

// `count` rules of one kind against an ordinary window, per rule.
void BM_ScanKind(benchmark::State& state, TextMode mode, bool program) {
    const int count = static_cast<int>(state.range(0));
    CRuleSet rules;
    for (int i = 0; i < count; ++i) {
        auto rule =
            TitleRule(mode == TextMode::Wildcard ? u"Update available*" : u"available", mode);
        if (program) {
            rule->m_bMatchTitle = FALSE;
            rule->m_bMatchProcess = TRUE;
            rule->m_strProcess = Units(u"updater.exe");
        }
        rules.Add(*rule);
    }
    const CString title = Units(u"Untitled - Some Editor 000000");
    const CString image = Units(u"C:\\Program Files\\Some Editor\\editor.exe");
    CWindowSnapshot window;
    window.strTitle = title.View();
    window.strProcess = image.View();
    for (auto _ : state) {
        int matches = 0;
        ScanRules(rules, window, [&](int) { ++matches; });
        benchmark::DoNotOptimize(matches);
    }
    state.counters["per_rule"] = benchmark::Counter(static_cast<double>(count),
                                                    benchmark::Counter::kIsIterationInvariantRate |
                                                        benchmark::Counter::kInvert);
}
BENCHMARK_CAPTURE(BM_ScanKind, wildcard, TextMode::Wildcard, false)->Arg(1000);
BENCHMARK_CAPTURE(BM_ScanKind, contains, TextMode::Contains, false)->Arg(1000);
BENCHMARK_CAPTURE(BM_ScanKind, program_is, TextMode::Is, true)->Arg(1000);

} // namespace

BENCHMARK_MAIN();
