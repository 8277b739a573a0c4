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
    EXPECT_EQ(line.rfind(L"Matches 2 open windows: ", 0), 0u) << line;
    EXPECT_NE(line.find(L"Live One"), std::wstring::npos) << line;
    EXPECT_NE(line.find(L"Live Two"), std::wstring::npos) << line;
    EXPECT_NE(line.find(L"own windows"), std::wstring::npos) << line;

    ::SendMessageW(::GetDlgItem(editor.m_hWnd, IDC_CHECK_TITLE), BM_CLICK, 0, 0);
    line = LineOf(editor.m_hWnd);
    EXPECT_EQ(line, L"Matches 1 open window: Live One");

    ::DestroyWindow(own);
    targets.Stop();
}

} // namespace
