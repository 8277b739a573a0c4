// The real exe against windows that ignore their close: a rule that escalates sends the window
// menu's Close when its time is over and not before, and a program that then stops answering
// is ended only when the user says Yes in Quellix's box.
#include "support/Driver.h"

#include <gtest/gtest.h>

#include <fstream>

using namespace qt;

namespace {

constexpr wchar_t kEndCaption[] = L"End Program - Quellix by Velmora";

// One rule closing the class's windows at once, then escalating, into the user's Data.dat
// through the rules tool.
bool ImportRule(const std::wstring& cls, const char* escalate, int afterMs) {
    const std::wstring json = DataFolder() + L"\\escalate.json";
    ::CreateDirectoryW(DataFolder().c_str(), nullptr);
    {
        std::ofstream out(std::string(json.begin(), json.end()), std::ios::binary);
        out << R"({"version": 3, "rules": [{"title": "", "class": ")"
            << std::string(cls.begin(), cls.end())
            << R"(", "left": 0, "top": 0, "right": 0, "bottom": 0, "style": "0x0",
  "exStyle": "0x0", "matchTitle": false, "matchClass": true, "matchDimensions": false,
  "matchLocation": false, "matchStyle": false, "matchExStyle": false, "delayMs": 0,
  "name": "stubborn", "enabled": true, "process": "", "matchProcess": false,
  "titleMode": "is", "classMode": "is", "processMode": "is", "triggers": ["foreground"],
  "action": "close", "button": "", "buttonMode": "is", "buttonId": 0,
  "matchMessage": false, "message": "", "messageMode": "contains", "escalate": ")"
            << escalate << R"(", "escalateAfterMs": )" << afterMs << "}]}";
    }
    Process tool;
    if (!tool.Start(L"\"" + BinaryPath(L"quellix-rules.exe") + L"\" import \"" + json +
                        L"\" --out \"" + DataFilePath() + L"\"",
                    SW_HIDE) ||
        !tool.Wait(15000))
        return false;
    ::DeleteFileW(json.c_str());
    return tool.ExitCode() == 0;
}

std::vector<LoggedEvent> Of(const std::vector<LoggedEvent>& events, const wchar_t* kind) {
    std::vector<LoggedEvent> found;
    for (const LoggedEvent& e : events)
        if (e.kind == kind)
            found.push_back(e);
    return found;
}

class Escalation : public CleanStateTest {
protected:
    void TearDown() override {
        app.Exit();
        first.Stop();
        second.Stop();
    }

    QuellixProcess app;
    TargetWindows first, second;
};

TEST_F(Escalation, TheWindowMenusCloseComesAfterTheRulesTimeAndNotBefore) {
    ASSERT_TRUE(ImportRule(L"QxStubborn", "sysclose", 1500));
    ASSERT_TRUE(first.Start({{L"Stubborn Window", L"QxStubborn"}}));
    ASSERT_TRUE(app.Start());

    ASSERT_TRUE(first.MakeForeground(0));
    ASSERT_TRUE(first.WaitCloses(1, 5000));
    const long long closed = first.Closes()[0].ms;
    ASSERT_TRUE(WaitFor([&] { return !Of(first.Events(), L"SYSCLOSE").empty(); }, 5000));
    const long long sent = Of(first.Events(), L"SYSCLOSE")[0].ms;
    EXPECT_GE(sent - closed, 1450);
    EXPECT_LE(sent - closed, 3000);
    // Once: no further step follows a window menu's Close alone.
    EXPECT_FALSE(WaitFor([&] { return Of(first.Events(), L"SYSCLOSE").size() > 1; }, 2000));
    EXPECT_EQ(first.Closes().size(), 1u);
}

// Both programs stop answering after their close; each box names its program and windows, No
// keeps the first, Yes ends the second, and the boxes come one at a time.
TEST_F(Escalation, AProgramThatStopsAnsweringIsEndedOnlyWhenTheUserSaysYes) {
    // Twice the time must pass the ~5 s after which Windows marks a thread hung.
    ASSERT_TRUE(ImportRule(L"QxHanging", "end", 3500));
    ASSERT_TRUE(first.Start({{L"Keep Me Running", L"QxHanging"}}));
    ASSERT_TRUE(second.Start({{L"End Me Please", L"QxHanging", 500}}));
    ASSERT_TRUE(app.Start());
    for (TargetWindows* target : {&first, &second}) {
        ASSERT_TRUE(target->MakeForeground(0));
        ASSERT_TRUE(target->WaitCloses(1, 5000));
        ASSERT_TRUE(target->Act(0, TargetWindows::kHang));
    }

    bool keptFirst = false, endedSecond = false;
    for (int answered = 0; answered < 2; ++answered) {
        HWND box = app.WaitDialog(kEndCaption, 20000);
        ASSERT_NE(box, nullptr) << "box " << answered + 1;
        // The other program's time comes while the first box is open: its box waits.
        if (answered == 0) {
            EXPECT_FALSE(
                WaitFor([&] { return FindDialog(app.Pid(), kEndCaption, box) != nullptr; }, 3000));
        }
        const std::wstring text = MessageBoxText(box);
        EXPECT_NE(text.find(L"TargetWindows.exe"), std::wstring::npos);
        EXPECT_NE(text.find(BinaryPath(L"TargetWindows.exe")), std::wstring::npos);
        EXPECT_NE(text.find(L"not saved will be lost"), std::wstring::npos);
        EXPECT_NE(text.find(L"at least 5 seconds"), std::wstring::npos);
        const bool isFirst = text.find(L"Keep Me Running") != std::wstring::npos;
        EXPECT_NE(isFirst, text.find(L"End Me Please") != std::wstring::npos);
        ClickButton(box, isFirst ? IDNO : IDYES);
        ASSERT_TRUE(WaitFor([&] { return !::IsWindow(box); }, 5000));
        if (isFirst)
            keptFirst = !first.GetProcess().Wait(1500);
        else
            endedSecond = second.GetProcess().Wait(5000);
    }
    EXPECT_TRUE(keptFirst);
    EXPECT_TRUE(endedSecond);
    EXPECT_EQ(second.GetProcess().ExitCode(), 1u);
    EXPECT_TRUE(first.GetProcess().Running());
}

} // namespace
