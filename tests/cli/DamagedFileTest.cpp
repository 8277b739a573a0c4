// A damaged rule file as the program meets it: loaded or not, kept aside at the first save or
// not, and `check` of the same bytes giving the same verdict.
#include "ToolFixture.h"

#include "rules/RuleFile.h"

#include <memory>

namespace {

// Three rules: "First", "Second", "Third" with classes "A", "B", "C".
Bytes ThreeRules() {
    CRuleSet rules;
    const WCHAR16* const texts[][2] = {
        {_T("First"), _T("A")}, {_T("Second"), _T("B")}, {_T("Third"), _T("C")}};
    for (const auto& text : texts) {
        auto rule = std::make_unique<CRule>();
        rule->m_strTitle = text[0];
        rule->m_strClass = text[1];
        rules.Add(*rule);
    }
    return StoreRules(rules);
}

class DamagedFile : public ToolTest {
protected:
    // The files the first save moved aside.
    std::vector<std::filesystem::path> Aside() const {
        std::vector<std::filesystem::path> found;
        for (const auto& entry : std::filesystem::directory_iterator(PathOf("").parent_path()))
            if (entry.path().filename().string().starts_with("Data-unreadable-"))
                found.push_back(entry.path());
        return found;
    }
    static Bytes ReadPath(const std::filesystem::path& path) {
        std::ifstream in(path, std::ios::binary);
        return Bytes(std::istreambuf_iterator<char>(in), {});
    }

    struct Outcome {
        bool complete;
        int kept;      // rules the load kept
        bool aside;    // the original kept aside, whole, at the first save
        int checkExit; // quellix-rules check of the same bytes
    };

    // Loads the bytes as Data.dat the way the program starts, saves as it exits, and checks
    // a copy of the bytes with the tool.
    Outcome StartAndExit(const Bytes& bytes) {
        for (const auto& path : Aside())
            std::filesystem::remove(path);
        Write("Data.dat", bytes);
        Write("copy.dat", bytes);
        Outcome outcome{};
        CRuleFile file(FromUtf8(P("Data.dat")));
        CRuleSet rules;
        const CRuleFile::CLoadResult loaded = file.Load(rules, 0);
        outcome.complete = loaded.status == CRuleFile::LoadStatus::Loaded;
        outcome.kept = rules.GetCount();
        EXPECT_EQ(loaded.message.IsEmpty(), outcome.complete);
        EXPECT_TRUE(file.Save(rules).saved);
        EXPECT_EQ(Read("Data.dat"), StoreRules(rules));
        const auto aside = Aside();
        outcome.aside = aside.size() == 1 && ReadPath(aside[0]) == bytes;
        EXPECT_LE(aside.size(), 1u);
        outcome.checkExit = Run({"check", P("copy.dat")});
        return outcome;
    }
};

TEST_F(DamagedFile, EachKindIsAnIncompleteLoadKeptAsideAndCheckAgrees) {
    const Bytes full = ThreeRules();
    const size_t third = full.size() - (52 + 2 * 7 + 2 * 3); // where the third rule starts
    auto cut = [&](size_t n) { return Bytes(full.begin(), full.end() - static_cast<long>(n)); };
    auto with = [&](size_t at, BYTE value) {
        Bytes b = full;
        b[at] = value;
        return b;
    };
    const struct {
        const char* name;
        Bytes bytes;
        bool complete;
        int kept;
    } cases[] = {
        {"sound", full, true, 3},
        {"bytes after the last rule",
         [&] {
             Bytes b = full;
             b.insert(b.end(), {1, 2, 3});
             return b;
         }(),
         true, 3},
        {"empty", {}, false, 0},
        {"count cut short", {3, 0}, false, 0},
        {"count negative by one byte", with(3, 0x80), false, 0},
        {"count larger than the rules", with(0, 4), false, 3},
        {"cut inside the last title",
         Bytes(full.begin(), full.begin() + static_cast<long>(third) + 52 + 8), false, 2},
        {"cut right after the last rule's integers",
         Bytes(full.begin(), full.begin() + static_cast<long>(third) + 52), false, 2},
        {"cut inside the last rule's integers",
         Bytes(full.begin(), full.begin() + static_cast<long>(third) + 51), false, 2},
        {"last class without the LF after its CR", cut(2), false, 2},
        {"last class with half a unit", cut(1), false, 2},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const Outcome got = StartAndExit(c.bytes);
        EXPECT_EQ(got.complete, c.complete);
        EXPECT_EQ(got.kept, c.kept);
        EXPECT_EQ(got.aside, !c.complete);
        EXPECT_EQ(got.checkExit, c.complete ? 0 : 1) << host.err;
    }
}

// Over every cut of a file, the program and the tool agree on each one.
TEST_F(DamagedFile, EveryCutIsDamageToBothTheProgramAndTheTool) {
    const Bytes full = ThreeRules();
    for (size_t n = 0; n < full.size(); ++n) {
        SCOPED_TRACE(n);
        const Outcome got = StartAndExit(Bytes(full.begin(), full.begin() + static_cast<long>(n)));
        EXPECT_FALSE(got.complete);
        EXPECT_TRUE(got.aside);
        EXPECT_EQ(got.checkExit, 1);
    }
}

// A file that already has the aside name is never the one overwritten or refused.
TEST_F(DamagedFile, AFileAlreadyAtTheAsideNameIsLeftAndTheSaveStillHappens) {
    const Bytes damaged = {0xFF, 0xFF, 0xFF, 0xFF};
    Write("Data.dat", damaged);
    CRuleFile file(FromUtf8(P("Data.dat")));
    CRuleSet rules;
    ASSERT_EQ(file.Load(rules, 0).status, CRuleFile::LoadStatus::Incomplete);
    const std::filesystem::path taken(ToUtf8(file.GetAsidePath().View()));
    const Bytes other = {1, 2, 3};
    std::ofstream(taken, std::ios::binary).write("\1\2\3", 3);

    const CRuleFile::CSaveResult saved = file.Save(rules);
    EXPECT_TRUE(saved.saved) << ToUtf8(saved.message.View());
    EXPECT_EQ(ReadPath(taken), other);
    int kept = 0;
    for (const auto& path : Aside())
        kept += ReadPath(path) == damaged ? 1 : 0;
    EXPECT_EQ(kept, 1);
}

} // namespace
