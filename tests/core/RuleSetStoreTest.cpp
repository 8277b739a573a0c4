// The rule set: its changes with the match keys in step, and its bytes in the rule file (the
// record layout, the list around it and reading damaged files).
#include "framework/Archive.h"
#include "rules/RuleSet.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

namespace {

using Bytes = std::vector<BYTE>;
using Rules = std::vector<std::unique_ptr<CRule>>;

// Stores the rules through a rule set; they come back to the caller unchanged.
Bytes Store(Rules& rules) {
    CRuleSet set;
    for (auto& rule : rules)
        set.Add(*rule);
    CMemFile file;
    CArchive ar(&file, CArchive::store);
    set.Store(ar);
    ar.Close();
    for (auto& rule : rules)
        *rule = set.Remove(0);
    return file.Data();
}

// Hands out at most one byte per read, so every unit and integer is split across reads.
class CTrickleFile : public CMemFile {
public:
    using CMemFile::CMemFile;
    UINT Read(void* buffer, UINT count) override {
        return CMemFile::Read(buffer, count < 1 ? count : 1);
    }
};

// Loads like the program does; returns 1 when the file is damaged, 0 when it is complete.
template <class File = CMemFile> int Load(const Bytes& bytes, Rules& out, int bufferSize = 4096) {
    File file(bytes.data(), bytes.size());
    CArchive ar(&file, CArchive::load, bufferSize);
    CRuleSet set;
    const CRuleFileReport report = set.Load(ar);
    EXPECT_EQ(report.complete, set.GetCount());
    while (!set.IsEmpty())
        out.push_back(std::make_unique<CRule>(set.Remove(0)));
    return report.IsComplete() ? 0 : 1;
}

std::unique_ptr<CRule> Rule(const WCHAR16* title, const WCHAR16* cls, int delay = 100) {
    auto rule = std::make_unique<CRule>();
    rule->m_strTitle = title;
    rule->m_strClass = cls;
    rule->m_nDelayMs = delay;
    return rule;
}

void ExpectSame(const CRule& a, const CRule& b) {
    EXPECT_EQ(a.m_strTitle.View(), b.m_strTitle.View());
    EXPECT_EQ(a.m_strClass.View(), b.m_strClass.View());
    EXPECT_EQ(a.m_rcWindow.left, b.m_rcWindow.left);
    EXPECT_EQ(a.m_rcWindow.top, b.m_rcWindow.top);
    EXPECT_EQ(a.m_rcWindow.right, b.m_rcWindow.right);
    EXPECT_EQ(a.m_rcWindow.bottom, b.m_rcWindow.bottom);
    EXPECT_EQ(a.m_dwStyle, b.m_dwStyle);
    EXPECT_EQ(a.m_dwExStyle, b.m_dwExStyle);
    EXPECT_EQ(a.m_bMatchTitle, b.m_bMatchTitle);
    EXPECT_EQ(a.m_bMatchClass, b.m_bMatchClass);
    EXPECT_EQ(a.m_bMatchLocation, b.m_bMatchLocation);
    EXPECT_EQ(a.m_bMatchDimensions, b.m_bMatchDimensions);
    EXPECT_EQ(a.m_bMatchStyle, b.m_bMatchStyle);
    EXPECT_EQ(a.m_bMatchExStyle, b.m_bMatchExStyle);
    EXPECT_EQ(a.m_nDelayMs, b.m_nDelayMs);
}

const Bytes kExample = {
    0x01, 0x00, 0x00, 0x00, 0x0A, 0x00, 0x00, 0x00, 0x14, 0x00, 0x00, 0x00, 0x6E, 0x00, 0x00,
    0x00, 0xDC, 0x00, 0x00, 0x00, 0x00, 0x00, 0xCF, 0x16, 0x00, 0x01, 0x00, 0x00, 0x00, 0x00,
    0x00, 0x00, 0x01, 0x00, 0x00, 0x00, 0x01, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x01,
    0x00, 0x00, 0x00, 0x01, 0x00, 0x00, 0x00, 0x64, 0x00, 0x00, 0x00, 0x61, 0x00, 0x62, 0x00,
    0x63, 0x00, 0x0D, 0x00, 0x0A, 0x00, 0x58, 0x00, 0x59, 0x00, 0x0D, 0x00, 0x0A, 0x00,
};

std::unique_ptr<CRule> ExampleRule() {
    auto rule = Rule(_T("abc"), _T("XY"));
    rule->m_rcWindow = {10, 20, 110, 220};
    rule->m_dwStyle = 0x16CF0000;
    rule->m_dwExStyle = 0x100;
    rule->m_bMatchTitle = 0;
    rule->m_bMatchClass = 1;
    rule->m_bMatchLocation = 0;
    rule->m_bMatchDimensions = 1;
    rule->m_bMatchStyle = 1;
    rule->m_bMatchExStyle = 1;
    return rule;
}

TEST(RuleFile, ExampleFileByteForByte) {
    Rules rules;
    rules.push_back(ExampleRule());
    EXPECT_EQ(Store(rules), kExample);

    Rules loaded;
    EXPECT_EQ(Load(kExample, loaded), 0);
    ASSERT_EQ(loaded.size(), 1u);
    ExpectSame(*ExampleRule(), *loaded[0]);
}

TEST(RuleFile, EmptyListIsTheCountAlone) {
    Rules none;
    EXPECT_EQ(Store(none), (Bytes{0, 0, 0, 0}));
}

TEST(RuleFile, RoundTripKeepsOrderAndEveryValue) {
    Rules rules;
    rules.push_back(Rule(_T(""), _T(""), -250)); // empty strings, negative delay
    std::basic_string<WCHAR16> longTitle, longClass;
    for (int i = 0; i < 3000; ++i) // over 128 units, and across buffer refills
        longTitle += static_cast<WCHAR16>(0x20 + i % 0x5E);
    longClass.assign(129, static_cast<WCHAR16>(0xE9));
    longClass += static_cast<WCHAR16>(0xD83D); // a surrogate pair stays two units
    longClass += static_cast<WCHAR16>(0xDE00);
    rules.push_back(Rule(longTitle.c_str(), longClass.c_str(), 0));
    rules.back()->m_rcWindow = {-1280, -8, -1, 2147483647};
    rules.back()->m_dwStyle = 0x94C80000;
    rules.back()->m_dwExStyle = 0xFFFFFFFF;
    rules.push_back(Rule(_T("third"), _T("C3"), 2147483647));
    // Location set and Dimensions clear: the two swapped fields must not trade places.
    rules.back()->m_bMatchLocation = 1;
    rules.back()->m_bMatchDimensions = 0;
    rules.back()->m_bMatchTitle = 2; // any non-zero value is kept as it is
    rules.back()->m_bMatchExStyle = 0;

    const Bytes bytes = Store(rules);
    Rules loaded, trickled, smallBuffer;
    EXPECT_EQ(Load(bytes, loaded), 0);
    EXPECT_EQ(Load<CTrickleFile>(bytes, trickled), 0);
    EXPECT_EQ(Load(bytes, smallBuffer, 17), 0); // an odd buffer splits units between reads
    for (const Rules* out : {&loaded, &trickled, &smallBuffer}) {
        ASSERT_EQ(out->size(), rules.size());
        for (size_t i = 0; i < rules.size(); ++i)
            ExpectSame(*rules[i], *(*out)[i]);
    }
}

TEST(RuleFile, CountOfZeroReadsNothingMoreAndANegativeOneIsDamage) {
    Bytes tail = kExample;
    tail.erase(tail.begin(), tail.begin() + 4);
    for (BYTE b : {0x00, 0xFF}) { // 0 and -1
        Bytes bytes{b, b, b, b};
        bytes.insert(bytes.end(), tail.begin(), tail.end());
        Rules loaded;
        EXPECT_EQ(Load(bytes, loaded), b == 0 ? 0 : 1);
        EXPECT_TRUE(loaded.empty());
    }
    Bytes minimum{0x00, 0x00, 0x00, 0x80}; // INT_MIN, and nothing behind it
    Rules loaded;
    EXPECT_EQ(Load(minimum, loaded), 1);
    EXPECT_TRUE(loaded.empty());
}

TEST(RuleFile, CountLargerThanRecordsKeepsThemAndFailsOnce) {
    Rules rules;
    rules.push_back(Rule(_T("one"), _T("A")));
    rules.push_back(Rule(_T("two"), _T("B")));
    Bytes bytes = Store(rules);
    bytes[0] = 3;
    Rules loaded;
    EXPECT_EQ(Load(bytes, loaded), 1);
    ASSERT_EQ(loaded.size(), 2u);
    EXPECT_EQ(loaded[1]->m_strTitle, _T("two"));

    bytes[0] = 0xFF;
    bytes[3] = 0x7F; // INT_MAX records promised
    loaded.clear();
    EXPECT_EQ(Load(bytes, loaded), 1);
    EXPECT_EQ(loaded.size(), 2u);
}

TEST(RuleFile, EveryTruncationKeepsOnlyTheRecordsReadWholeBeforeIt) {
    Rules rules;
    rules.push_back(Rule(_T("ab"), _T("C")));
    rules.push_back(Rule(_T("xyz"), _T("")));
    const Bytes full = Store(rules);
    const size_t end[] = {4 + 52 + 2 * 4 + 2 * 3, 4 + 52 + 2 * 4 + 2 * 3 + 52 + 2 * 5 + 2 * 2};
    ASSERT_EQ(full.size(), end[1]);

    for (size_t cut = 0; cut <= full.size(); ++cut) {
        SCOPED_TRACE(cut);
        Rules loaded, trickled;
        const Bytes bytes(full.begin(), full.begin() + cut);
        const int errors = Load(bytes, loaded);
        EXPECT_EQ(Load<CTrickleFile>(bytes, trickled), errors);
        // A record counts only once its class line has ended, LF included.
        size_t expected = 0;
        for (size_t e : end)
            expected += cut >= e ? 1 : 0;
        ASSERT_EQ(loaded.size(), expected);
        EXPECT_EQ(trickled.size(), expected);
        EXPECT_EQ(errors, expected < 2 ? 1 : 0);
        for (size_t i = 0; i < expected; ++i)
            ExpectSame(*rules[i], *loaded[i]);
    }
}

TEST(RuleFile, LineBreaksInsideStringsAreStoredAsSpaces) {
    Rules rules;
    rules.push_back(Rule(_T("a\r\nb"), _T("\rX\n")));
    rules.push_back(Rule(_T("next"), _T("N")));
    const Bytes bytes = Store(rules);
    EXPECT_EQ(rules[0]->m_strTitle, _T("a\r\nb")); // the rule itself is unchanged

    Rules loaded;
    EXPECT_EQ(Load(bytes, loaded), 0);
    ASSERT_EQ(loaded.size(), 2u);
    EXPECT_EQ(loaded[0]->m_strTitle, _T("a  b"));
    EXPECT_EQ(loaded[0]->m_strClass, _T(" X "));
    ExpectSame(*rules[1], *loaded[1]);
}

TEST(RuleFile, LineReaderEndsAtEitherBreakAndTakesOneUnitAfterCr) {
    // "a" CR LF, "b" LF, "c" CR "d" (the unit after a CR is taken as the line end), "e" and EOF.
    const WCHAR16 units[] = _T("a\r\nb\nc\rde");
    Bytes bytes;
    for (size_t i = 0; i + 1 < std::size(units); ++i) {
        bytes.push_back(BYTE(units[i]));
        bytes.push_back(BYTE(units[i] >> 8));
    }
    bytes.push_back(0x41); // a lone last byte is no unit
    CMemFile file(bytes.data(), bytes.size());
    CArchive ar(&file, CArchive::load);
    CString line;
    const WCHAR16* expected[] = {_T("a"), _T("b"), _T("c"), _T("e")};
    for (const WCHAR16* text : expected) {
        EXPECT_TRUE(ar.ReadString(line));
        EXPECT_EQ(line, text);
    }
    EXPECT_FALSE(ar.ReadString(line));
    EXPECT_TRUE(line.IsEmpty());
}

void ExpectKeysInStep(const CRuleSet& rules) {
    ASSERT_EQ(rules.Keys().size(), static_cast<size_t>(rules.GetCount()));
    for (int i = 0; i < rules.GetCount(); ++i) {
        const CRuleKey expected = CRuleKey::Of(rules.GetAt(i));
        EXPECT_EQ(std::memcmp(&rules.Keys()[static_cast<size_t>(i)], &expected, sizeof expected), 0)
            << "rule " << i;
    }
}

TEST(RuleSet, ChangesKeepOrderIdentityAndKeys) {
    CRuleSet rules;
    for (const WCHAR16* title : {_T("a"), _T("b"), _T("c"), _T("d")})
        rules.Add(*Rule(title, _T("Cls")));
    ExpectKeysInStep(rules);

    const RuleId second = rules.GetAt(1).m_nId;
    auto values = Rule(_T("B!"), _T("Cls"), -5);
    values->m_nId = 999; // an id is the set's to give
    values->m_bMatchTitle = TRUE;
    values->m_bMatchLocation = TRUE;
    values->m_rcWindow = {1, 2, 30, 40};
    rules.Replace(1, *values);
    EXPECT_EQ(rules.GetAt(1).m_nId, second); // the same rule, changed
    EXPECT_EQ(rules.GetAt(1).m_strTitle, _T("B!"));
    EXPECT_EQ(rules.GetAt(1).m_nDelayMs, -5);
    EXPECT_EQ(rules.Keys()[1].flags & CRuleKey::kTitle, CRuleKey::kTitle);
    ExpectKeysInStep(rules);

    EXPECT_EQ(rules.Remove(0).m_strTitle, _T("a"));
    EXPECT_EQ(rules.IndexOf(second), 0);
    EXPECT_EQ(rules.GetAt(2).m_strTitle, _T("d"));
    ExpectKeysInStep(rules);
    // Ids are never given twice, not even after the last rule went.
    const RuleId last = rules.GetAt(2).m_nId;
    rules.Remove(2);
    EXPECT_EQ(rules.IndexOf(last), -1);
    EXPECT_GT(rules.GetAt(rules.Add(*Rule(_T("e"), _T("Cls")))).m_nId, last);
}

TEST(RuleSet, NeedsTheProgramWhileAnyEnabledRuleComparesIt) {
    CRuleSet rules;
    auto program = Rule(_T(""), _T("Cls"));
    program->m_bMatchProcess = TRUE;
    program->m_strProcess = _T("updater.exe");
    rules.Add(*program);
    rules.Add(*Rule(_T("b"), _T("Cls"))); // a class rule after it leaves the need
    EXPECT_TRUE(rules.NeedsProcess());
    rules.Remove(1);
    EXPECT_TRUE(rules.NeedsProcess());
    auto off = Rule(_T(""), _T("Cls"));
    off->m_bMatchProcess = TRUE;
    off->m_strProcess = _T("updater.exe");
    off->m_bEnabled = FALSE;
    rules.Replace(0, *off);
    EXPECT_FALSE(rules.NeedsProcess());
}

} // namespace
