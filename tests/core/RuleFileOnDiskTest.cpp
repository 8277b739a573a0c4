// The rule file on the disk: saves that never destroy the previous file, and damaged or locked
// files kept aside instead of overwritten.
#include "framework/DiskFile.h"
#include "framework/Utf8.h"
#include "rules/RuleFile.h"
#include "rules/RuleSet.h"

#include <gtest/gtest.h>

#ifndef _WIN32
#include <csignal>
#include <sys/resource.h>
#include <unistd.h>
#endif

#include <chrono>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <thread>

namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<char>;

// On the disk through the POSIX file layer; the Windows one is tested under Wine.
#ifndef _WIN32
std::unique_ptr<CRule> Rule(const WCHAR16* title, int delay = 100) {
    auto rule = std::make_unique<CRule>();
    rule->m_strTitle = title;
    rule->m_strClass = _T("Cls");
    rule->m_nDelayMs = delay;
    return rule;
}

class RuleFileOnDisk : public ::testing::Test {
protected:
    void SetUp() override {
        dir = fs::temp_directory_path() /
              ("quellix-rulefile-" + std::to_string(::getpid()) + "-" +
               ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(dir);
        fs::create_directories(dir);
    }
    void TearDown() override { fs::remove_all(dir); }

    CString Path(const char* name = "Data.dat") const { return FromUtf8((dir / name).string()); }
    Bytes Read(const fs::path& p) const {
        std::ifstream in(p, std::ios::binary);
        return Bytes(std::istreambuf_iterator<char>(in), {});
    }
    void Write(const Bytes& bytes) const {
        std::ofstream(dir / "Data.dat", std::ios::binary)
            .write(bytes.data(), std::streamsize(bytes.size()));
    }
    std::vector<fs::path> Asides() const {
        std::vector<fs::path> found;
        for (const auto& entry : fs::directory_iterator(dir))
            if (entry.path().filename().string().starts_with("Data-unreadable-"))
                found.push_back(entry.path());
        return found;
    }
    // Saves two rules and returns the file's bytes.
    Bytes SaveTwo() {
        CRuleSet rules;
        rules.Add(*Rule(_T("one")));
        rules.Add(*Rule(_T("two")));
        CRuleFile file(Path());
        EXPECT_TRUE(file.Save(rules).saved);
        return Read(dir / "Data.dat");
    }

    fs::path dir;
};

TEST_F(RuleFileOnDisk, SavesLoadsAndTreatsAMissingFileAsAFirstStart) {
    CRuleSet rules;
    CRuleFile file(Path());
    EXPECT_EQ(file.Load(rules).status, CRuleFile::LoadStatus::Missing);
    EXPECT_TRUE(rules.IsEmpty());

    const Bytes bytes = SaveTwo();
    EXPECT_EQ(bytes.size(), 4u + 2 * (60 + 6 + 6));
    EXPECT_EQ(file.Load(rules).status, CRuleFile::LoadStatus::Loaded);
    ASSERT_EQ(rules.GetCount(), 2);
    EXPECT_EQ(rules.GetAt(1).m_strTitle, _T("two"));
    EXPECT_FALSE(fs::exists(dir / "Data.dat.tmp"));
}

TEST_F(RuleFileOnDisk, AWriteErrorPartwayLeavesThePreviousFileByteForByte) {
    const Bytes before = SaveTwo();
    CRuleSet rules;
    for (int i = 0; i < 200; ++i) // more than one buffer
        rules.Add(*Rule(_T("a longer title than before")));
    // Writes past 1000 bytes fail, as on a full disk (the save never follows a link planted
    // at its temporary file's name, so a failing device cannot stand in for it).
    rlimit limit{};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &limit), 0);
    const rlimit small{1000, limit.rlim_max};
    const auto oldHandler = ::signal(SIGXFSZ, SIG_IGN);
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
    const CRuleFile::CSaveResult result = CRuleFile(Path()).Save(rules);
    ::setrlimit(RLIMIT_FSIZE, &limit);
    ::signal(SIGXFSZ, oldHandler);
    EXPECT_FALSE(result.saved);
    EXPECT_NE(result.message.View().find(Path().View()), StringView::npos); // names Data.dat
    EXPECT_EQ(Read(dir / "Data.dat"), before);
    for (const auto& entry : fs::directory_iterator(dir)) // no temporary file is left
        EXPECT_EQ(entry.path().filename(), "Data.dat");
}

