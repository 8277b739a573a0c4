// The rule list's add, edit and delete commands with the real main dialog and rule editor.
#include "RuleTestSupport.h"
#include "support/Driver.h"

namespace {

CRuleTestApp theTestApp;

const wchar_t kAddCaption[] = L"Add Auto Close Window Info - Quellix by Velmora";
const wchar_t kEditCaption[] = L"Edit Auto Close Window Info - Quellix by Velmora";

class RuleCommands : public ::testing::Test {
protected:
    void SetUp() override {
        ::DeleteFileW(GetDataFilePath()); // start without rules
        host = std::make_unique<CMainDialogHost>();
        ASSERT_EQ(host->UnexpectedAtStart(), 0);
    }
    void TearDown() override {
        host.reset();
        ::DeleteFileW(GetDataFilePath());
        if (target != nullptr)
            ::DestroyWindow(target);
    }

    // A real top-level window, listed by a refresh and selected.
    CWindowInfo* ListTarget() {
        target =
            ::CreateWindowExW(0, L"Static", L"Rule Target Window", WS_OVERLAPPEDWINDOW | WS_VISIBLE,
                              -1280, 40, 320, 200, nullptr, nullptr, nullptr, nullptr);
        EXPECT_NE(target, nullptr);
        dlg().RefreshWindowList();
        for (int row = 0; CWindowInfo* info = dlg().GetListedWindow(row); ++row) {
            if (info->m_hWnd == target) {
                SelectRow(dlg().WindowList(), row);
                return info;
            }
        }
        ADD_FAILURE() << "the target is not listed";
        return nullptr;
    }

    CRule Rule(const wchar_t* title, int delay) {
        CRule rule;
        rule.m_strTitle = title;
        rule.m_strClass = L"Cls";
        rule.m_rcWindow = {5, 6, 105, 56};
        rule.m_nDelayMs = delay;
        return rule;
    }

    CQuellixDlg& dlg() { return **host; }

