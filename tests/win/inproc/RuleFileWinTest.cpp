// The rule file on disk: loaded when the main dialog starts, saved when it is destroyed.
#include "RuleTestSupport.h"

#include "framework/Archive.h"
#include "rules/RuleFile.h"
#include "rules/RuleSet.h"

namespace {

CRuleTestApp theTestApp;

const std::vector<BYTE> kExample = {
    0x01, 0x00, 0x00, 0x00, 0x0A, 0x00, 0x00, 0x00, 0x14, 0x00, 0x00, 0x00, 0x6E, 0x00, 0x00,
    0x00, 0xDC, 0x00, 0x00, 0x00, 0x00, 0x00, 0xCF, 0x16, 0x00, 0x01, 0x00, 0x00, 0x00, 0x00,
    0x00, 0x00, 0x01, 0x00, 0x00, 0x00, 0x01, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x01,
    0x00, 0x00, 0x00, 0x01, 0x00, 0x00, 0x00, 0x64, 0x00, 0x00, 0x00, 0x61, 0x00, 0x62, 0x00,
    0x63, 0x00, 0x0D, 0x00, 0x0A, 0x00, 0x58, 0x00, 0x59, 0x00, 0x0D, 0x00, 0x0A, 0x00,
};

class RuleFileOnDisk : public ::testing::Test {
protected:
    void SetUp() override {
        path = GetDataFilePath().GetString();
        ASSERT_FALSE(path.empty());
        temp = path + L".tmp";
        folder = path.substr(0, path.find_last_of(L'\\'));
        ::SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
        ::DeleteFileW(path.c_str());
    }
    void TearDown() override {
        ::SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
        ::DeleteFileW(path.c_str());
    }

    static std::unique_ptr<CRule> Rule(const wchar_t* title, int delay) {
        auto rule = std::make_unique<CRule>();
        rule->m_strTitle = title;
        rule->m_strClass = L"C";
        rule->m_nDelayMs = delay;
        return rule;
    }

