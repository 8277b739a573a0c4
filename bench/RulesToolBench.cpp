// quellix-rules on a 10,000-rule file, in the process: list, list --json, check and export as the
// program runs them (the file read, checked and loaded, the output made and handed on), and
// import of the exported document. The process's own start is measured with hyperfine (README).
#include "framework/Utf8.h"
#include "rules/RuleSet.h"
#include "tools/rules/Commands.h"
#include "tools/rules/RulesJson.h"

#include <benchmark/benchmark.h>

#include <unistd.h>

#include <cstdio>
#include <string>

namespace {

// Output counted, not kept.
class CNullHost : public CRulesHost {
public:
    void Out(std::string_view utf8) override { bytes += utf8.size(); }
    void Err(std::string_view utf8) override { bytes += utf8.size(); }
    bool ReadInput(std::string& text) override {
        text = input;
        return true;
    }
    CString DefaultRuleFile() override { return CString(); }
    bool ForEachWindow(bool, const std::function<void(const CWindowSnapshot&)>&) override {
        return false;
    }
    size_t bytes = 0;
    std::string input;
};

CRuleSet MakeRules() {
    CRuleSet rules;
    for (int i = 0; i < 10000; ++i) {
        auto rule = std::make_unique<CRule>();
        rule->m_strTitle = FromUtf8("Document " + std::to_string(i) + " - Text Editor \u00dc 2026");
        rule->m_strClass = FromUtf8("EditorWindowClass" + std::to_string(i % 97));
        rule->m_rcWindow = {i % 1920, i % 1080, i % 1920 + 800, i % 1080 + 600};
        rule->m_dwStyle = 0x16CF0000;
        rule->m_bMatchTitle = i % 2;
        rule->m_bMatchLocation = i % 5 == 0;
        rule->m_nDelayMs = i % 3000;
        rules.Add(*rule);
    }
    return rules;
}

const std::string& FilePath() {
    static const std::string path = [] {
        const std::string p = "/tmp/quellix-rules-bench-" + std::to_string(::getpid()) + ".dat";
        CNullHost host;
        host.input = RulesToJson(MakeRules());
        RunRulesTool({FromUtf8("import"), FromUtf8("-"), FromUtf8("--out"), FromUtf8(p)}, host);
        return p;
    }();
    return path;
}

void Command(benchmark::State& state, const char* command, const char* option) {
    std::vector<CString> args = {FromUtf8(command), FromUtf8(FilePath())};
    if (option != nullptr)
        args.push_back(FromUtf8(option));
    CNullHost host;
    for (auto _ : state) {
        if (RunRulesTool(args, host) != kExitOk)
            state.SkipWithError("the command failed");
    }
    benchmark::DoNotOptimize(host.bytes);
}
BENCHMARK_CAPTURE(Command, list, "list", nullptr)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Command, list_json, "list", "--json")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Command, check, "check", nullptr)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Command, export, "export", nullptr)->Unit(benchmark::kMillisecond);

void Import(benchmark::State& state) {
    const std::string json = RulesToJson(MakeRules());
    for (auto _ : state) {
        CRuleSet rules;
        std::string error;
        benchmark::DoNotOptimize(RulesFromJson(json, rules, error));
    }
}
BENCHMARK(Import)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    std::remove(FilePath().c_str());
    return 0;
}
