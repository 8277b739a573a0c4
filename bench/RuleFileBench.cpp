// Loading and saving a 10,000-rule file against a plain read and write of the same bytes,
// both through the same kind of file and in 4096-byte pieces; and the program's whole save
// (temporary file, write, flush to the disk, replace), which runs after every change.
#include "framework/DiskFile.h"
#include "framework/Utf8.h"
#include "rules/RuleFile.h"
#include "rules/RuleSet.h"

#include <benchmark/benchmark.h>

#include <unistd.h>

#include <cstdio>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

constexpr int kRules = 10000;
constexpr UINT kPiece = 4096;

CRuleSet MakeRules() {
    CRuleSet rules;
    for (int i = 0; i < kRules; ++i) {
        auto rule = std::make_unique<CRule>();
        std::u16string title =
            u"Document " + std::u16string(1, u'0' + i % 10) + u" - Text Editor 2026";
        rule->m_strTitle = title.c_str();
        rule->m_strClass = u"EditorWindowClass";
        rule->m_rcWindow = {i, -i, i + 800, 600};
        rule->m_dwStyle = 0x16CF0000;
        rule->m_nDelayMs = i;
        rules.Add(*rule);
    }
    return rules;
}

const CRuleSet& Rules() {
    static const CRuleSet rules = MakeRules();
    return rules;
}

void StoreTo(CFile& file, const CRuleSet& rules) {
    CArchive ar(&file, CArchive::store, kPiece);
    rules.Store(ar);
    ar.Close();
}

const std::vector<BYTE>& Image() {
    static const std::vector<BYTE> image = [] {
        CMemFile mem;
        StoreTo(mem, Rules());
        return mem.Data();
    }();
    return image;
}

// The rule file on disk, written once before the readers run.
const CString& DiskPath() {
    static const CString path = [] {
        const CString p =
            FromUtf8("/tmp/quellix-rulefile-bench-" + std::to_string(::getpid()) + ".dat");
        CDiskFile file;
        if (!file.Open(p, CDiskFile::modeCreate | CDiskFile::modeWrite))
            throw std::runtime_error("open failed");
        file.Write(Image().data(), static_cast<UINT>(Image().size()));
        file.Close();
        return p;
    }();
    return path;
}

std::unique_ptr<CFile> OpenDisk(bool write) {
    auto file = std::make_unique<CDiskFile>();
    if (!file->Open(DiskPath(),
                    write ? CDiskFile::modeCreate | CDiskFile::modeWrite : CDiskFile::modeRead))
        throw std::runtime_error("open failed");
    return file;
}

void ReadPlain(CFile& file, std::vector<BYTE>& out) {
    out.resize(Image().size());
    size_t done = 0;
    while (UINT n = file.Read(out.data() + done,
                              static_cast<UINT>(std::min<size_t>(kPiece, out.size() - done))))
        done += n;
}

void WritePlain(CFile& file) {
    const std::vector<BYTE>& image = Image();
    for (size_t done = 0; done < image.size(); done += kPiece)
        file.Write(image.data() + done,
                   static_cast<UINT>(std::min<size_t>(kPiece, image.size() - done)));
}

void SetBytes(benchmark::State& state) {
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * Image().size()));
}

// The same work through a file on disk and through a file in memory.
std::unique_ptr<CFile> DiskReader() {
    return OpenDisk(false);
}
std::unique_ptr<CFile> DiskWriter() {
    return OpenDisk(true);
}
std::unique_ptr<CFile> MemReader() {
    return std::make_unique<CMemFile>(Image().data(), Image().size());
}
std::unique_ptr<CFile> MemWriter() {
    return std::make_unique<CMemFile>();
}

template <std::unique_ptr<CFile> (*Open)()> void BM_ReadPlain(benchmark::State& state) {
    std::vector<BYTE> bytes;
    for (auto _ : state) {
        auto file = Open();
        ReadPlain(*file, bytes);
        benchmark::DoNotOptimize(bytes.data());
    }
    SetBytes(state);
}

template <std::unique_ptr<CFile> (*Open)()> void BM_LoadRules(benchmark::State& state) {
    CRuleSet loaded;
    for (auto _ : state) {
        // The records live on in the set; freeing them is not part of loading.
        state.PauseTiming();
        loaded.Clear();
        state.ResumeTiming();
        auto file = Open();
        CArchive ar(file.get(), CArchive::load, kPiece);
        loaded.Load(ar);
        if (loaded.GetCount() != kRules)
            state.SkipWithError("wrong count");
    }
    SetBytes(state);
}

template <std::unique_ptr<CFile> (*Open)()> void BM_WritePlain(benchmark::State& state) {
    for (auto _ : state) {
        auto file = Open();
        WritePlain(*file);
        benchmark::DoNotOptimize(file.get());
    }
    SetBytes(state);
}

template <std::unique_ptr<CFile> (*Open)()> void BM_SaveRules(benchmark::State& state) {
    for (auto _ : state) {
        auto file = Open();
        StoreTo(*file, Rules());
        benchmark::DoNotOptimize(file.get());
    }
    SetBytes(state);
}

// What every change to the rules costs: the whole save through the temporary file.
void BM_RuleFileSave(benchmark::State& state) {
    CRuleFile ruleFile(DiskPath());
    for (auto _ : state) {
        if (!ruleFile.Save(Rules()).saved)
            state.SkipWithError("save failed");
    }
    SetBytes(state);
}

} // namespace

BENCHMARK(BM_ReadPlain<DiskReader>)->Name("BM_DiskReadPlain")->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_LoadRules<DiskReader>)->Name("BM_DiskLoadRules")->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_WritePlain<DiskWriter>)->Name("BM_DiskWritePlain")->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_SaveRules<DiskWriter>)->Name("BM_DiskSaveRules")->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_RuleFileSave)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReadPlain<MemReader>)->Name("BM_MemReadPlain")->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_LoadRules<MemReader>)->Name("BM_MemLoadRules")->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_WritePlain<MemWriter>)->Name("BM_MemWritePlain")->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_SaveRules<MemWriter>)->Name("BM_MemSaveRules")->Unit(benchmark::kMicrosecond);

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    DiskPath(); // the rules, their image and the file exist before any timing
    benchmark::RunSpecifiedBenchmarks();
    std::remove(ToUtf8(DiskPath().View()).c_str());
    return 0;
}
