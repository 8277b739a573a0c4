#include "RuleEditorDlg.h"

#include "framework/win/App.h"
#include "framework/win/MessageMap.h"
#include "engine/win/Snapshot.h"
#include "res/resource.h"
#include "rules/RuleCells.h"
#include "rules/RuleSet.h"

CDlgAutoCloseWindow::CDlgAutoCloseWindow(CWnd* parent) : CDialog(IDD_AUTOCLOSE_WINDOW, parent) {}

CDlgAutoCloseWindow::~CDlgAutoCloseWindow() = default;

bool CDlgAutoCloseWindow::OnWndMsg(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) {
    using M = CMessageMap<CDlgAutoCloseWindow>;
    static const M::Entry messageMap[] = {
        M::Command<&CDlgAutoCloseWindow::OnBnClickedOk>(IDOK),
        M::Command<&CDlgAutoCloseWindow::OnTitleModeChanged>(IDC_COMBO_TITLE_MODE, CBN_SELCHANGE),
        M::Command<&CDlgAutoCloseWindow::OnClassModeChanged>(IDC_COMBO_CLASS_MODE, CBN_SELCHANGE),
    };
    return M::Dispatch(messageMap, *this, msg, wp, lp, result) ||
           CDialog::OnWndMsg(msg, wp, lp, result);
}

void CDlgAutoCloseWindow::DoDataExchange(CDataExchange* pDX) {
    DDX_Text(pDX, IDC_EDIT_TITLE, m_strTitleText);
    DDX_Text(pDX, IDC_EDIT_CLASS, m_strClassText);
    DDX_Text(pDX, IDC_EDIT_DIMENSIONS, m_strDimensions);
    DDX_Text(pDX, IDC_EDIT_EXSTYLE, m_strExStyleText);
    DDX_Text(pDX, IDC_EDIT_STYLE, m_strStyleText);
    DDX_Check(pDX, IDC_CHECK_TITLE, m_bCheckTitle);
    DDX_Check(pDX, IDC_CHECK_CLASS, m_bCheckClass);
    DDX_Check(pDX, IDC_CHECK_DIMENSIONS, m_bCheckDimensions);
    DDX_Check(pDX, IDC_CHECK_STYLE, m_bCheckStyle);
    DDX_Check(pDX, IDC_CHECK_EXSTYLE, m_bCheckExStyle);
    DDX_Text(pDX, IDC_EDIT_DELAY, m_nDelay);
    DDX_Check(pDX, IDC_CHECK_LOCATION, m_bCheckLocation);
    DDX_Text(pDX, IDC_EDIT_LOCATION, m_strLocation);
    DDX_Check(pDX, IDC_CHECK_PROCESS, m_bCheckProcess);
    DDX_Text(pDX, IDC_EDIT_PROCESS, m_strProcessText);
    DDX_Check(pDX, IDC_CHECK_ENABLED, m_bEnabled);
    DDX_Text(pDX, IDC_EDIT_NAME, m_strName);
}

TextMode CDlgAutoCloseWindow::ModeOf(int comboId) const {
    const LRESULT i = ::SendDlgItemMessageW(m_hWnd, comboId, CB_GETCURSEL, 0, 0);
    return i >= 0 && i < kTextModeCount ? static_cast<TextMode>(i) : TextMode::Is;
}

void CDlgAutoCloseWindow::ApplyMode(int comboId, int editId, const CString& windowText) {
    const bool exact = ModeOf(comboId) == TextMode::Is;
    if (exact)
        ::SetDlgItemTextW(m_hWnd, editId, windowText);
    ::SendDlgItemMessageW(m_hWnd, editId, EM_SETREADONLY, exact ? TRUE : FALSE, 0);
}

void CDlgAutoCloseWindow::OnTitleModeChanged() {
    ApplyMode(IDC_COMBO_TITLE_MODE, IDC_EDIT_TITLE, m_pSource->m_strTitle);
}

void CDlgAutoCloseWindow::OnClassModeChanged() {
    ApplyMode(IDC_COMBO_CLASS_MODE, IDC_EDIT_CLASS, m_pSource->m_strClass);
}

