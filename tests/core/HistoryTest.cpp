// The history of what the rules did, and its copied text.
#include "engine/History.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

std::string Narrow(const CString& text) {
    return std::string(text.View().begin(), text.View().end());
}

CActionEntry Entry(EAction action, const WCHAR16* caption = _T("w")) {
    CActionEntry entry;
    entry.strCaption = caption;
    entry.action = action;
    return entry;
}

TEST(History, KeepsTheLatestEntriesNewestFirstAndCountsOnlyActionsTaken) {
    CHistory history;
    const RuleId ruleA = 1, ruleB = 2;
    for (EAction action :
         {EAction::CloseAsked, EAction::CloseScheduled, EAction::ScheduledDone,
          EAction::ScheduledDropped, EAction::Refused, EAction::Applied, EAction::ApplyDropped,
          EAction::Pressed, EAction::Minimized, EAction::NoSuchButton, EAction::SeveralButtons,
          EAction::ButtonDisabled, EAction::NotPressed})
        history.LogAction(ruleA, Entry(action));
    EXPECT_EQ(history.ActionCount(ruleA), 5);
    EXPECT_EQ(history.ActionCount(ruleB), 0);
    history.ForgetRule(ruleA);
    EXPECT_EQ(history.ActionCount(ruleA), 0);

    for (int i = 0; i < 600; ++i) {
        CString caption;
        caption.Format(_T("%d"), i);
        history.LogAction(ruleB, Entry(EAction::CloseAsked, caption));
    }
    ASSERT_EQ(history.GetCount(), CHistory::kCapacity);
    EXPECT_EQ(history.GetAt(0).strCaption, _T("599"));
    EXPECT_EQ(history.GetAt(CHistory::kCapacity - 1).strCaption, _T("100"));
    EXPECT_EQ(history.ActionCount(ruleB), 600); // the count outlives the entries
    history.Clear();
    EXPECT_EQ(history.GetCount(), 0u);
}

TEST(History, TheCopiedTextHasTheColumnNamesAndOneTabbedLinePerEntry) {
    CHistory history;
    CActionEntry entry = Entry(EAction::CloseScheduled, _T("Nag"));
    entry.strTime = _T("12/7/2026 4:32:10 AM");
    entry.strClass = _T("NagClass");
    entry.nRule = 3;
    entry.nDelayMs = 1500;
    history.LogAction(3, entry);
    entry.action = EAction::Refused;
    entry.strDetail = _T("the window belongs to a program with higher rights");
    history.LogAction(3, entry);
    EXPECT_EQ(Narrow(HistoryText(history)),
              "Time\tCaption\tClass\tProgram\tRule\tName\tWhat Happened\r\n"
              "12/7/2026 4:32:10 AM\tNag\tNagClass\t\t3\t\tRefused by Windows: the window "
              "belongs to a program with higher rights\r\n"
              "12/7/2026 4:32:10 AM\tNag\tNagClass\t\t3\t\tClose scheduled after 1500 ms\r\n");
}

TEST(History, APressNamesItsButtonAsShown) {
    CActionEntry entry = Entry(EAction::Pressed);
    entry.strButton = _T("No");
    EXPECT_EQ(Narrow(ActionText(entry)), "Pressed \"No\"");
    entry.action = EAction::ButtonDisabled;
    EXPECT_EQ(Narrow(ActionText(entry)), "Not pressed: \"No\" is disabled");
    entry.action = EAction::NotPressed;
    entry.strDetail = _T("a window of consent.exe");
    EXPECT_EQ(Narrow(ActionText(entry)),
              "Would have pressed \"No\"; not pressed: a window of consent.exe");
}

TEST(History, AnotherProgramsTabsAndLineEndsMakeNoFalseColumnOrRow) {
    CHistory history;
    CActionEntry entry = Entry(EAction::CloseAsked, _T("Inbox\tFake\r\nrow"));
    entry.strTime = _T("t");
    entry.strClass = _T("C\nC");
    entry.strProgram = _T("p\t.exe");
    history.LogAction(3, entry);
    EXPECT_EQ(Narrow(HistoryText(history)),
              "Time\tCaption\tClass\tProgram\tRule\tName\tWhat Happened\r\n"
              "t\tInbox\\tFake\\r\\nrow\tC\\nC\tp\\t.exe\t\t\tAsked to close\r\n");
    // A huge caption is cut in the list and the copy alike.
    history.LogAction(
        3, Entry(EAction::CloseAsked, std::basic_string<WCHAR16>(5000, _T('x')).c_str()));
    EXPECT_EQ(HistoryCellText(history.GetAt(0), 1).GetLength(), kShownTextUnits + 1);
}

} // namespace