    std::unique_ptr<CMainDialogHost> host;
    HWND target = nullptr;
};

TEST_F(RuleCommands, AddCopiesTheListedWindowWithTheDefaultCriteria) {
    CWindowInfo* listed = ListTarget();
    const RECT rc = listed->m_rcWindow;
    std::wstring dimensions, location, style, caption;
    bool title = true, cls = false, loc = true, dims = false, sty = false, ex = false;
    std::wstring delay;
    CDialogDriver driver({[&](HWND h) {
                              caption = WindowText(h);
                              title = IsChecked(h, IDC_CHECK_TITLE);
                              cls = IsChecked(h, IDC_CHECK_CLASS);
                              loc = IsChecked(h, IDC_CHECK_LOCATION);
                              dims = IsChecked(h, IDC_CHECK_DIMENSIONS);
                              sty = IsChecked(h, IDC_CHECK_STYLE);
                              ex = IsChecked(h, IDC_CHECK_EXSTYLE);
                              delay = ItemText(h, IDC_EDIT_DELAY);
                              dimensions = ItemText(h, IDC_EDIT_DIMENSIONS);
                              location = ItemText(h, IDC_EDIT_LOCATION);
                              style = ItemText(h, IDC_EDIT_STYLE);
                              SetItemText(h, IDC_EDIT_DELAY, L"250");
                              Press(h, IDOK);
                          },
                          [&](HWND h) { // the same window a second time
                              EXPECT_EQ(ItemText(h, IDC_EDIT_DELAY), L"100");
                              Press(h, IDOK);
                          }});
    Command(dlg(), IDC_AUTOCLOSE_SELECTED);
    dlg().SendMessage(WM_COMMAND, ID_POPUP_AUTOCLOSE_SELECTED, 0); // the menu command
    EXPECT_EQ(driver.Finish(), 0);
    EXPECT_EQ(driver.StepsRun(), 2u);

    EXPECT_EQ(caption, kAddCaption);
    EXPECT_FALSE(title);
    EXPECT_TRUE(cls);
    EXPECT_FALSE(loc);
    EXPECT_TRUE(dims);
    EXPECT_TRUE(sty);
    EXPECT_TRUE(ex);
    EXPECT_EQ(delay, L"100");
    EXPECT_EQ(dimensions, L"Width = " + std::to_wstring(rc.right - rc.left) + L", Height = " +
                              std::to_wstring(rc.bottom - rc.top));
    EXPECT_EQ(location, L"X = " + std::to_wstring(rc.left) + L", Y = " + std::to_wstring(rc.top));
    EXPECT_EQ(location.substr(0, 5), L"X = -");
    CString expectedStyle;
    expectedStyle.Format(L"%x", listed->m_dwStyle);
    EXPECT_EQ(style, expectedStyle.GetString());

    // Two rules, no duplicate check; the first has the typed delay, the second the default.
    CListCtrl& rules = dlg().RuleList();
    ASSERT_EQ(rules.GetItemCount(), 2);
    CString expected;
    expected.Format(L"1||Static|||%d|%d|%x|%x|250", rc.right - rc.left, rc.bottom - rc.top,
                    listed->m_dwStyle, listed->m_dwExStyle);
    EXPECT_EQ(Rows(rules)[0], expected.GetString());
    EXPECT_EQ(Rows(rules)[1].substr(0, 2), L"2|");
    EXPECT_EQ(Rows(rules)[1].substr(Rows(rules)[1].size() - 4), L"|100");

    // The rules are values of their own: the listed record is untouched.
    EXPECT_EQ(dlg().GetRule(0)->m_strTitle, L"Rule Target Window");
    EXPECT_EQ(listed->m_nDelayMs, 100);
    EXPECT_EQ(listed->m_hWnd, target);
}

TEST_F(RuleCommands, CancelInAddModeAddsNothing) {
    ListTarget();
    CDialogDriver driver({[](HWND h) {
        SetChecked(h, IDC_CHECK_TITLE, true);
        Press(h, IDCANCEL);
    }});
    DoubleClick(dlg(), dlg().WindowList(), IDC_LIST_WINDOWS);
    EXPECT_EQ(driver.Finish(), 0);
    EXPECT_EQ(driver.StepsRun(), 1u);
    EXPECT_EQ(dlg().RuleList().GetItemCount(), 0);
}

TEST_F(RuleCommands, EditorKeepsItsRecordUntilCriteriaAndDelayAreValid) {
    ListTarget();
    std::wstring delayPrompt;
    HWND focusAfterPrompt = nullptr, delayField = nullptr;
    CDialogDriver driver(

        {[](HWND h) {
             for (int id : {IDC_CHECK_TITLE, IDC_CHECK_CLASS, IDC_CHECK_LOCATION,
                            IDC_CHECK_DIMENSIONS, IDC_CHECK_STYLE, IDC_CHECK_EXSTYLE})
                 SetChecked(h, id, false);
             Press(h, IDOK);
         },
         ExpectMessage(L"Select 1 or More Window Parameters with which to Find / Match the "
                       L"Desired Window and then try Again."),
         [](HWND h) { // still open: tick one box, but leave the delay empty
             SetChecked(h, IDC_CHECK_LOCATION, true);
             SetItemText(h, IDC_EDIT_DELAY, L"");
             Press(h, IDOK);
         },
         ExpectMessage(L"", &delayPrompt),
         [&](HWND h) {
             // The editor is enabled again a moment before the focus is moved.
             delayField = ::GetDlgItem(h, IDC_EDIT_DELAY);
             const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
             do {
                 GUITHREADINFO gui{};
                 gui.cbSize = sizeof(gui);
                 ::GetGUIThreadInfo(::GetWindowThreadProcessId(h, nullptr), &gui);
                 focusAfterPrompt = gui.hwndFocus;
             } while (focusAfterPrompt != delayField &&
                      std::chrono::steady_clock::now() < deadline && (::Sleep(2), true));
             SetItemText(h, IDC_EDIT_DELAY, L"2147483648"); // one past the 32-bit range
             Press(h, IDOK);
         },
         ExpectMessage(L""),
         [](HWND h) {
             SetItemText(h, IDC_EDIT_DELAY, L"-5");
             Press(h, IDOK);
         }});
    Command(dlg(), IDC_AUTOCLOSE_SELECTED);
    EXPECT_EQ(driver.Finish(), 0);
    EXPECT_EQ(driver.StepsRun(), 7u);
    EXPECT_FALSE(delayPrompt.empty());
    EXPECT_EQ(focusAfterPrompt, delayField);

    ASSERT_EQ(dlg().RuleList().GetItemCount(), 1);
    const CRule& rule = *dlg().GetRule(0);
    EXPECT_EQ(rule.m_nDelayMs, -5);
    EXPECT_TRUE(rule.m_bMatchLocation);
    EXPECT_FALSE(rule.m_bMatchClass || rule.m_bMatchTitle || rule.m_bMatchDimensions ||
                 rule.m_bMatchStyle || rule.m_bMatchExStyle);
}

TEST_F(RuleCommands, EditChangesTheRuleInPlaceAndCancelLeavesIt) {
    dlg().AppendRuleRow(Rule(L"first", 100));
    dlg().AppendRuleRow(Rule(L"second", 200));
    const RuleId second = dlg().GetRule(1)->m_nId;
    const auto before = Rows(dlg().RuleList());
    SelectRow(dlg().RuleList(), 1);

    std::wstring caption;
    CDialogDriver cancel({[&](HWND h) {
        caption = WindowText(h);
        SetChecked(h, IDC_CHECK_CLASS, false);
        SetChecked(h, IDC_CHECK_TITLE, true);
        SetItemText(h, IDC_EDIT_DELAY, L"1");
        Press(h, IDCANCEL);
    }});
    DoubleClick(dlg(), dlg().RuleList(), IDC_LIST_RULES);
    EXPECT_EQ(cancel.Finish(), 0);
    EXPECT_EQ(caption, kEditCaption);
    EXPECT_EQ(Rows(dlg().RuleList()), before);
    EXPECT_TRUE(dlg().GetRule(1)->m_bMatchClass);
    EXPECT_FALSE(dlg().GetRule(1)->m_bMatchTitle);
    EXPECT_EQ(dlg().GetRule(1)->m_nDelayMs, 200);

    CDialogDriver edit({[&](HWND h) {
        EXPECT_EQ(ItemText(h, IDC_EDIT_DELAY), L"200");
        SetChecked(h, IDC_CHECK_LOCATION, true);
        SetChecked(h, IDC_CHECK_DIMENSIONS, false);
        SetItemText(h, IDC_EDIT_DELAY, L"777");
        Press(h, IDOK);
    }});
    Command(dlg(), IDC_EDIT_RECORD);
    EXPECT_EQ(edit.Finish(), 0);
    EXPECT_EQ(dlg().GetRule(1)->m_nId, second); // the same rule, changed
    EXPECT_EQ(dlg().GetRule(1)->m_nDelayMs, 777);
    EXPECT_EQ(Rows(dlg().RuleList())[1], L"2||Cls|5|6|||0|0|777");
    EXPECT_EQ(Rows(dlg().RuleList())[0], before[0]);
}

TEST_F(RuleCommands, DeleteRenumbersTheRowsBelow) {
    for (const wchar_t* title : {L"r1", L"r2", L"r3", L"r4"})
        dlg().AppendRuleRow(Rule(title, 100));
    const RuleId third = dlg().GetRule(2)->m_nId;
    SelectRow(dlg().RuleList(), 1);
    CDialogDriver none({});
    Command(dlg(), IDC_DELETE_RECORD);
    EXPECT_EQ(none.Finish(), 0); // no confirmation question

    const auto rows = Rows(dlg().RuleList(), 1);
    EXPECT_EQ(rows, (std::vector<std::wstring>{L"1", L"2", L"3"}));
    EXPECT_EQ(dlg().GetRule(1)->m_nId, third);
    EXPECT_EQ(dlg().GetRule(0)->m_strTitle, L"r1");
    EXPECT_EQ(dlg().GetRule(2)->m_strTitle, L"r4");
}

TEST_F(RuleCommands, NothingSelectedShowsTheCommandsMessages) {
    dlg().AppendRuleRow(Rule(L"kept", 100));
    SelectRow(dlg().RuleList(), -1);
    HWND refresh = dlg().GetDlgItem(IDC_REFRESH);

    CDialogDriver driver(

        {ExpectMessage(L"Please Select a Window to Auto Close and then try Again."),
         ExpectMessage(L"Please Select a Window to Auto Close and then try Again."),
         ExpectMessage(L"Please Select a Window Record to Edit and then try Again."),
         ExpectMessage(L"Please Select a Window Record to Edit and then try Again."),
         ExpectMessage(L"Please Select a Window Record to Auto Close and then try Again.")});
    Command(dlg(), IDC_AUTOCLOSE_SELECTED);
    DoubleClick(dlg(), dlg().WindowList(), IDC_LIST_WINDOWS);
    ::SetFocus(refresh);
    Command(dlg(), IDC_EDIT_RECORD);
    EXPECT_EQ(::GetFocus(), dlg().RuleList().m_hWnd);
    DoubleClick(dlg(), dlg().RuleList(), IDC_LIST_RULES);
    ::SetFocus(refresh);
    Command(dlg(), IDC_DELETE_RECORD);
    EXPECT_EQ(::GetFocus(), refresh);
    EXPECT_EQ(driver.Finish(), 0); // and no editor opened
    EXPECT_EQ(driver.StepsRun(), 5u);
    EXPECT_EQ(dlg().RuleList().GetItemCount(), 1);
}

TEST_F(RuleCommands, TheApplyQuestionShowsEachCaptionOnOneLineAndFitsTheScreen) {
    // Many windows of another program, their captions long and with a tab and CR LF.
    qt::TargetWindows targets;
    std::vector<qt::TargetSpec> specs(30);
    for (size_t i = 0; i < specs.size(); ++i) {
        specs[i].caption = L"apply " + std::to_wstring(i);
        specs[i].cls = L"QxApplyTarget";
    }
    ASSERT_TRUE(targets.Start(specs));
    const std::wstring caption = L"Inbox\tMail\r\nFake line " + std::wstring(400, L'W');
    for (size_t i = 0; i < specs.size(); ++i)
        ::SendMessageW(targets.Window(i), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(caption.c_str()));
    CRule rule = Rule(L"", 0);
    rule.m_strClass = L"QxApplyTarget";
    rule.m_bMatchClass = TRUE;
    rule.m_bMatchDimensions = rule.m_bMatchStyle = rule.m_bMatchExStyle = FALSE;
    dlg().AppendRuleRow(rule);

    std::wstring text;
    RECT box{}, work{};
    CDialogDriver driver({[&](HWND h) {
        std::vector<wchar_t> buffer(65536);
        ::GetDlgItemTextW(h, 0xFFFF, buffer.data(), static_cast<int>(buffer.size()));
        text = buffer.data();
        ::GetWindowRect(h, &box);
        MONITORINFO monitor{};
        monitor.cbSize = sizeof monitor;
        ::GetMonitorInfoW(::MonitorFromWindow(h, MONITOR_DEFAULTTONEAREST), &monitor);
        work = monitor.rcWork;
        Press(h, IDCANCEL);
    }});
    dlg().SendMessage(WM_COMMAND, ID_POPUP_APPLY_RULES, 0);
    EXPECT_EQ(driver.Finish(), 0);
    ASSERT_EQ(driver.StepsRun(), 1u);

    EXPECT_EQ(text.find(L"Fake line"), text.find(L"Inbox\\tMail\\r\\nFake line") + 15) << text;
    EXPECT_EQ(text.find(L"\t"), std::wstring::npos);
    // Every caption is cut, and the box is within the screen.
    EXPECT_EQ(text.find(L"WWWW\r\n"), std::wstring::npos);
    EXPECT_NE(text.find(L"W\u2026"), std::wstring::npos);
    EXPECT_GE(box.top, work.top);
    EXPECT_LE(box.bottom, work.bottom);
    EXPECT_NE(text.find(L"more"), std::wstring::npos);
    EXPECT_TRUE(targets.Closes().empty());
    targets.Stop();
}

} // namespace