    std::wstring path, temp, folder;
};

TEST_F(RuleFileOnDisk, EmptyListIsSavedAsTheCountAlone) {
    CMainDialogHost host;
    EXPECT_EQ(host->RuleList().GetItemCount(), 0); // no file: no rules, no message
    EXPECT_EQ(host.UnexpectedAtStart(), 0);
    host.Destroy();
    EXPECT_EQ(ReadFileBytes(path.c_str()), (std::vector<BYTE>{0, 0, 0, 0}));
    EXPECT_FALSE(FileExists(temp.c_str()));
}

TEST_F(RuleFileOnDisk, RulesComeBackInOrderAfterARestart) {
    WriteFileBytes(path.c_str(), kExample);
    {
        CMainDialogHost host;
        ASSERT_EQ(host->RuleList().GetItemCount(), 1);
        EXPECT_EQ(Rows(host->RuleList())[0], L"1||XY|||100|200|16cf0000|100|100");
        host->AppendRuleRow(*Rule(L"second", -3));
        host->AppendRuleRow(*Rule(L"third", 0));
        // Edited in place, as the editor's OK does.
        CRule edited = *host->GetRule(0);
        edited.m_nDelayMs = 50;
        host->ReplaceRuleRow(0, edited);
    }
    std::vector<BYTE> expected = kExample;
    expected[0] = 3;
    expected[0x34] = 50;
    {
        CMemFile tail;
        CArchive ar(&tail, CArchive::store);
        RecordOf(*Rule(L"second", -3)).Serialize(ar);
        RecordOf(*Rule(L"third", 0)).Serialize(ar);
        ar.Close();
        expected.insert(expected.end(), tail.Data().begin(), tail.Data().end());
    }
    EXPECT_EQ(ReadFileBytes(path.c_str()), expected);

    CMainDialogHost again;
    const auto rows = Rows(again->RuleList(), 1);
    EXPECT_EQ(rows, (std::vector<std::wstring>{L"1", L"2", L"3"}));
    EXPECT_EQ(again->GetRule(1)->m_strTitle, L"second");
    EXPECT_EQ(again->GetRule(1)->m_nDelayMs, -3);
    EXPECT_EQ(again->GetRule(2)->m_strTitle, L"third");
}

TEST_F(RuleFileOnDisk, ShortFileKeepsTheCompleteRecordsReportsOnceAndIsKeptAside) {
    std::vector<BYTE> bytes = kExample;
    bytes[0] = 3; // three promised, one present
    WriteFileBytes(path.c_str(), bytes);
    std::wstring message;
    CMainDialogHost host({ExpectMessage(L"", &message)});
    EXPECT_EQ(host.UnexpectedAtStart(), 0);
    EXPECT_TRUE(message.starts_with(L"An attempt was made to read past the end of the file."));
    EXPECT_NE(message.find(L"Data-unreadable-"), std::wstring::npos);
    EXPECT_EQ(host->RuleList().GetItemCount(), 1);
    host.Destroy();
    EXPECT_EQ(ReadFileBytes(path.c_str()), kExample); // the shorter list is saved
    WIN32_FIND_DATAW found;
    HANDLE find = ::FindFirstFileW((folder + L"\\Data-unreadable-*.dat").c_str(), &found);
    ASSERT_NE(find, INVALID_HANDLE_VALUE); // and the damaged file kept whole beside it
    ::FindClose(find);
    const std::wstring aside = folder + L"\\" + found.cFileName;
    EXPECT_EQ(ReadFileBytes(aside.c_str()), bytes);
    ::DeleteFileW(aside.c_str());
}

TEST_F(RuleFileOnDisk, MissingDataFolderIsCreatedAgainAtExit) {
    CMainDialogHost host;
    host->AppendRuleRow(*Rule(L"kept", 100));
    ::DeleteFileW(path.c_str());
    ASSERT_TRUE(::RemoveDirectoryW(folder.c_str()));
    host.Destroy();
    const auto bytes = ReadFileBytes(path.c_str());
    ASSERT_GE(bytes.size(), 4u);
    EXPECT_EQ(bytes[0], 1);
}

TEST_F(RuleFileOnDisk, FileThatCannotBeReplacedStaysIntact) {
    WriteFileBytes(path.c_str(), kExample);
    {
        CMainDialogHost host;
        ASSERT_EQ(host->RuleList().GetItemCount(), 1);
        host->AppendRuleRow(*Rule(L"lost", 100));
        // Another program holds the file open without sharing.
        HANDLE held =
            ::CreateFileW(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
        ASSERT_NE(held, INVALID_HANDLE_VALUE);
        std::wstring message;
        CDialogDriver failed({ExpectMessage(L"", &message)});
        host.Destroy();
        EXPECT_EQ(failed.Finish(), 0);
        EXPECT_NE(message.find(path), std::wstring::npos); // the failed save names the file
        ::CloseHandle(held);
    }
    EXPECT_EQ(ReadFileBytes(path.c_str()), kExample);
    EXPECT_FALSE(FileExists(temp.c_str()));
}

TEST_F(RuleFileOnDisk, StaleTemporaryFileDoesNotStopTheSave) {
    WriteFileBytes(temp.c_str(), {1, 2, 3});
    CMainDialogHost host;
    host.Destroy();
    EXPECT_EQ(ReadFileBytes(path.c_str()), (std::vector<BYTE>{0, 0, 0, 0}));
    EXPECT_FALSE(FileExists(temp.c_str()));
}

// Readers of the rule file (the tool, an editor, a scanner) do not stop the load; a program
// that holds it open for writing still does, and the file is then kept aside.
TEST_F(RuleFileOnDisk, AReaderDoesNotStopTheLoadAndAWriterDoes) {
    WriteFileBytes(path.c_str(), kExample);
    const struct {
        DWORD access;
        bool loads;
    } cases[] = {{GENERIC_READ, true}, {GENERIC_WRITE, false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.access);
        CFileHandle held(::CreateFileW(path.c_str(), c.access, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                       nullptr, OPEN_EXISTING, 0, nullptr));
        ASSERT_TRUE(held);
        CRuleFile file(CString(path.c_str()));
        CRuleSet rules;
        const CRuleFile::CLoadResult result = file.Load(rules, 0);
        EXPECT_EQ(result.status == CRuleFile::LoadStatus::Loaded, c.loads);
        EXPECT_EQ(rules.GetCount(), c.loads ? 1 : 0);
    }
}

// A damaged file moved aside for a save that then fails goes back: the next start reads it
// and says again that it is damaged, and the message says what is true.
TEST_F(RuleFileOnDisk, AFailedSaveAfterTheMoveAsidePutsTheDamagedFileBack) {
    std::vector<BYTE> damaged = kExample;
    damaged[0] = 2;
    WriteFileBytes(path.c_str(), damaged);
    ASSERT_TRUE(::CreateDirectoryW(temp.c_str(), nullptr)); // the temporary file cannot be made
    CRuleFile file(CString(path.c_str()));
    CRuleSet rules;
    ASSERT_EQ(file.Load(rules, 0).status, CRuleFile::LoadStatus::Incomplete);
    const CRuleFile::CSaveResult saved = file.Save(rules);
    ::RemoveDirectoryW(temp.c_str());
    EXPECT_FALSE(saved.saved);
    EXPECT_NE(std::wstring(saved.message.GetString()).find(L"keeps its previous contents"),
              std::wstring::npos);
    EXPECT_EQ(ReadFileBytes(path.c_str()), damaged);

    CRuleFile again(CString(path.c_str()));
    CRuleSet next;
    EXPECT_EQ(again.Load(next, 0).status, CRuleFile::LoadStatus::Incomplete);
    // The same run's next save moves it aside and succeeds.
    EXPECT_TRUE(file.Save(rules).saved);
    EXPECT_EQ(ReadFileBytes(path.c_str()), kExample);
    WIN32_FIND_DATAW found;
    HANDLE find = ::FindFirstFileW((folder + L"\\Data-unreadable-*.dat").c_str(), &found);
    ASSERT_NE(find, INVALID_HANDLE_VALUE);
    ::FindClose(find);
    const std::wstring aside = folder + L"\\" + found.cFileName;
    EXPECT_EQ(ReadFileBytes(aside.c_str()), damaged);
    ::DeleteFileW(aside.c_str());
}

} // namespace
