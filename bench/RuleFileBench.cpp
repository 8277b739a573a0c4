// Loading and saving a 10,000-rule file against a plain read and write of the same bytes,
// both through the same kind of file and in 4096-byte pieces.
#include "framework/Archive.h"
#include "rules/RuleArchive.h"

#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

constexpr int kRules = 10000;
constexpr UINT kPiece = 4096;

// A file on disk through POSIX calls, the native stand-in for CDiskFile.
class CPosixFile : public CFile {
public:
    CPosixFile(const char* path, bool write)
        : m_fd(write ? ::open(path, O_WRONLY | O_CREAT | O_TRUNC, 0644) : ::open(path, O_RDONLY)) {
        if (m_fd < 0)
            throw std::runtime_error("open failed");
    }
    ~CPosixFile() override { ::close(m_fd); }
    UINT Read(void* buffer, UINT count) override {
        return static_cast<UINT>(::read(m_fd, buffer, count));
    }
    void Write(const void* buffer, UINT count) override {
        if (::write(m_fd, buffer, count) != static_cast<ssize_t>(count))
            throw std::runtime_error("write failed");
    }

private:
    int m_fd;
};

std::vector<std::unique_ptr<CWindowInfo>> MakeRules() {
    std::vector<std::unique_ptr<CWindowInfo>> rules;
    for (int i = 0; i < kRules; ++i) {
        auto rule = std::make_unique<CWindowInfo>();
        std::u16string title =
            u"Document " + std::u16string(1, u'0' + i % 10) + u" - Text Editor 2026";
        rule->m_strTitle = title.c_str();
        rule->m_strClass = u"EditorWindowClass";
        rule->m_rcWindow = {i, -i, i + 800, 600};
        rule->m_dwStyle = 0x16CF0000;
        rule->m_nDelayMs = i;
        rules.push_back(std::move(rule));
    }
    return rules;
}

const std::vector<std::unique_ptr<CWindowInfo>>& Rules() {
    static const auto rules = MakeRules();
    return rules;
}

void StoreTo(CFile& file, const std::vector<std::unique_ptr<CWindowInfo>>& rules) {
    CArchive ar(&file, CArchive::store, kPiece);
    StoreRules(ar, static_cast<int>(rules.size()),
               [&](int i) -> const CWindowInfo& { return *rules[static_cast<size_t>(i)]; });
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

const char* DiskPath() {
    static const std::string path = [] {
        std::string p = "/tmp/quellix-rulefile-bench-" + std::to_string(::getpid()) + ".dat";
        CPosixFile file(p.c_str(), true);
        file.Write(Image().data(), static_cast<UINT>(Image().size()));
        return p;
    }();
    return path.c_str();
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

void LoadFrom(CFile& file, std::vector<std::unique_ptr<CWindowInfo>>& out) {
    CArchive ar(&file, CArchive::load, kPiece);
    LoadRules(ar, [&](std::unique_ptr<CWindowInfo> rule) { out.push_back(std::move(rule)); });
}

void SetBytes(benchmark::State& state) {
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * Image().size()));
}

// The same work through a file on disk and through a file in memory.
std::unique_ptr<CFile> DiskReader() {
    return std::make_unique<CPosixFile>(DiskPath(), false);
}
std::unique_ptr<CFile> DiskWriter() {
    return std::make_unique<CPosixFile>(DiskPath(), true);
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
    std::vector<std::unique_ptr<CWindowInfo>> loaded;
    loaded.reserve(kRules);
    for (auto _ : state) {
        // The records live on in the list; freeing them is not part of loading.
        state.PauseTiming();
        loaded.clear();
        state.ResumeTiming();
        auto file = Open();
        LoadFrom(*file, loaded);
        if (loaded.size() != kRules)
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

} // namespace

BENCHMARK(BM_ReadPlain<DiskReader>)->Name("BM_DiskReadPlain")->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_LoadRules<DiskReader>)->Name("BM_DiskLoadRules")->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_WritePlain<DiskWriter>)->Name("BM_DiskWritePlain")->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_SaveRules<DiskWriter>)->Name("BM_DiskSaveRules")->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ReadPlain<MemReader>)->Name("BM_MemReadPlain")->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_LoadRules<MemReader>)->Name("BM_MemLoadRules")->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_WritePlain<MemWriter>)->Name("BM_MemWritePlain")->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_SaveRules<MemWriter>)->Name("BM_MemSaveRules")->Unit(benchmark::kMicrosecond);

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    std::remove(DiskPath());
    return 0;
}
