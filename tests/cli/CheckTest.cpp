// check: every kind of damage at its offset, in agreement with what the program's loader reads.
#include "ToolFixture.h"

#include "tools/rules/RuleCheck.h"

#include <memory>

namespace {

using Result = CRuleFileCheck::Result;

// Two rules in 130 bytes: the first one's texts start at bytes 56 and 62, the second rule at 66
// and its class at 126.
Bytes TwoRules() {
    CRuleSet rules;
    for (const WCHAR16* title : {_T("a"), _T("xy")}) {
        auto rule = std::make_unique<CRule>();
        rule->m_strTitle = title;
        rules.Add(*rule);
    }
    return StoreRules(rules);
}

// What the program's loader makes of the bytes: the rules it keeps, and whether it failed.
struct CLoaded {
    int rules = 0;
    bool failed = false;
};
CLoaded Load(const Bytes& bytes) {
    CMemFile file(bytes.data(), bytes.size());
    CArchive ar(&file, CArchive::load);
    CRuleSet set;
    CLoaded loaded;
    loaded.failed = !set.Load(ar).IsComplete();
    loaded.rules = set.GetCount();
    return loaded;
}

TEST(RuleCheck, EachKindOfDamageAtItsOffset) {
    const Bytes full = TwoRules();
    ASSERT_EQ(full.size(), 130u);
    auto check = [](Bytes bytes) { return CheckRuleFile(bytes.data(), bytes.size()); };
    auto cut = [&](size_t n) { return check(Bytes(full.begin(), full.begin() + n)); };
    const struct {
        CRuleFileCheck got;
        Result result;
        size_t offset;
        int complete;
        const char* text;
    } cases[] = {
        {check(full), Result::Sound, 130, 2, ""},
        {cut(0), Result::NoCount, 0, 0, "byte 0: the file is empty: it has no rule count"},
        {cut(3), Result::NoCount, 0, 0, "byte 0: the file is cut short: 3 bytes are too few"},
        {cut(4), Result::CountTooLarge, 4, 0,
         "byte 4: the rule count is 2, but the file ends after 0 rules"},
        {cut(55), Result::CutInNumbers, 4, 0,
         "byte 4: rule 1 is cut short: the file ends at byte 55, inside its numbers"},
        {cut(59), Result::CutInTitle, 56, 0,
         "byte 56: rule 1 is cut short: the file ends at byte 59, before the end of its window "
         "text"},
        {cut(61), Result::CutInTitle, 56, 0, ""}, // the CR without the unit after it
        {cut(63), Result::CutInClass, 62, 0,
         "byte 62: rule 1 is cut short: the file ends at byte 63, before the end of its window "
         "class"},
        {cut(64), Result::CutInClass, 62, 0, ""},
        {cut(66), Result::CountTooLarge, 66, 1,
         "byte 66: the rule count is 2, but the file ends after 1 rule"},
        {cut(129), Result::CutInClass, 126, 1, "byte 126: rule 2 is cut short"},
        {check({0xFF, 0xFF, 0xFF, 0xFF, 1}), Result::NegativeCount, 0, 0,
         "byte 0: the rule count is negative (-1)"},
        {check([&] {
             Bytes b = full;
             b.insert(b.end(), {1, 2, 3});
             return b;
         }()),
         Result::TrailingBytes, 130, 2, "byte 130: 3 bytes after the last rule"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(c.got.result, c.result);
        EXPECT_EQ(c.got.offset, c.offset);
        EXPECT_EQ(c.got.complete, c.complete);
        EXPECT_EQ(DescribeCheck(c.got).find(c.text), 0u) << DescribeCheck(c.got);
    }
}

// The verdict agrees with the loader over every cut of a file and every count it may give.
TEST(RuleCheck, AgreesWithTheLoader) {
    Bytes bytes = TwoRules();
    bytes.insert(bytes.end(), {0x0A, 0x00, 0x0D}); // trailing bytes, an LF line end for a third
    for (BYTE count : {0, 1, 2, 3, 4, 0x80}) {
        bytes[0] = count;
        bytes[3] = count == 0x80 ? 0x80 : 0;
        for (size_t n = 0; n <= bytes.size(); ++n) {
            SCOPED_TRACE(testing::Message() << "count " << int(count) << ", " << n << " bytes");
            const Bytes part(bytes.begin(), bytes.begin() + n);
            const CRuleFileCheck check = CheckRuleFile(part.data(), part.size());
            const CLoaded loaded = Load(part);
            // Damaged exactly when the loader says so; it keeps the rules read whole.
            EXPECT_EQ(loaded.failed, !check.Readable());
            EXPECT_EQ(loaded.rules, check.complete);
            EXPECT_TRUE(!check.Readable() || check.complete == check.count);
        }
    }
}

TEST_F(ToolTest, CheckExitsOneOnDamageAndZeroWithAWarningForTrailingBytes) {
    Bytes bytes = TwoRules();
    Write("sound.dat", bytes);
    EXPECT_EQ(Run({"check", P("sound.dat")}), 0);
    EXPECT_EQ(host.out, P("sound.dat") + ": sound, 2 rules in 130 bytes\n");
    EXPECT_EQ(host.err, "");

    bytes.push_back(0);
    Write("tail.dat", bytes);
    EXPECT_EQ(Run({"check", P("tail.dat")}), 0);
    EXPECT_EQ(host.out, P("tail.dat") + ": 2 rules in 131 bytes\n");
    EXPECT_EQ(host.err, P("tail.dat") + ": warning: byte 130: 1 byte after the last rule, which "
                                        "Quellix ignores\n");

    bytes.resize(100);
    Write("cut.dat", bytes);
    EXPECT_EQ(Run({"check", P("cut.dat")}), 1);
    EXPECT_EQ(host.out, "");
    EXPECT_EQ(host.err, P("cut.dat") + ": byte 66: rule 2 is cut short: the file ends at byte "
                                       "100, inside its numbers\n");

    EXPECT_EQ(Run({"check", P("missing.dat")}), 1);
    EXPECT_NE(host.err.find("no such file"), std::string::npos);
}

} // namespace
