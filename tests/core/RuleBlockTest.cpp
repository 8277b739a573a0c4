// The rule block after the records: round trip, what a reader of the records alone sees, and
// blocks that cannot be used.
#include "engine/Match.h"
#include "tests/core/ReferenceMatch.h"
#include "framework/Archive.h"
#include "rules/RuleBlock.h"
#include "rules/RuleFields.h"
#include "rules/RuleSet.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

namespace {

using Bytes = std::vector<BYTE>;

std::unique_ptr<CRule> Plain(const WCHAR16* title) {
    auto rule = std::make_unique<CRule>();
    rule->m_strTitle = title;
    rule->m_strClass = _T("Cls");
    rule->m_rcWindow = RECT{1, 2, 301, 202};
    rule->m_bMatchTitle = TRUE;
    return rule;
}

// One rule of each kind the records cannot say, between two plain ones.
void AddMixed(CRuleSet& set) {
    set.Add(*Plain(_T("plain")));
    auto named = Plain(_T("named"));
    named->m_strName = _T("only a name");
    set.Add(*named);
    auto off = Plain(_T("off"));
    off->m_bEnabled = FALSE;
    set.Add(*off);
    auto pattern = Plain(_T("Update*"));
    pattern->m_titleMode = TextMode::Wildcard;
    pattern->m_nDelayMs = 0;
    set.Add(*pattern);
    auto program = Plain(_T(""));
    program->m_bMatchTitle = FALSE;
    program->m_bMatchProcess = TRUE;
    program->m_strProcess = _T("updater.exe");
    program->m_processMode = TextMode::Regex;
    program->m_classMode = TextMode::Contains;
    set.Add(*program);
    auto shown = Plain(_T("shown"));
    shown->m_dwTriggers = kTriggerShown | kTriggerTitleChange;
    set.Add(*shown);
}

Bytes Store(const CRuleSet& set) {
    CMemFile file;
    CArchive ar(&file, CArchive::store);
    set.Store(ar);
    ar.Close();
    return file.Data();
}

// Loads the bytes; returns the block's complaint, empty when there is none.
CString Load(const Bytes& bytes, CRuleSet& set) {
    CMemFile file(bytes.data(), bytes.size());
    CArchive ar(&file, CArchive::load, 16);
    return set.Load(ar).problem;
}

size_t RecordsEnd(const Bytes& bytes) {
    for (size_t i = 0; i + 4 <= bytes.size(); ++i)
        if (std::equal(CRuleBlock::kTag, CRuleBlock::kTag + 4, bytes.begin() + long(i)))
            return i;
    return bytes.size();
}

TEST(RuleBlock, RoundTripKeepsEveryMember) {
    CRuleSet set;
    AddMixed(set);
    CRuleSet back;
    ASSERT_TRUE(Load(Store(set), back).IsEmpty());
    ASSERT_EQ(back.GetCount(), set.GetCount());
    for (int i = 0; i < set.GetCount(); ++i) {
        const CRule &a = set.GetAt(i), &b = back.GetAt(i);
        EXPECT_EQ(a.m_strTitle.View(), b.m_strTitle.View()) << i;
        EXPECT_EQ(a.m_strName.View(), b.m_strName.View()) << i;
        EXPECT_EQ(a.m_strProcess.View(), b.m_strProcess.View()) << i;
        EXPECT_EQ(a.m_bEnabled, b.m_bEnabled) << i;
        EXPECT_EQ(a.m_bMatchTitle, b.m_bMatchTitle) << i;
        EXPECT_EQ(a.m_bMatchDimensions, b.m_bMatchDimensions) << i;
        EXPECT_EQ(a.m_bMatchProcess, b.m_bMatchProcess) << i;
        EXPECT_EQ(a.m_titleMode, b.m_titleMode) << i;
        EXPECT_EQ(a.m_classMode, b.m_classMode) << i;
        EXPECT_EQ(a.m_processMode, b.m_processMode) << i;
        EXPECT_EQ(a.m_dwTriggers, b.m_dwTriggers) << i;
        EXPECT_EQ(a.m_rcWindow.right, b.m_rcWindow.right) << i;
        EXPECT_EQ(a.m_nDelayMs, b.m_nDelayMs) << i;
    }
    // Loaded rules are indexed again: the wildcard rule matches through the scan.
    CWindowSnapshot window;
    window.strTitle = StringView(_T("update ready"));
    window.strClass = StringView(_T("Cls"));
    window.rcWindow = RECT{1, 2, 301, 202};
    int matched = -1;
    ScanRules(back, window, [&](int i) { matched = i; });
    EXPECT_EQ(matched, 3);
}

TEST(RuleBlock, PlainRulesAreTodaysBytesWithoutABlock) {
    CRuleSet set;
    set.Add(*Plain(_T("a")));
    set.Add(*Plain(_T("b")));
    const Bytes bytes = Store(set);
    EXPECT_EQ(RecordsEnd(bytes), bytes.size());
    EXPECT_EQ(bytes.size(), 4 + 2 * (13 * 4 + 2 * (1 + 2) + 2 * (3 + 2)));
}

TEST(RuleBlock, AReaderOfTheRecordsAloneActsOnNothingItCannotExpress) {
    CRuleSet set;
    AddMixed(set);
    Bytes bytes = Store(set);
    bytes.resize(RecordsEnd(bytes)); // what an older reader takes
    CRuleSet old;
    ASSERT_TRUE(Load(bytes, old).IsEmpty());
    ASSERT_EQ(old.GetCount(), 6);
    for (int i = 0; i < old.GetCount(); ++i) {
        const CRule& rule = old.GetAt(i);
        const bool fits = i < 2;
        CWindowSnapshot window;
        window.strTitle = rule.m_strTitle.View();
        window.strClass = rule.m_strClass.View();
        for (RECT rc : {RECT{1, 2, 301, 202}, RECT{0, 0, 0, 0}, RECT{-5, -5, 1 << 30, 1 << 30}}) {
            window.rcWindow = rc;
            EXPECT_EQ(MatchesRule(rule, window), fits && rc.left == 1) << i;
        }
    }
}

TEST(RuleBlock, DamagedOrNewerBlockIsAnIncompleteLoadWithItsOffset) {
    CRuleSet set;
    AddMixed(set);
    const Bytes good = Store(set);
    const size_t block = RecordsEnd(good);
    struct CCase {
        size_t at; // byte changed, from the block's start; or the new size when cut
        bool cut;
        const WCHAR16* says;
        size_t offset;
    } const cases[] = {
        {40, false, _T("checksum"), 12},   {4, false, _T("newer"), 4},
        {11, false, _T("ends before"), 8}, {10, true, _T("cut short"), 0},
        {30, true, _T("ends before"), 8},
    };
    for (const CCase& c : cases) {
        Bytes bytes = good;
        if (c.cut)
            bytes.resize(block + c.at);
        else
            bytes[block + c.at] ^= 0x40;
        CRuleSet back;
        const CString message = Load(bytes, back);
        EXPECT_NE(message.View().find(c.says), StringView::npos) << message.GetLength();
        CString where;
        where.Format(_T("byte %d:"), static_cast<int>(block + c.offset));
        EXPECT_EQ(message.View().find(where.View()), 0u) << c.at;
        EXPECT_EQ(back.GetCount(), 6); // the records stay read; inert ones match nothing
    }
}

TEST(RuleBlock, ItsChecksumIsTheStandardCrc32) {
    const char* check = "123456789";
    EXPECT_EQ(CRuleBlock::Crc32(reinterpret_cast<const BYTE*>(check), 9), 0xCBF43926u);
    CRuleSet set;
    AddMixed(set);
    const Bytes bytes = Store(set);
    const BYTE* block = bytes.data() + RecordsEnd(bytes);
    const size_t length = bytes.size() - RecordsEnd(bytes) - CRuleBlock::kHeaderSize;
    const std::uint32_t stored = std::uint32_t(block[12]) | std::uint32_t(block[13]) << 8 |
                                 std::uint32_t(block[14]) << 16 | std::uint32_t(block[15]) << 24;
    EXPECT_EQ(stored, CRuleBlock::Crc32(block + CRuleBlock::kHeaderSize, length));
}

TEST(RuleBlock, ABlockOfVersion0OrOfFewerEntriesThanRulesIsNotUsed) {
    CRuleSet set;
    AddMixed(set);
    const Bytes good = Store(set);
    const size_t end = RecordsEnd(good);

    Bytes version0 = good;
    version0[end + 4] = 0;
    CRuleSet back;
    EXPECT_NE(Load(version0, back).View().find(_T("version is not valid")), StringView::npos);

    // The records of six rules, then the sound block of the first five.
    CRuleSet five;
    AddMixed(five);
    five.Remove(5);
    const Bytes fewer = Store(five);
    Bytes mixed(good.begin(), good.begin() + long(end));
    mixed.insert(mixed.end(), fewer.begin() + long(RecordsEnd(fewer)), fewer.end());
    CRuleSet shortBack;
    EXPECT_NE(Load(mixed, shortBack).View().find(_T("entry count differs")), StringView::npos);
}

// One rule for each action, a follow-up and a message: the block's tagged fields.
void AddActions(CRuleSet& set) {
    auto press = Plain(_T("Question"));
    press->m_action = ERuleAction::Press;
    press->m_strButton = _T("No");
    set.Add(*press);
    auto byId = Plain(_T("Question"));
    byId->m_action = ERuleAction::Press;
    byId->m_nButtonId = 7;
    byId->m_bMatchMessage = TRUE;
    byId->m_strMessage = _T("Save changes?");
    set.Add(*byId);
    auto minimize = Plain(_T("Player"));
    minimize->m_action = ERuleAction::Minimize;
    set.Add(*minimize);
    auto escalate = Plain(_T("Stubborn"));
    escalate->m_escalate = EEscalate::End;
    escalate->m_nEscalateAfterMs = 500;
    set.Add(*escalate);
}

TEST(RuleBlock, ActionsRoundTripAndTheRecordsAloneLeaveThemInert) {
    CRuleSet set;
    AddActions(set);
    Bytes bytes = Store(set);
    const size_t end = RecordsEnd(bytes);
    ASSERT_LT(end, bytes.size());
    EXPECT_EQ(bytes[end + 4], 2); // a reader of version 1 calls it newer and keeps the records
    CRuleSet back;
    ASSERT_TRUE(Load(bytes, back).IsEmpty());
    for (int i = 0; i < set.GetCount(); ++i)
        for (const CRuleField& field : RuleFields())
            EXPECT_EQ(FieldText(field, set.GetAt(i)).View(), FieldText(field, back.GetAt(i)).View())
                << i << " " << field.name;

    bytes.resize(end);
    CRuleSet old;
    ASSERT_TRUE(Load(bytes, old).IsEmpty());
    for (int i = 0; i < old.GetCount(); ++i) {
        CWindowSnapshot window;
        window.strTitle = set.GetAt(i).m_strTitle.View();
        window.strClass = StringView(_T("Cls"));
        window.rcWindow = RECT{1, 2, 301, 202};
        EXPECT_FALSE(MatchesRule(old.GetAt(i), window)) << i; // never closes what it presses
    }
}

TEST(RuleBlock, ATaggedNumberOfAnotherLengthIsDamage) {
    CRuleSet set;
    AddActions(set);
    Bytes bytes = Store(set);
    const size_t block = RecordsEnd(bytes);
    // The first rule's action: tag 1, must be understood, 4 bytes; say 2, checksum kept sound.
    const BYTE action[] = {1, 0, 1, 0, 4, 0, 0, 0};
    const auto at = std::search(bytes.begin() + long(block), bytes.end(), action, action + 8);
    ASSERT_NE(at, bytes.end());
    at[4] = 2;
    const size_t body = block + CRuleBlock::kHeaderSize;
    const std::uint32_t crc = CRuleBlock::Crc32(bytes.data() + body, bytes.size() - body);
    for (int k = 0; k < 4; ++k)
        bytes[block + 12 + size_t(k)] = BYTE(crc >> (8 * k));
    CRuleSet back;
    EXPECT_NE(Load(bytes, back).View().find(_T("values no rule can have")), StringView::npos);
}

TEST(RuleBlock, ANewerCopysFieldsAreKeptAndOneThatMustBeUnderstoodMakesTheRuleInert) {
    for (const bool must : {false, true}) {
        CRuleSet set;
        auto rule = Plain(_T("later"));
        // Tag 99, its flags, four bytes of value, as a newer Quellix writes it.
        rule->m_unknownFields = {99, 0, BYTE(must ? 1 : 0), 0, 4, 0, 0, 0, 1, 2, 3, 4};
        set.Add(*rule);
        const Bytes bytes = Store(set);
        CRuleSet back;
        const CString problem = Load(bytes, back);
        ASSERT_EQ(back.GetCount(), 1);
        EXPECT_EQ(back.GetAt(0).m_bNeedsNewer, must);
        EXPECT_EQ(back.IsUsable(0), !must);
        EXPECT_EQ(problem.IsEmpty(), !must);
        EXPECT_EQ(Store(back), bytes); // saved again as it was read
    }
}

} // namespace
