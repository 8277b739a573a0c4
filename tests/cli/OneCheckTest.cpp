// What a rule may be, asked the same way on every road a rule takes into the program: the
// editor and the rule list's Enable, the tool's add, import and enable, and the load of a rule
// file. Each case is one rule and the refusal it meets; a road whose own reader refuses the
// rule first says so in its own words.
#include "ToolFixture.h"

#include "rules/RuleFile.h"
#include "tools/rules/RulesJson.h"

namespace {

// Where a road's own reader refuses before the check is asked, its words.
struct CReaderWords {
    const char* options = nullptr; // add
    const char* json = nullptr;    // import
    const char* block = nullptr;   // enable and the load: the rule file's details
};

struct CCheckCase {
    const char* what;
    CRule rule;
    const char* refusal; // the check's words; null: the rule is taken
    CReaderWords readers = {};
    bool repeatMoment = false; // the JSON names the rule's moment twice
};

CRule TitleRule(const WCHAR16* title, TextMode mode = TextMode::Is) {
    CRule rule;
    rule.m_bMatchClass = rule.m_bMatchDimensions = rule.m_bMatchStyle = FALSE;
    rule.m_bMatchExStyle = FALSE;
    rule.m_bMatchTitle = TRUE;
    rule.m_strTitle = title;
    rule.m_titleMode = mode;
    return rule;
}

template <class F> CRule With(CRule rule, F change) {
    change(rule);
    return rule;
}

const char* const kNoCriterion = "A rule needs at least one criterion: ";
const char* const kMatchesAll = "A rule needs at least one criterion that not every window passes";

std::vector<CCheckCase> Cases() {
    const auto noCriterion = [](CRule& r) { r.m_bMatchTitle = FALSE; };
    return {
        {"an exact title", TitleRule(_T("Untitled")), nullptr},
        {"a regex that needs text", TitleRule(_T("^Doc\\d+$"), TextMode::Regex), nullptr},
        {"* beside a style",
         With(TitleRule(_T("*"), TextMode::Wildcard), [](CRule& r) { r.m_bMatchStyle = TRUE; }),
         nullptr},
        {"no criterion", With(TitleRule(_T("x")), noCriterion), kNoCriterion},
        {"no criterion, disabled",
         With(TitleRule(_T("x")),
              [&](CRule& r) {
                  noCriterion(r);
                  r.m_bEnabled = FALSE;
              }),
         kNoCriterion},
        {"an empty contains", TitleRule(_T(""), TextMode::Contains),
         "The pattern of the window text is empty."},
        {"* alone", TitleRule(_T("*"), TextMode::Wildcard), kMatchesAll},
        {"a regex matching the empty text", TitleRule(_T("a*"), TextMode::Regex), kMatchesAll},
        {"a regex that does not compile", TitleRule(_T("a(b"), TextMode::Regex),
         "The regular expression of the window text does not compile: "},
        {"a name too long",
         With(TitleRule(_T("x")),
              [](CRule& r) {
                  r.m_strName = CString(
                      StringView(std::basic_string<WCHAR16>(kMaxRuleName + 1, WCHAR16('n'))));
              }),
         "A rule's name has at most 256 characters.",
         {nullptr, "\"name\" must be a string of at most 256 characters",
          "a text is longer than its entry allows"}},
        {"no moment",
         With(TitleRule(_T("x")), [](CRule& r) { r.m_dwTriggers = 0; }),
         "A rule needs at least one trigger.",
         {"--on: expected", "\"triggers\" must be a non-empty array",
          "an entry has values no rule can have"}},
        {"a moment named twice",
         With(TitleRule(_T("x")), [](CRule& r) { r.m_dwTriggers = kTriggerShown; }),
         nullptr,
         {nullptr, "\"triggers\" must be a non-empty array of distinct", nullptr},
         true},
    };
}

// The tool's options for the rule's title, name, on/off and moments.
std::vector<std::string> AddArgs(const std::string& file, const CRule& rule) {
    std::vector<std::string> args = {"add", file};
    if (rule.m_bMatchTitle)
        args.insert(args.end(), {"--title", ToUtf8(rule.m_strTitle.View()), "--title-mode",
                                 ToUtf8(StringView(TextModeName(rule.m_titleMode)))});
    if (rule.m_bMatchStyle)
        args.insert(args.end(), {"--style", "0"});
    if (!rule.m_strName.IsEmpty())
        args.insert(args.end(), {"--name", ToUtf8(rule.m_strName.View())});
    if (!rule.m_bEnabled)
        args.push_back("--disabled");
    std::string moments;
    for (const auto& [bit, name] : kTriggerNames)
        if (rule.m_dwTriggers & bit) {
            if (!moments.empty())
                moments += ',';
            moments += ToUtf8(StringView(name));
        }
    args.insert(args.end(), {"--on", moments});
    return args;
}

class OneCheck : public ToolTest {
protected:
    // The case's rule as rule `number` (1 or 2) of a set, after a rule that is taken.
    static CRuleSet SetWith(const CRule& rule, int number) {
        CRuleSet rules;
        if (number == 2)
            rules.Add(TitleRule(_T("Untitled")));
        rules.Add(rule);
        return rules;
    }