TEST_F(RuleFileOnDisk, ATruncatedFileIsKeptAsideBeforeTheFirstSave) {
    Bytes original = SaveTwo();
    original.resize(original.size() - 30); // inside the second record's integers
    Write(original);

    CRuleSet rules;
    CRuleFile file(Path());
    const CRuleFile::CLoadResult loaded = file.Load(rules);
    ASSERT_EQ(loaded.status, CRuleFile::LoadStatus::Incomplete);
    EXPECT_EQ(rules.GetCount(), 1); // the records before the cut stay
    EXPECT_TRUE(loaded.message.View().starts_with(_T("An attempt was made to read past the end")));
    const fs::path aside = ToUtf8(file.GetAsidePath().View());
    EXPECT_NE(ToUtf8(loaded.message.View()).find(aside.filename().string()), std::string::npos);
    EXPECT_TRUE(Asides().empty()); // nothing moves before a save

    rules.Add(*Rule(_T("new")));
    ASSERT_TRUE(file.Save(rules).saved);
    ASSERT_EQ(Asides().size(), 1u);
    EXPECT_EQ(Asides()[0], aside);
    EXPECT_EQ(Read(Asides()[0]), original);
    ASSERT_TRUE(file.Save(rules).saved); // later saves replace Data.dat as usual
    EXPECT_EQ(Asides().size(), 1u);
}

TEST_F(RuleFileOnDisk, AFileHeldByAnotherProgramIsRetriedThenKept) {
    const Bytes original = SaveTwo();
    auto holder = std::make_unique<CDiskFile>();
    ASSERT_TRUE(holder->Open(Path(), CDiskFile::modeRead | CDiskFile::shareExclusive));

    CRuleSet rules;
    CRuleFile file(Path());
    EXPECT_EQ(file.Load(rules, 200).status, CRuleFile::LoadStatus::Incomplete);
    EXPECT_TRUE(rules.IsEmpty());

    // Released while the next start still tries: it loads.
    std::thread release([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        holder.reset();
    });
    CRuleFile later(Path());
    EXPECT_EQ(later.Load(rules, 5000).status, CRuleFile::LoadStatus::Loaded);
    release.join();
    EXPECT_EQ(rules.GetCount(), 2);

    // The first file gave up: its save keeps the original bytes aside.
    ASSERT_TRUE(file.Save(CRuleSet()).saved);
    ASSERT_EQ(Asides().size(), 1u);
    EXPECT_EQ(Read(Asides()[0]), original);
}

TEST_F(RuleFileOnDisk, AnIncompleteLoadSaysWhatIsWrongWithTheRuleDetails) {
    CRuleSet rules;
    auto named = Rule(_T("named"));
    named->m_strName = _T("n");
    rules.Add(*named);
    ASSERT_TRUE(CRuleFile(Path()).Save(rules).saved);
    Bytes bytes = Read(dir / "Data.dat");
    bytes.back() ^= 1; // inside the block's body
    Write(bytes);
    CRuleSet back;
    const CRuleFile::CLoadResult result = CRuleFile(Path()).Load(back);
    EXPECT_EQ(result.status, CRuleFile::LoadStatus::Incomplete);
    EXPECT_NE(result.message.View().find(_T("checksum does not match")), StringView::npos)
        << ToUtf8(result.message.View());
}

