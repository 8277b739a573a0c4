// The rule editor's live line: how many open windows the rule as it stands matches now.
#include "support/Driver.h"
#include "support/InProcessApp.h"

#include "res/resource.h"
#include "rules/WindowInfo.h"
#include "ui/win/RuleEditorDlg.h"

#include <gtest/gtest.h>

#include <string>

namespace {

CInProcessTestApp theTestApp;

std::wstring LineOf(HWND editor) {
    wchar_t text[512] = {};
    ::GetDlgItemTextW(editor, IDC_MATCH_LINE, text, 512);
    return text;
}

LRESULT CALLBACK PlainWindowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    return ::DefWindowProcW(hwnd, msg, wp, lp);
}

TEST(RuleEditorLive, CountsTheHelperWindowsTheRuleMatchesAndFollowsTheBoxes) {
    qt::TargetWindows targets;
    qt::TargetSpec one, two;
    one.caption = L"Live One";
    two.caption = L"Live Two";
    one.cls = two.cls = L"QxLive";
    two.x = 500;
    ASSERT_TRUE(targets.Start({one, two}));

    // A window of this process that the same rule matches: counted apart, as a warning.
    WNDCLASSW wc{};
    wc.lpfnWndProc = PlainWindowProc;
    wc.hInstance = ::GetModuleHandleW(nullptr);
    wc.lpszClassName = L"QxLive";
    ::RegisterClassW(&wc);
    HWND own = ::CreateWindowExW(0, L"QxLive", L"Own Live", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 300,
                                 300, 300, 200, nullptr, nullptr, wc.hInstance, nullptr);
    ASSERT_NE(own, nullptr);
    ::SetWindowPos(own, nullptr, 300, 300, 300, 200, SWP_NOZORDER | SWP_NOACTIVATE);

    // The rule as "Auto Close Selected Window" makes it from the first helper window.
    HWND first = targets.Window(0);
    CRule source;
    source.m_strTitle = L"Live One";
    source.m_strClass = L"QxLive";
    ::GetWindowRect(first, &source.m_rcWindow);
    source.m_dwStyle = static_cast<DWORD>(::GetWindowLongW(first, GWL_STYLE));
    source.m_dwExStyle = static_cast<DWORD>(::GetWindowLongW(first, GWL_EXSTYLE));
    ASSERT_EQ(static_cast<DWORD>(::GetWindowLongW(own, GWL_STYLE)), source.m_dwStyle);

    CDlgAutoCloseWindow editor;
    editor.m_pSource = &source;
    ASSERT_TRUE(editor.Create(IDD_AUTOCLOSE_WINDOW));
    std::wstring line = LineOf(editor.m_hWnd);
    EXPECT_EQ(line.find(L"Warning: it matches Quellix's own windows"), 0u) << line;
    EXPECT_NE(line.find(L"Matches 2 open windows: "), std::wstring::npos) << line;
    EXPECT_NE(line.find(L"Live One"), std::wstring::npos) << line;
    EXPECT_NE(line.find(L"Live Two"), std::wstring::npos) << line;
    EXPECT_NE(line.find(L"own windows"), std::wstring::npos) << line;

    ::SendMessageW(::GetDlgItem(editor.m_hWnd, IDC_CHECK_TITLE), BM_CLICK, 0, 0);
    line = LineOf(editor.m_hWnd);
    EXPECT_EQ(line, L"Matches 1 open window: Live One");

    ::DestroyWindow(own);
    targets.Stop();
}

TEST(RuleEditorLive, APatternMadeExactStaysEditableAndAnOffRuleIsCountedIfEnabled) {
    qt::TargetWindows targets;
    qt::TargetSpec one;
    one.caption = L"Exact Again";
    one.cls = L"QxLiveExact";
    ASSERT_TRUE(targets.Start({one}));

    // A rule of the rule list, not a window: its title is a pattern, its class exact.
    CRule rule;
    rule.m_strTitle = L"Exact*";
    rule.m_titleMode = TextMode::Wildcard;
    rule.m_strClass = L"QxLiveExact";
    rule.m_bMatchTitle = TRUE;
    rule.m_bMatchClass = TRUE;
    rule.m_bMatchDimensions = rule.m_bMatchStyle = rule.m_bMatchExStyle = FALSE;
    rule.m_bEnabled = FALSE;

    CDlgAutoCloseWindow editor;
    editor.m_pSource = &rule;
    editor.m_bEdit = TRUE;
    ASSERT_TRUE(editor.Create(IDD_AUTOCLOSE_WINDOW));
    EXPECT_EQ(LineOf(editor.m_hWnd), L"Matches 1 open window if enabled: Exact Again");

    HWND combo = ::GetDlgItem(editor.m_hWnd, IDC_COMBO_TITLE_MODE);
    HWND edit = ::GetDlgItem(editor.m_hWnd, IDC_EDIT_TITLE);
    ::SendMessageW(combo, CB_SETCURSEL, static_cast<WPARAM>(TextMode::Is), 0);
    ::SendMessageW(editor.m_hWnd, WM_COMMAND, MAKEWPARAM(IDC_COMBO_TITLE_MODE, CBN_SELCHANGE),
                   reinterpret_cast<LPARAM>(combo));
    wchar_t text[64] = {};
    ::GetWindowTextW(edit, text, 64);
    EXPECT_STREQ(text, L"Exact*");
    EXPECT_EQ(::GetWindowLongW(edit, GWL_STYLE) & ES_READONLY, 0);
    EXPECT_EQ(LineOf(editor.m_hWnd), L"Matches no open window if enabled");
    // The title typed is the exact title the rule then has.
    ::SetWindowTextW(edit, L"Exact Again");
    EXPECT_EQ(LineOf(editor.m_hWnd), L"Matches 1 open window if enabled: Exact Again");
    ::SendMessageW(::GetDlgItem(editor.m_hWnd, IDC_CHECK_ENABLED), BM_CLICK, 0, 0);
    EXPECT_EQ(LineOf(editor.m_hWnd), L"Matches 1 open window: Exact Again");
    targets.Stop();
}

} // namespace