BOOL CDlgAutoCloseWindow::OnInitDialog() {
    const CWindowInfo& source = *m_pSource;
    const RECT& rc = source.m_rcWindow;
    m_strTitleText = source.m_strTitle;
    m_strClassText = source.m_strClass;
    m_strDimensions.Format(L"Width = %d, Height = %d", RectWidth(rc), RectHeight(rc));
    m_strLocation.Format(L"X = %d, Y = %d", rc.left, rc.top);
    m_strStyleText.Format(L"%x", source.m_dwStyle);
    m_strExStyleText.Format(L"%x", source.m_dwExStyle);
    m_bCheckTitle = source.m_bMatchTitle;
    m_bCheckClass = source.m_bMatchClass;
    m_bCheckLocation = source.m_bMatchLocation;
    m_bCheckDimensions = source.m_bMatchDimensions;
    m_bCheckStyle = source.m_bMatchStyle;
    m_bCheckExStyle = source.m_bMatchExStyle;
    m_nDelay = source.m_nDelayMs;
    m_bCheckProcess = source.m_bMatchProcess;
    m_bEnabled = source.m_bEnabled;
    m_strName = source.m_strName;
    m_strProcessText = source.m_strProcess;
    if (!m_bEdit) {
        // A new rule names the window's program by its image's file name.
        CSnapshotReader reader;
        const StringView image = source.m_hWnd != nullptr ? reader.ReadProcess(source.m_hWnd)
                                                          : source.m_strProcess.View();
        m_strProcessText = CString(ProcessTextFor(StringView(), false, image));
    }

    CDialog::OnInitDialog();

    const struct {
        int id;
        TextMode mode;
    } combos[] = {{IDC_COMBO_TITLE_MODE, source.m_titleMode},
                  {IDC_COMBO_CLASS_MODE, source.m_classMode},
                  {IDC_COMBO_PROCESS_MODE, source.m_processMode}};
    for (const auto& combo : combos) {
        for (int m = 0; m < kTextModeCount; ++m)
            ::SendDlgItemMessageW(m_hWnd, combo.id, CB_ADDSTRING, 0,
                                  reinterpret_cast<LPARAM>(TextModeName(static_cast<TextMode>(m))));
        ::SendDlgItemMessageW(m_hWnd, combo.id, CB_SETCURSEL, static_cast<WPARAM>(combo.mode), 0);
    }
    // The text as the rule has it; read-only while compared exactly.
    ::SendDlgItemMessageW(m_hWnd, IDC_EDIT_TITLE, EM_SETREADONLY,
                          source.m_titleMode == TextMode::Is, 0);
    ::SendDlgItemMessageW(m_hWnd, IDC_EDIT_CLASS, EM_SETREADONLY,
                          source.m_classMode == TextMode::Is, 0);
    ::SendDlgItemMessageW(m_hWnd, IDC_EDIT_NAME, EM_SETLIMITTEXT, kMaxRuleName, 0);

    m_strCaption.Format(m_bEdit ? L"Edit Auto Close Window Info - %s"
                                : L"Add Auto Close Window Info - %s",
                        AfxGetApp()->m_strAppName);
    SetWindowText(m_strCaption);

    m_hIcon = ::LoadIconW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDR_MAINFRAME));
    SetIcon(m_hIcon, TRUE);
    SetIcon(m_hIcon, FALSE);
    return TRUE;
}

void CDlgAutoCloseWindow::OnBnClickedOk() {
    // A refused value (the delay) has been reported and focused: nothing may change.
    if (!UpdateData(TRUE))
        return;

    if (m_bCheckTitle + m_bCheckClass + m_bCheckLocation + m_bCheckDimensions + m_bCheckStyle +
            m_bCheckExStyle + m_bCheckProcess ==
        0) {
        MessageBox(L"Select 1 or More Window Parameters with which to Find / Match the Desired "
                   L"Window and then try Again.",
                   nullptr, MB_OK | MB_ICONINFORMATION);
        return;
    }

    // Both modes give a new record: the owner of the rules decides what becomes of it.
    std::unique_ptr<CWindowInfo> rule = m_pSource->CopyForRule();
    rule->m_titleMode = ModeOf(IDC_COMBO_TITLE_MODE);
    rule->m_classMode = ModeOf(IDC_COMBO_CLASS_MODE);
    rule->m_processMode = ModeOf(IDC_COMBO_PROCESS_MODE);
    // An exact text stays the window's whole text (an edit control may hold less of it).
    if (rule->m_titleMode != TextMode::Is)
        rule->m_strTitle = m_strTitleText;
    if (rule->m_classMode != TextMode::Is)
        rule->m_strClass = m_strClassText;
    rule->m_strProcess = m_strProcessText;
    rule->m_bMatchProcess = m_bCheckProcess;
    rule->m_bEnabled = m_bEnabled;
    rule->m_strName = m_strName;
    rule->m_bMatchTitle = m_bCheckTitle;
    rule->m_bMatchClass = m_bCheckClass;
    const CString problem = RuleProblem(*rule);
    if (!problem.IsEmpty()) {
        MessageBox(problem, nullptr, MB_OK | MB_ICONINFORMATION);
        return;
    }
    m_pNewRule = std::move(rule);
    m_pResult = m_pNewRule.get();
    m_pResult->m_bMatchTitle = m_bCheckTitle;
    m_pResult->m_bMatchClass = m_bCheckClass;
    m_pResult->m_bMatchLocation = m_bCheckLocation;
    m_pResult->m_bMatchDimensions = m_bCheckDimensions;
    m_pResult->m_bMatchStyle = m_bCheckStyle;
    m_pResult->m_bMatchExStyle = m_bCheckExStyle;
    m_pResult->m_nDelayMs = m_nDelay;

    CDialog::OnOK();
}
