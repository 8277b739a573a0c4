// The tool with the program, compare modes, on/off, names and triggers.
#include "ToolFixture.h"

namespace {

TEST_F(ToolTest, AddWithTheNewCriteriaListMatchAndSwitch) {
    const std::string f = P("n.dat");
    ASSERT_EQ(Run({"add", f, "--process", "updater.exe", "--name", "updates"}), 0) << host.err;
    ASSERT_EQ(Run({"add", f, "--title", "update available*", "--title-mode", "wildcard", "--on",
                   "foreground,shown"}),
              0)
        << host.err;
    ASSERT_EQ(Run({"add", f, "--class", "Target", "--disabled"}), 0) << host.err;
    ASSERT_EQ(Run({"list", f}), 0);
    EXPECT_NE(host.out.find(" 2  wildcard: update available*"), std::string::npos) << host.out;
    EXPECT_NE(host.out.find("updater.exe  updates  Close   yes      foreground\n"),
              std::string::npos)
        << host.out;
    EXPECT_NE(host.out.find("no       foreground\n"), std::string::npos) << host.out;

    host.hasWindows = true;
    host.windows = {
        {_T("Update Available (3)"), _T("Target"), {0, 0, 9, 9}, 0, 0, true, _T("C:\\x\\a.exe")},
        {_T("Other"), _T("Target"), {0, 0, 9, 9}, 0, 0, true, _T("C:\\x\\UPDATER.EXE")},
    };
    ASSERT_EQ(Run({"match", f}), 0) << host.err;
    EXPECT_NE(host.out.find("2 (foreground,shown)\n"), std::string::npos) << host.out;
    EXPECT_NE(host.out.find("0         1\n"), std::string::npos) << host.out; // the program
    EXPECT_EQ(host.out.find(", 3"), std::string::npos) << host.out;           // disabled: no match

    ASSERT_EQ(Run({"enable", f, "3"}), 0) << host.err;
    ASSERT_EQ(Run({"match", f}), 0);
    EXPECT_NE(host.out.find("2 (foreground,shown), 3\n"), std::string::npos) << host.out;
    EXPECT_EQ(Run({"disable", f, "4"}), 2);

    // Export and import keep everything.
    const Bytes before = Read("n.dat");
    ASSERT_EQ(Run({"export", f}), 0);
    EXPECT_NE(host.out.find(R"("triggers": ["foreground", "shown"])"), std::string::npos);
    host.input = host.out;
    ASSERT_EQ(Run({"import", "-", "--out", P("copy.dat")}), 0) << host.err;
    EXPECT_EQ(Read("copy.dat"), before);
}

TEST_F(ToolTest, ActionsGoThroughAddListExportAndImport) {
    const std::string f = P("a.dat");
    ASSERT_EQ(Run({"add", f, "--class", "#32770", "--message", "update", "--action", "press",
                   "--button", "Later"}),
              0)
        << host.err;
    ASSERT_EQ(
        Run({"add", f, "--class", "Stubborn", "--escalate", "end", "--escalate-after", "1500"}), 0)
        << host.err;
    ASSERT_EQ(Run({"list", f}), 0);
    EXPECT_NE(host.out.find("Press \"Later\""), std::string::npos) << host.out;
    EXPECT_NE(host.out.find("Close, then its menu's Close and ending after 1500 ms"),
              std::string::npos)
        << host.out;
    const Bytes before = Read("a.dat");
    ASSERT_EQ(Run({"export", f}), 0);
    for (const char* member :
         {R"("action": "press")", R"("button": "Later")", R"("matchMessage": true)",
          R"("message": "update")", R"("escalate": "end")", R"("escalateAfterMs": 1500)"})
        EXPECT_NE(host.out.find(member), std::string::npos) << member;
    host.input = host.out;
    ASSERT_EQ(Run({"import", "-", "--out", P("copy.dat")}), 0) << host.err;
    EXPECT_EQ(Read("copy.dat"), before);
}

TEST_F(ToolTest, AddRefusesPatternsThatCannotWork) {
    const struct {
        std::vector<std::string> args;
        const char* says;
    } cases[] = {
        {{"--title", "a(b", "--title-mode", "regex"}, "missing closing parenthesis"},
        {{"--class", "C", "--class-mode", "like"}, "expected is, contains"},
        {{"--class", "C", "--on", "foreground,later"}, "--on: expected"},
        {{"--class", "C", "--on", "shown,shown"}, "--on: expected"},
        {{"--name", "only a name"}, "at least one criterion"},
        {{"--class", "C", "--action", "press"}, "needs the button's text or id"},
        {{"--class", "C", "--action", "press", "--button-id", "8"}, "a standard one"},
        {{"--class", "C", "--action", "minimize", "--escalate", "sysclose"},
         "Only a rule that closes"},
        {{"--class", "C", "--action", "push"}, "--action: expected close, press or minimize"},
        {{"--class", "C", "--delay", "-1"}, "--delay: expected a whole number from 0"},
    };
    for (const auto& c : cases) {
        std::vector<std::string> args = {"add", P("r.dat")};
        args.insert(args.end(), c.args.begin(), c.args.end());
        EXPECT_EQ(Run(args), 2) << c.says;
        EXPECT_NE(host.err.find(c.says), std::string::npos) << host.err;
        EXPECT_FALSE(Exists("r.dat"));
    }
}

TEST_F(ToolTest, CheckNamesTheDamagedBlockAndItsOffset) {
    ASSERT_EQ(Run({"add", P("b.dat"), "--class", "C", "--name", "n"}), 0);
    Bytes bytes = Read("b.dat");
    ASSERT_EQ(Run({"check", P("b.dat")}), 0);
    EXPECT_NE(host.out.find("sound, 1 rule in"), std::string::npos);
    EXPECT_NE(host.out.find("with rule details"), std::string::npos);
    const size_t block = 4 + 13 * 4 + 2 * 2 + 3 * 2; // count, numbers, lines "" and "C"
    bytes[block + 20] ^= 1;
    Write("b.dat", bytes);
    EXPECT_EQ(Run({"check", P("b.dat")}), 1);
    EXPECT_EQ(host.err.find(P("b.dat") + ": byte " + std::to_string(block + 12) +
                            ": the rule details after the last rule cannot be used: its checksum"),
              0u)
        << host.err;
    EXPECT_EQ(Run({"add", P("b.dat"), "--class", "D"}), 1); // nothing written over it
    EXPECT_EQ(Read("b.dat"), bytes);
}

} // namespace