    // The output says the refusal of rule `number`: the check's words after the rule's number,
    // or the reader's own.
    static void ExpectRefusal(const std::string& said, const CCheckCase& c, const char* reader,
                              const std::string& numbered) {
        if (reader != nullptr)
            EXPECT_NE(said.find(reader), std::string::npos) << said;
        else
            EXPECT_NE(said.find(numbered + c.refusal), std::string::npos) << said;
    }

    void Import(const CCheckCase& c, int number) {
        std::string json = RulesToJson(SetWith(c.rule, number));
        if (c.repeatMoment) {
            const size_t at = json.rfind("[\"shown\"]");
            json = json.substr(0, at) + "[\"shown\", \"shown\"]" + json.substr(at + 9);
        }
        host.input = json;
        const int code = Run({"import", "-", "--out", P("import.dat")});
        const char* reader = c.readers.json;
        if (c.refusal == nullptr && reader == nullptr) {
            EXPECT_EQ(code, 0) << host.err;
            EXPECT_TRUE(Exists("import.dat"));
            return;
        }
        EXPECT_NE(code, 0);
        ExpectRefusal(host.err, c, reader, "rule " + std::to_string(number) + ": ");
        EXPECT_FALSE(Exists("import.dat"));
    }

    void Enable(const CCheckCase& c, int number) {
        CRule off = c.rule;
        off.m_bEnabled = FALSE;
        const Bytes before = StoreRules(SetWith(off, number));
        Write("enable.dat", before);
        const int code = Run({"enable", P("enable.dat"), std::to_string(number)});
        if (c.refusal == nullptr) {
            EXPECT_EQ(code, 0) << host.err;
            return;
        }
        EXPECT_NE(code, 0);
        ExpectRefusal(host.err, c, c.readers.block, "rule " + std::to_string(number) + ": ");
        EXPECT_EQ(Read("enable.dat"), before);
    }

    void Load(const CCheckCase& c, int number) {
        Write("load.dat", StoreRules(SetWith(c.rule, number)));
        CRuleSet rules;
        const CRuleFile::CLoadResult result = CRuleFile(FromUtf8(P("load.dat"))).Load(rules, 0);
        ASSERT_EQ(rules.GetCount(), number);
        if (c.refusal == nullptr) {
            EXPECT_EQ(result.status, CRuleFile::LoadStatus::Loaded)
                << ToUtf8(result.message.View());
            EXPECT_TRUE(rules.IsUsable(number - 1));
            return;
        }
        EXPECT_EQ(result.status, CRuleFile::LoadStatus::Incomplete);
        ExpectRefusal(ToUtf8(result.message.View()), c, c.readers.block,
                      "rule " + std::to_string(number) + " matches no window until it is edited: ");
        if (c.readers.block == nullptr) { // kept as it is, matching nothing; the others match
            EXPECT_FALSE(rules.IsUsable(number - 1));
        }
        EXPECT_TRUE(rules.IsUsable(0) || number == 1);
    }
};

TEST_F(OneCheck, EveryRoadRefusesWhatTheCheckRefusesAndNamesTheRule) {
    for (const CCheckCase& c : Cases()) {
        SCOPED_TRACE(c.what);
        // The editor asks it of the rule it made; the rule list's Enable of the rule turned on.
        const CString problem = RuleProblem(c.rule);
        CRule on = c.rule;
        on.m_bEnabled = TRUE;
        for (const CString& said : {problem, RuleProblem(on)}) {
            if (c.refusal == nullptr)
                EXPECT_EQ(ToUtf8(said.View()), "");
            else
                EXPECT_EQ(ToUtf8(said.View()).find(c.refusal), 0u) << ToUtf8(said.View());
        }

        const int code = Run(AddArgs(P("add.dat"), c.rule));
        if (c.refusal == nullptr) {
            EXPECT_EQ(code, 0) << host.err;
        } else {
            EXPECT_EQ(code, 2);
            ExpectRefusal(host.err, c, c.readers.options, "");
            EXPECT_FALSE(Exists("add.dat"));
        }
        std::filesystem::remove(PathOf("add.dat"));

        // As the first rule and after another, so that the refusal names the right one.
        for (int number : {1, 2}) {
            SCOPED_TRACE("rule " + std::to_string(number));
            Import(c, number);
            std::filesystem::remove(PathOf("import.dat"));
            Enable(c, number);
            Load(c, number);
        }
    }
}

} // namespace
