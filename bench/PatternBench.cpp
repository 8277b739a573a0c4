// Cost of the new rule kinds: one event's scan with a regular expression over titles of 1,000,
// 20,000 and 70,000 units (ordinary and pathological patterns: time per search, the memory the
// pattern holds at its peak, allocations per search), and wildcard, contains and program rules
// per rule.
#include "engine/Match.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <memory>
#include <new>
#include <string>

namespace {

// Every allocation of the program, counted: live bytes, their peak, and how many.
std::size_t g_live = 0, g_peak = 0, g_count = 0;

} // namespace

void* operator new(std::size_t size) {
    auto* block = static_cast<std::size_t*>(std::malloc(size + sizeof(std::max_align_t)));
    if (block == nullptr)
        throw std::bad_alloc();
    *block = size;
    g_live += size;
    g_peak = g_live > g_peak ? g_live : g_peak;
    ++g_count;
    return reinterpret_cast<char*>(block) + sizeof(std::max_align_t);
}
void operator delete(void* p) noexcept {
    if (p == nullptr)
        return;
    auto* block = reinterpret_cast<std::size_t*>(static_cast<char*>(p) - sizeof(std::max_align_t));
    g_live -= *block;
    std::free(block);
}
void operator delete(void* p, std::size_t) noexcept {
    operator delete(p);
}

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

// A title of `units` units: 'a's ending in "(12)", or 'a' and 'b' at random (the same each run).
std::u16string Title(long units, bool mixed) {
    std::u16string text(static_cast<size_t>(units - 4), u'a');
    unsigned seed = 1;
    for (char16_t& c : text)
        if (mixed && ((seed = seed * 1103515245 + 12345) >> 16 & 1))
            c = u'b';
    return text + u"(12)";
}

// `groups` times "(a?)", then "b".
std::u16string Groups(int groups) {
    std::u16string pattern;
    for (int i = 0; i < groups; ++i)
        pattern += u"(a?)";
    return pattern + u"b";
}

// One rule, one event with the title; the first search (which builds the matcher's states) is
// timed too, so that a pattern cannot hide its cost in a warm-up.
void BM_RegexOnLongTitle(benchmark::State& state, std::u16string pattern, bool mixed) {
    const CString title = Units(Title(state.range(0), mixed));
    CWindowSnapshot window;
    window.strTitle = title.View();
    const std::size_t before = g_live;
    g_peak = g_live;
    CRuleSet rules;
    rules.Add(*TitleRule(pattern.c_str(), TextMode::Regex));
    const CRegex* regex = rules.PatternsAt(0).title.get();
    if (regex == nullptr) {
        state.SkipWithError("the pattern is refused");
        return;
    }
    int matches = 0;
    std::size_t allocations = 0;
    for (auto _ : state) {
        const std::size_t count = g_count;
        ScanRules(rules, window, [&](int) { ++matches; });
        allocations += g_count - count;
    }
    benchmark::DoNotOptimize(matches);
    state.counters["matched"] = matches > 0 ? 1 : 0;
    state.counters["ran_out"] = regex->RanOutOfWork() ? 1 : 0;
    state.counters["peak_KiB"] = static_cast<double>(g_peak - before) / 1024;
    state.counters["allocs"] =
        benchmark::Counter(static_cast<double>(allocations), benchmark::Counter::kAvgIterations);
}
#define QUELLIX_PATTERN(name, pattern, mixed)                                                      \
    BENCHMARK_CAPTURE(BM_RegexOnLongTitle, name, pattern, mixed)                                   \
        ->Arg(1000)                                                                                \
        ->Arg(20000)                                                                               \
        ->Arg(70000)                                                                               \
        ->Unit(benchmark::kMicrosecond)
QUELLIX_PATTERN(found_at_end, u"\\(\\d+\\)$", false);
QUELLIX_PATTERN(absent_literal, u"update available", false);
QUELLIX_PATTERN(nested_quantifier, u"(a+)+b", false);
QUELLIX_PATTERN(alternation_star, u"(a|aa)*c", false);
QUELLIX_PATTERN(dot_star_per_start, u"a.*b", false);
QUELLIX_PATTERN(group_repeat_depth, u"^(?:(a)|b)*$", false);
QUELLIX_PATTERN(exponential_no_literal, u"(?:a|aa)*\\d\\d\\d", false);
QUELLIX_PATTERN(nested_anchored, u"^(a+)+$", false);
QUELLIX_PATTERN(three_counted_words, u"\\w{0,40}\\w{0,40}\\w{0,40}\\d", false);
QUELLIX_PATTERN(thousand_groups, Groups(1000), false);
// The worst found: matcher states that change at every unit.
QUELLIX_PATTERN(counted_any, u".{999}x", false);
QUELLIX_PATTERN(counted_any_mixed, u".{999}x", true);
QUELLIX_PATTERN(last_a_of_1000, u"[ab]*a[ab]{999}", true);
QUELLIX_PATTERN(last_a_of_200, u"[ab]*a[ab]{200}", true);

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
