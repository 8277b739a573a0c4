// The commands as a user meets them: what add and remove write and refuse, the list and the
// match tables, usage errors.
#include "ToolFixture.h"

namespace {

TEST_F(ToolTest, AddRefusesWhatTheRuleFileOrTheProgramCannotUseAndWritesNothing) {
    const std::vector<std::vector<std::string>> refused = {
        {},
        {"--delay", "5"},
        {"--class", ""},
        {"--class", std::string(257, 'c')},
        {"--title", "a\nb"},
        {"--class", "C", "--size", "-1,5"},
        {"--class", "C", "--size", "5"},
        {"--class", "C", "--location", "2147483000,0", "--size", "1000,1"},
        {"--class", "C", "--location", "1,x"},
        {"--style", "123456789"},
        {"--exstyle", "0xG"},
        {"--class", "C", "--delay", "-1"},
        {"--class", "C", "--delay", "2147483648"},
        {"--class", "C", "--class", "D"},
        {"--class"},
        {"--klass", "C"},
        {"--class", "C", "extra"},
    };
    for (const auto& options : refused) {
        std::vector<std::string> args = {"add", P("new.dat")};
        args.insert(args.end(), options.begin(), options.end());
        SCOPED_TRACE(testing::PrintToString(args));
        EXPECT_EQ(Run(args), 2);
        EXPECT_NE(host.err, "");
        EXPECT_FALSE(Exists("new.dat"));
    }
}

TEST_F(ToolTest, AddAppendsExactlyTheGivenCriteriaAndRemoveTakesOneOut) {
    ASSERT_EQ(Run({"add", P("r.dat"), "--class", "Notepad", "--title", ""}), 0) << host.err;
    EXPECT_EQ(host.out, P("r.dat") + ": rule 1 added\n");
    ASSERT_EQ(Run({"add", P("r.dat"), "--location=-1280,5", "--size", "800,600", "--style",
                   "0x94C80000", "--exstyle", "100", "--delay", "0"}),
              0)
        << host.err;
    ASSERT_EQ(Run({"add", P("r.dat"), "--title", "third"}), 0);

    CRuleSet rules;
    const Bytes bytes = Read("r.dat");
    CMemFile file(bytes.data(), bytes.size());
    CArchive ar(&file, CArchive::load);
    rules.Load(ar);
    ASSERT_EQ(rules.GetCount(), 3);
    const CRule& first = rules.GetAt(0);
    EXPECT_EQ(first.m_strClass, _T("Notepad"));
    EXPECT_TRUE(first.m_bMatchTitle && first.m_bMatchClass);
    EXPECT_FALSE(first.m_bMatchLocation || first.m_bMatchDimensions || first.m_bMatchStyle ||
                 first.m_bMatchExStyle);
    EXPECT_EQ(first.m_nDelayMs, 100);
    const CRule& second = rules.GetAt(1);
    EXPECT_EQ(second.m_rcWindow.left, -1280);
    EXPECT_EQ(second.m_rcWindow.top, 5);
    EXPECT_EQ(second.m_rcWindow.right, -480);
    EXPECT_EQ(second.m_rcWindow.bottom, 605);
    EXPECT_EQ(second.m_dwStyle, 0x94C80000u);
    EXPECT_EQ(second.m_dwExStyle, 0x100u);
    EXPECT_TRUE(second.m_bMatchLocation && second.m_bMatchDimensions && second.m_bMatchStyle &&
                second.m_bMatchExStyle);
    EXPECT_FALSE(second.m_bMatchTitle || second.m_bMatchClass);
    EXPECT_EQ(second.m_nDelayMs, 0);

    for (const char* n : {"0", "4", "x"}) {
        EXPECT_EQ(Run({"remove", P("r.dat"), n}), 2);
        EXPECT_EQ(Read("r.dat"), bytes);
    }
    EXPECT_EQ(Run({"remove", P("r.dat"), "2"}), 0) << host.err;
    EXPECT_EQ(host.out, P("r.dat") + ": rule 2 removed, 2 left\n");
    ASSERT_EQ(Run({"list", P("r.dat")}), 0);
    EXPECT_EQ(host.out,
              "Sr  Window Text  Window Class  X  Y  Width  Height  Style  Ex Style  Delay  Program"
              "  Name  Action  Enabled  Triggers\n"
              " 1               Notepad                                               100       "
              "          Close   yes      foreground\n"
              " 2  third                                                              100       "
              "          Close   yes      foreground\n");
    EXPECT_EQ(Run({"remove", P("none.dat"), "1"}), 1);
}

TEST_F(ToolTest, NothingIsWrittenToAFileThatWasNotReadWhole) {
    CRuleSet rules;
    rules.Add(CRule());
    Bytes tail = StoreRules(rules);
    tail.push_back(7);
    Bytes cut = StoreRules(rules);
    cut.resize(cut.size() - 1);
    Bytes negative = {0xFE, 0xFF, 0xFF, 0xFF};
    for (const Bytes& bytes : {tail, cut, negative}) {
        Write("d.dat", bytes);
        EXPECT_EQ(Run({"add", P("d.dat"), "--class", "C"}), 1);
        EXPECT_NE(host.err.find("left unchanged"), std::string::npos) << host.err;
        EXPECT_EQ(Run({"remove", P("d.dat"), "1"}), 1);
        EXPECT_EQ(Read("d.dat"), bytes);
    }
    // Reading goes on past bytes after the last rule, with a warning; not past damage.
    Write("d.dat", tail);
    EXPECT_EQ(Run({"list", P("d.dat")}), 0);
    EXPECT_NE(host.err.find("warning: byte 64: 1 byte after the last rule"), std::string::npos);
    Write("d.dat", cut);
    EXPECT_EQ(Run({"export", P("d.dat")}), 1);
    EXPECT_EQ(host.out, "");
}

TEST_F(ToolTest, ListAlignsWideTextAndItsJsonTellsAnEmptyCriterionFromAnUnusedOne) {
    CRuleSet rules;
    auto a = std::make_unique<CRule>();
    a->m_strClass = _T("\x65E5\x672C"); // two wide characters: four columns
    a->m_strTitle = _T("tab\there");
    a->m_bMatchTitle = TRUE;
    a->m_dwStyle = 0x14CF0000;
    rules.Add(*a);
    auto b = std::make_unique<CRule>();
    b->m_bMatchClass = FALSE; // uses the title, and it is empty
    b->m_bMatchTitle = TRUE;
    b->m_rcWindow = {0, 0, 12345, 6};
    rules.Add(*b);
    Write("l.dat", StoreRules(rules));
    host.defaultFile = FromUtf8(P("l.dat"));

    ASSERT_EQ(Run({"list"}), 0) << host.err;
    EXPECT_EQ(
        host.out,
        "Sr  Window Text  Window Class  X  Y  Width  Height  Style     Ex Style  Delay  Program"
        "  Name  Action  Enabled  Triggers\n"
        " 1  tab\\there    \xE6\x97\xA5\xE6\x9C\xAC                    0       0  14cf0000  0"
        "           100                 Close   yes      foreground\n"
        " 2                                   12345       6  0         0           100       "
        "          Close   yes      foreground\n");
    ASSERT_EQ(Run({"list", "--json"}), 0);
    EXPECT_NE(host.out.find(R"({"sr": 2, "title": "", "class": null, "x": null, "y": null, )"
                            R"("width": 12345, "height": 6, "style": "0", "exStyle": "0", )"
                            R"("delay": 100, "program": null, "name": "", "action": "Close", )"
                            R"("enabled": true, )"
                            R"("triggers": ["foreground"]})"),
              std::string::npos)
        << host.out;
}

TEST_F(ToolTest, ListAndMatchShowOtherProgramsControlsAsEscapesAndJsonKeepsThem) {
    CRuleSet rules;
    auto rule = std::make_unique<CRule>();
    rule->m_strTitle = _T("evil\x202Etxt.exe\x0085\x2028");
    rule->m_bMatchTitle = TRUE;
    rule->m_bMatchClass = rule->m_bMatchDimensions = rule->m_bMatchStyle = FALSE;
    rule->m_bMatchExStyle = FALSE;
    rules.Add(*rule);
    Write("e.dat", StoreRules(rules));
    host.hasWindows = true;
    host.windows = {{_T("evil\x202Etxt.exe\x0085\x2028"), _T("C\x1B[2J"), {0, 0, 1, 1}, 0, 0}};
    for (const char* command : {"list", "match"}) {
        ASSERT_EQ(Run({command, P("e.dat")}), 0) << host.err;
        EXPECT_NE(host.out.find("evil\\u202Etxt.exe\\u0085\\u2028"), std::string::npos) << host.out;
        for (const char* raw : {"\xE2\x80\xAE", "\xC2\x85", "\xE2\x80\xA8", "\x1B"})
            EXPECT_EQ(host.out.find(raw), std::string::npos) << command;
    }
    ASSERT_EQ(Run({"export", P("e.dat")}), 0);
    EXPECT_NE(host.out.find("evil\xE2\x80\xAEtxt.exe"), std::string::npos); // lossless
}

TEST_F(ToolTest, MatchListsOnlyMatchedWindowsWithTheirRules) {
    CRuleSet rules;
    for (const WCHAR16* cls : {_T("Target"), _T("Other"), _T("Target")}) {
        auto rule = std::make_unique<CRule>();
        rule->m_strClass = cls;
        rule->m_bMatchDimensions = rule->m_bMatchStyle = rule->m_bMatchExStyle = FALSE;
        rules.Add(*rule);
    }
    Write("m.dat", StoreRules(rules));
    host.hasWindows = true;
    host.windows = {
        {_T("Shown"), _T("Target"), {10, 20, 310, 220}, 0x14CF0000, 0x100},
        {_T("Unmatched"), _T("Nothing"), {0, 0, 1, 1}, 0, 0},
        {_T("Hidden"), _T("Target"), {0, 0, 1, 1}, 0, 0, false},
    };
    ASSERT_EQ(Run({"match", P("m.dat")}), 0) << host.err;
    EXPECT_EQ(host.out, "Window Text  Window Class   X   Y  Width  Height  Style     Ex Style  "
                        "Rules\n"
                        "Shown        Target        10  20    300     200  14cf0000  100       "
                        "1, 3\n");
    ASSERT_EQ(Run({"match", P("m.dat"), "--all"}), 0);
    EXPECT_NE(host.out.find("Hidden"), std::string::npos);
    host.windows.erase(host.windows.begin());
    ASSERT_EQ(Run({"match", P("m.dat")}), 0);
    EXPECT_EQ(host.out, "No open window matches a rule.\n");

    host.hasWindows = false;
    EXPECT_EQ(Run({"match", P("m.dat")}), 2);
    EXPECT_EQ(Run({"match"}), 2); // and no rule file to default to
}

TEST_F(ToolTest, UsageAndHelp) {
    for (const std::vector<std::string>& args :
         std::vector<std::vector<std::string>>{{},
                                               {"frobnicate"},
                                               {"list", "--bogus"},
                                               {"check"},
                                               {"check", "a", "b"},
                                               {"import", "a.json"},
                                               {"list", "--json=1"},
                                               {"-x"}}) {
        SCOPED_TRACE(testing::PrintToString(args));
        EXPECT_EQ(Run(args), 2);
        EXPECT_EQ(host.out, "");
        EXPECT_NE(host.err.find("Usage: quellix-rules"), std::string::npos) << host.err;
    }
    EXPECT_EQ(Run({"--help"}), 0);
    EXPECT_EQ(host.out.find("Usage: quellix-rules COMMAND"), 0u);
    EXPECT_EQ(Run({"add", "--help"}), 0);
    EXPECT_EQ(host.out.find("Usage: quellix-rules add FILE"), 0u);
    EXPECT_EQ(host.err, "");
}

} // namespace
