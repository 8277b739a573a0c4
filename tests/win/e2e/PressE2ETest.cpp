// The real exe answering other programs' message boxes: a button pressed by its text or its
// id, only the box whose message matches, a window minimized, and a consent prompt's box left
// alone with the History saying so. The rules come from quellix-rules add.
#include "support/Driver.h"

#include <gtest/gtest.h>

#include <optional>
#include <sstream>

using namespace qt;

namespace {

constexpr int kRuleList = 1000, kHistory = 1221, kHistoryList = 1211, kCountColumn = 13;
constexpr wchar_t kYesNo[] = L"4"; // MB_YESNO

class Press : public CleanStateTest {
protected:
    void TearDown() override {
        app.Exit();
        boxes.Kill();
        targets.Stop();
    }

    static void AddRule(const std::wstring& options) {
        ::CreateDirectoryW(DataFolder().c_str(), nullptr);
        Process tool;
        ASSERT_TRUE(tool.Start(L"\"" + BinaryPath(L"quellix-rules.exe") + L"\" add \"" +
                               DataFilePath() + L"\" --delay 0 " + options));
        ASSERT_TRUE(tool.Wait(15000));
        ASSERT_EQ(tool.ExitCode(), 0u) << "add " << std::string(options.begin(), options.end());
    }

    // MessageBoxes.exe (or a copy of it) showing these boxes: TYPE CAPTION MESSAGE each.
    void ShowBoxes(const std::wstring& boxArgs, const std::wstring& exe = L"") {
        m_log = BinaryPath(L"message-boxes.log");
        ::DeleteFileW(m_log.c_str());
        const std::wstring program = exe.empty() ? BinaryPath(L"MessageBoxes.exe") : exe;
        ASSERT_TRUE(boxes.Start(L"\"" + program + L"\" \"" + m_log + L"\" " + boxArgs));
    }

    // What box `index` logged as `kind` ("SHOWN", "RESULT"): its value, or 1 for SHOWN.
    std::optional<int> Logged(const char* kind, int index) const {
        const std::vector<BYTE> bytes = ReadFileBytes(m_log);
        std::istringstream lines(std::string(bytes.begin(), bytes.end()));
        long long ms = 0;
        std::string what;
        int i = -1;
        for (std::string line; std::getline(lines, line);) {
            std::istringstream fields(line);
            int value = 1;
            if (fields >> ms >> what >> i && what == kind && i == index) {
                fields >> value;
                return value;
            }
        }
        return std::nullopt;
    }
    bool WaitResult(int index, int value, int timeoutMs = 10000) const {
        return WaitFor([&] { return Logged("RESULT", index) == value; }, timeoutMs);
    }

    // A History line with this caption and what happened, waited for.
    bool HistoryHas(const std::wstring& caption, const std::wstring& what) {
        app.Command(kHistory);
        HWND history = app.WaitDialog(L"History - Quellix by Velmora");
        if (history == nullptr)
            return false;
        RemoteListView list(::GetDlgItem(history, kHistoryList), app.Pid());
        return WaitFor(
            [&] {
                for (int row = 0; row < list.Count(); ++row) {
                    const std::vector<std::wstring> cells = list.Row(row);
                    if (cells.size() >= 7 && cells[1] == caption && cells[6] == what)
                        return true;
                }
                return false;
            },
            10000);
    }

    QuellixProcess app;
    Process boxes;
    TargetWindows targets;
    std::wstring m_log;
};

// Under Wine a box asked to close returns IDCANCEL even without a Cancel button: IDNO is the
// press.
TEST_F(Press, AYesNoBoxIsAnsweredNoByTheButtonsTextAndByItsId) {
    AddRule(L"--class #32770 --title \"By Text\" --action press --button \" &no \"");
    AddRule(L"--class #32770 --title \"By Id\" --action press --button-id 7");
    ASSERT_TRUE(app.Start());
    ShowBoxes(std::wstring(kYesNo) + L" \"By Text\" \"Save the changes?\" " + kYesNo +
              L" \"By Id\" \"Save the changes?\"");
    EXPECT_TRUE(WaitResult(0, IDNO));
    EXPECT_TRUE(WaitResult(1, IDNO));
    EXPECT_TRUE(HistoryHas(L"By Text", L"Pressed \"No\""));
    EXPECT_EQ(app.List(kRuleList).Cell(0, kCountColumn), L"1");
    EXPECT_EQ(app.List(kRuleList).Cell(1, kCountColumn), L"1");
}

TEST_F(Press, OfTwoBoxesWithOneCaptionOnlyTheOneWhoseMessageMatchesIsAnswered) {
    AddRule(L"--class #32770 --title \"Clean Up\" --message delete --action press --button Yes");
    ASSERT_TRUE(app.Start());
    ShowBoxes(std::wstring(kYesNo) + L" \"Clean Up\" \"Keep the old backups?\" " + kYesNo +
              L" \"Clean Up\" \"Delete the old backups?\"");
    EXPECT_TRUE(WaitResult(1, IDYES));
    ASSERT_TRUE(WaitFor([&] { return Logged("SHOWN", 0).has_value(); }));
    EXPECT_FALSE(WaitFor([&] { return Logged("RESULT", 0).has_value(); }, 1000));
}

TEST_F(Press, AWindowIsMinimizedAndItsProgramKeepsRunning) {
    AddRule(L"--class QxMinimized --action minimize");
    TargetSpec minimized;
    minimized.caption = L"Minimized Target";
    minimized.cls = L"QxMinimized";
    ASSERT_TRUE(targets.Start({minimized}));
    ASSERT_TRUE(app.Start());
    targets.MakeForeground(0);
    EXPECT_TRUE(WaitFor([&] { return ::IsIconic(targets.Window(0)) != FALSE; }, 10000));
    EXPECT_TRUE(::IsWindow(targets.Window(0)));
    EXPECT_TRUE(targets.Closes().empty());
}

TEST_F(Press, ABoxOfAProgramNamedConsentIsNotPressedAndTheHistorySaysSo) {
    AddRule(L"--class #32770 --title Elevate --action press --button-id 7");
    wchar_t temp[MAX_PATH] = {};
    ::GetTempPathW(MAX_PATH, temp);
    const std::wstring folder = std::wstring(temp) + L"qx-consent";
    ::CreateDirectoryW(folder.c_str(), nullptr);
    const std::wstring consent = folder + L"\\consent.exe";
    ASSERT_TRUE(::CopyFileW(BinaryPath(L"MessageBoxes.exe").c_str(), consent.c_str(), FALSE));
    ASSERT_TRUE(app.Start());
    ShowBoxes(std::wstring(kYesNo) + L" Elevate \"Allow this program to make changes?\"", consent);
    EXPECT_TRUE(
        HistoryHas(L"Elevate", L"Would have pressed \"No\"; not pressed: a window of consent.exe"));
    EXPECT_FALSE(Logged("RESULT", 0).has_value());
    EXPECT_EQ(app.List(kRuleList).Cell(0, kCountColumn), L"0");
    boxes.Kill();
    boxes.Wait(5000);
    ::DeleteFileW(consent.c_str());
}

} // namespace