// What an older Quellix writes: the records of the file, without the block after them.
Bytes OlderSave(const Bytes& bytes) {
    for (size_t i = 0; i + 4 <= bytes.size(); ++i)
        if (std::memcmp(bytes.data() + i, "QLXB", 4) == 0)
            return Bytes(bytes.begin(), bytes.begin() + long(i));
    return bytes;
}

TEST_F(RuleFileOnDisk, AnOlderCopysSaveIsUndoneOnlyWhileTheRecordsAreTheSame) {
    CRuleSet rules;
    rules.Add(*Rule(_T("plain")));
    auto named = Rule(_T("Update*"));
    named->m_strName = _T("nag");
    named->m_titleMode = TextMode::Wildcard; // inert in the records
    named->m_bEnabled = FALSE;
    named->m_strProcess = _T("updater.exe");
    named->m_dwTriggers = kTriggerShown;
    rules.Add(*named);
    ASSERT_TRUE(CRuleFile(Path()).Save(rules).saved);
    const Bytes saved = Read(dir / "Data.dat");
    const Bytes older = OlderSave(saved);
    ASSERT_LT(older.size(), saved.size());

    // The older copy saved the records alone: the next start gives the rules back, once.
    Write(older);
    CRuleSet back;
    CRuleFile file(Path());
    CRuleFile::CLoadResult result = file.Load(back);
    EXPECT_EQ(result.status, CRuleFile::LoadStatus::Loaded);
    EXPECT_NE(result.message.View().find(_T("restored")), StringView::npos);
    ASSERT_EQ(back.GetCount(), 2);
    const CRule& rule = back.GetAt(1);
    EXPECT_EQ(rule.m_strName, _T("nag"));
    EXPECT_EQ(rule.m_titleMode, TextMode::Wildcard);
    EXPECT_FALSE(rule.m_bEnabled);
    EXPECT_EQ(rule.m_strProcess, _T("updater.exe"));
    EXPECT_EQ(rule.m_dwTriggers, kTriggerShown);
    EXPECT_EQ(rule.m_rcWindow.right, 0); // the whole rule, not the inert record
    ASSERT_TRUE(file.Save(back).saved);
    EXPECT_EQ(Read(dir / "Data.dat"), saved);
    CRuleSet again;
    EXPECT_TRUE(file.Load(again).message.IsEmpty());

    // Records that the older copy changed get nothing: the inert one stays inert.
    Bytes changed = older;
    changed[4 + 13 * 4 + 1] ^= 1; // the first rule's title
    Write(changed);
    CRuleSet kept;
    result = CRuleFile(Path()).Load(kept);
    EXPECT_EQ(result.status, CRuleFile::LoadStatus::Loaded);
    EXPECT_NE(result.message.View().find(_T("not used")), StringView::npos);
    ASSERT_EQ(kept.GetCount(), 2);
    EXPECT_TRUE(kept.GetAt(1).m_strName.IsEmpty());
    EXPECT_EQ(kept.GetAt(1).m_rcWindow.right, -1);
    EXPECT_TRUE(kept.GetAt(1).m_bEnabled);

    // A save that needs no block leaves no copy behind to restore later.
    ASSERT_TRUE(CRuleFile(Path()).Save(kept).saved);
    EXPECT_FALSE(fs::exists(dir / "Data.dat.details"));
}

#endif

TEST(RuleFileAside, NameCarriesTheLocalTimeAndANumberWhenTaken) {
    const CDateTime t{2026, 3, 4, 5, 6, 7};
    EXPECT_EQ(
        UnreadableAsideName(_T("C:\\Users\\u\\AppData\\Local\\Velmora-Quellix\\Data.dat"), t, 0),
        _T("C:\\Users\\u\\AppData\\Local\\Velmora-Quellix\\Data-unreadable-20260304-050607.dat"));
    EXPECT_EQ(UnreadableAsideName(_T("/tmp/x/Data.dat"), {2026, 12, 31, 23, 59, 58}, 2),
              _T("/tmp/x/Data-unreadable-20261231-235958-2.dat"));
}

} // namespace
