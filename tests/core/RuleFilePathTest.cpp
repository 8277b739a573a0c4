// Where the rule file lies: the data folder, the file and its temporary file.
#include "rules/RuleFilePath.h"

#include <gtest/gtest.h>

namespace {

TEST(RuleFilePath, FolderAndFileWithSingleBackslashes) {
    using namespace RuleFilePath;
    const CString folder = DataFolder(_T("C:\\Users\\ann\\AppData\\Local"));
    EXPECT_EQ(folder, _T("C:\\Users\\ann\\AppData\\Local\\Velmora-Quellix\\"));
    EXPECT_EQ(DataFile(folder.View()),
              _T("C:\\Users\\ann\\AppData\\Local\\Velmora-Quellix\\Data.dat"));
    // A base that already ends with a backslash gives the same folder.
    EXPECT_EQ(DataFolder(_T("C:\\Users\\ann\\AppData\\Local\\")), folder);
    EXPECT_EQ(TempFile(DataFile(folder.View()).View()),
              _T("C:\\Users\\ann\\AppData\\Local\\Velmora-Quellix\\Data.dat.tmp"));
}

TEST(RuleFilePath, AUncBaseKeepsItsLeadingPair) {
    using namespace RuleFilePath;
    const CString folder = DataFolder(_T("\\\\server\\share\\ann\\Local"));
    EXPECT_EQ(folder, _T("\\\\server\\share\\ann\\Local\\Velmora-Quellix\\"));
    EXPECT_EQ(DataFile(folder.View()),
              _T("\\\\server\\share\\ann\\Local\\Velmora-Quellix\\Data.dat"));
}

TEST(RuleFilePath, CollapseIsOnePassFromLeftToRight) {
    using RuleFilePath::CollapseBackslashes;
    EXPECT_EQ(CollapseBackslashes(_T("a\\\\b")), _T("a\\b"));
    EXPECT_EQ(CollapseBackslashes(_T("a\\\\\\b")), _T("a\\\\b"));   // three become two
    EXPECT_EQ(CollapseBackslashes(_T("a\\\\\\\\b")), _T("a\\\\b")); // four become two
    EXPECT_EQ(CollapseBackslashes(_T("a\\b\\")), _T("a\\b\\"));
}

} // namespace
