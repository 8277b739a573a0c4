// What the tool writes: never a rule that matches every window unless asked, and on POSIX
// systems never through another file's name.
#include "ToolFixture.h"

#include <memory>

#ifndef _WIN32
#include <sys/stat.h>
#endif

namespace {

TEST_F(ToolTest, ImportRefusesARuleWithNoCriterionUnlessAllowed) {
    CRuleSet rules;
    rules.Add(CRule()); // class, size and styles: the defaults
    auto all = std::make_unique<CRule>();
    all->m_bMatchClass = all->m_bMatchDimensions = all->m_bMatchStyle = all->m_bMatchExStyle = 0;
    rules.Add(*all);
    Write("two.dat", StoreRules(rules));
    ASSERT_EQ(Run({"export", P("two.dat")}), 0) << host.err;
    host.input = host.out;

    EXPECT_EQ(Run({"import", "-", "--out", P("new.dat")}), 2);
    EXPECT_NE(host.err.find("rule 2: A rule needs at least one criterion"), std::string::npos)
        << host.err;
    EXPECT_FALSE(Exists("new.dat"));

    EXPECT_EQ(Run({"import", "-", "--out", P("new.dat"), "--allow-match-all"}), 0) << host.err;
    EXPECT_EQ(Read("new.dat"), Read("two.dat"));
}

#ifndef _WIN32
TEST_F(ToolTest, SaveWritesANewFileOfItsOwnAndKeepsTheFilesMode) {
    ASSERT_EQ(Run({"add", P("r.dat"), "--class", "A"}), 0) << host.err;
    ASSERT_EQ(::chmod(PathOf("r.dat").c_str(), 0640), 0);
    // A link planted at the name a save once used, to a file that must stay as it is.
    Write("victim", Bytes{1, 2, 3});
    std::filesystem::create_symlink(PathOf("victim"), PathOf("r.dat.tmp"));

    ASSERT_EQ(Run({"add", P("r.dat"), "--class", "B"}), 0) << host.err;
    EXPECT_EQ(Read("victim"), (Bytes{1, 2, 3}));
    EXPECT_EQ(Read("r.dat")[0], 2);
    struct stat st {};
    ASSERT_EQ(::stat(PathOf("r.dat").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0640u);
    // Nothing of the save is left behind.
    int files = 0;
    for ([[maybe_unused]] const auto& entry :
         std::filesystem::directory_iterator(PathOf("victim").parent_path()))
        ++files;
    EXPECT_EQ(files, 3); // r.dat, victim and the link
}
#endif

} // namespace
