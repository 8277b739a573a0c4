#include "RuleEditorDlg.h"

#include "framework/win/App.h"
#include "framework/win/MessageMap.h"
#include "engine/win/Snapshot.h"
#include "res/resource.h"
#include "engine/win/OpenWindows.h"
#include "rules/RuleCells.h"
#include "rules/RuleSet.h"
#include "ui/MatchText.h"

CDlgAutoCloseWindow::CDlgAutoCloseWindow(CWnd* parent) : CDialog(IDD_AUTOCLOSE_WINDOW, parent) {}

CDlgAutoCloseWindow::~CDlgAutoCloseWindow() = default;

bool CDlgAutoCloseWindow::OnWndMsg(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) {
    using M = CMessageMap<CDlgAutoCloseWindow>;
    static const M::Entry messageMap[] = {
        M::Command<&CDlgAutoCloseWindow::OnBnClickedOk>(IDOK),
        M::Command<&CDlgAutoCloseWindow::OnTitleModeChanged>(IDC_COMBO_TITLE_MODE, CBN_SELCHANGE),
        M::Command<&CDlgAutoCloseWindow::OnClassModeChanged>(IDC_COMBO_CLASS_MODE, CBN_SELCHANGE),
        M::Command<&CDlgAutoCloseWindow::UpdateMatchLine>(IDC_CHECK_TITLE),
        M::Command<&CDlgAutoCloseWindow::UpdateMatchLine>(IDC_CHECK_CLASS),
        M::Command<&CDlgAutoCloseWindow::UpdateMatchLine>(IDC_CHECK_LOCATION),
        M::Command<&CDlgAutoCloseWindow::UpdateMatchLine>(IDC_CHECK_DIMENSIONS),
        M::Command<&CDlgAutoCloseWindow::UpdateMatchLine>(IDC_CHECK_STYLE),
        M::Command<&CDlgAutoCloseWindow::UpdateMatchLine>(IDC_CHECK_EXSTYLE),
        M::Command<&CDlgAutoCloseWindow::UpdateMatchLine>(IDC_CHECK_PROCESS),
        M::Command<&CDlgAutoCloseWindow::UpdateMatchLine>(IDC_CHECK_ENABLED),
        M::Command<&CDlgAutoCloseWindow::UpdateMatchLine>(IDC_COMBO_PROCESS_MODE, CBN_SELCHANGE),
        M::Command<&CDlgAutoCloseWindow::UpdateMatchLine>(IDC_CHECK_MESSAGE),
        M::Command<&CDlgAutoCloseWindow::UpdateMatchLine>(IDC_COMBO_MESSAGE_MODE, CBN_SELCHANGE),
        M::Command<&CDlgAutoCloseWindow::UpdateMatchLine>(IDC_COMBO_BUTTON_MODE, CBN_SELCHANGE),
        M::Command<&CDlgAutoCloseWindow::UpdateMatchLine>(IDC_COMBO_ESCALATE, CBN_SELCHANGE),
        M::Command<&CDlgAutoCloseWindow::OnActionChanged>(IDC_COMBO_ACTION, CBN_SELCHANGE),
        M::Command<&CDlgAutoCloseWindow::OnButtonChosen>(IDC_COMBO_BUTTONS, CBN_SELCHANGE),
    };
    // A criterion's text changed: the live line follows (after the dialog exists).
    if (msg == WM_COMMAND && HIWORD(wp) == EN_CHANGE && m_pSource != nullptr &&
        (LOWORD(wp) == IDC_EDIT_TITLE || LOWORD(wp) == IDC_EDIT_CLASS ||
         LOWORD(wp) == IDC_EDIT_PROCESS || LOWORD(wp) == IDC_EDIT_MESSAGE ||
         LOWORD(wp) == IDC_EDIT_BUTTON || LOWORD(wp) == IDC_EDIT_BUTTON_ID ||
         LOWORD(wp) == IDC_EDIT_ESCALATE_AFTER))
        UpdateMatchLine();
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
    DDX_Check(pDX, IDC_TRIGGER_FOREGROUND, m_bTriggerForeground);
    DDX_Check(pDX, IDC_TRIGGER_TITLE, m_bTriggerTitle);
    DDX_Check(pDX, IDC_TRIGGER_SHOWN, m_bTriggerShown);
    DDX_Check(pDX, IDC_CHECK_MESSAGE, m_bCheckMessage);
    DDX_Text(pDX, IDC_EDIT_MESSAGE, m_strMessageText);
    DDX_Text(pDX, IDC_EDIT_BUTTON, m_strButtonText);
    DDX_Text(pDX, IDC_EDIT_BUTTON_ID, m_nButtonId);
    DDX_Text(pDX, IDC_EDIT_ESCALATE_AFTER, m_nEscalateAfter);
}

void CDlgAutoCloseWindow::FillCombo(int comboId, std::span<const WCHAR16* const> entries,
                                    int chosen) {
    for (const WCHAR16* entry : entries)
        ::SendDlgItemMessageW(m_hWnd, comboId, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(entry));
    ::SendDlgItemMessageW(m_hWnd, comboId, CB_SETCURSEL, static_cast<WPARAM>(chosen), 0);
}

int CDlgAutoCloseWindow::ChoiceOf(int comboId) const {
    const LRESULT i = ::SendDlgItemMessageW(m_hWnd, comboId, CB_GETCURSEL, 0, 0);
    return i < 0 ? 0 : static_cast<int>(i);
}

void CDlgAutoCloseWindow::OnActionChanged() {
    // Only the rows of the chosen action can be used.
    const auto action = static_cast<ERuleAction>(ChoiceOf(IDC_COMBO_ACTION));
    for (int id : {IDC_COMBO_BUTTONS, IDC_COMBO_BUTTON_MODE, IDC_EDIT_BUTTON, IDC_EDIT_BUTTON_ID})
        ::EnableWindow(::GetDlgItem(m_hWnd, id), action == ERuleAction::Press);
    for (int id : {IDC_COMBO_ESCALATE, IDC_EDIT_ESCALATE_AFTER})
        ::EnableWindow(::GetDlgItem(m_hWnd, id), action == ERuleAction::Close);
    UpdateMatchLine();
}

void CDlgAutoCloseWindow::OnButtonChosen() {
    const int i = ChoiceOf(IDC_COMBO_BUTTONS);
    if (i >= static_cast<int>(m_buttons.size()))
        return;
    // A standard id works in every language; any other button goes by its text.
    const auto& [text, id] = m_buttons[static_cast<size_t>(i)];
    ::SetDlgItemTextW(m_hWnd, IDC_EDIT_BUTTON, text);
    ::SetDlgItemInt(m_hWnd, IDC_EDIT_BUTTON_ID, IsStandardButtonId(id) ? id : 0, FALSE);
    UpdateMatchLine();
}

TextMode CDlgAutoCloseWindow::ModeOf(int comboId) const {
    const LRESULT i = ::SendDlgItemMessageW(m_hWnd, comboId, CB_GETCURSEL, 0, 0);
    return i >= 0 && i < kTextModeCount ? static_cast<TextMode>(i) : TextMode::Is;
}

namespace {

// Whether the rule takes the edit control's text. An exact text from the source is its whole
// text (an edit control may hold less of it); a pattern made exact has no window's text behind
// it, so what the user types is the exact text.
bool TakesEditText(TextMode mode, TextMode sourceMode) {
    return mode != TextMode::Is || sourceMode != TextMode::Is;
}

} // namespace

void CDlgAutoCloseWindow::ApplyMode(int comboId, int editId, const CString& sourceText,
                                    TextMode sourceMode) {
    // A window's text, or a rule's exact text, comes back whole and fixed; a pattern rule made
    // exact keeps its text, editable.
    const bool fixed = !TakesEditText(ModeOf(comboId), sourceMode);
    if (fixed)
        ::SetDlgItemTextW(m_hWnd, editId, sourceText);
    ::SendDlgItemMessageW(m_hWnd, editId, EM_SETREADONLY, fixed ? TRUE : FALSE, 0);
}

void CDlgAutoCloseWindow::OnTitleModeChanged() {
    ApplyMode(IDC_COMBO_TITLE_MODE, IDC_EDIT_TITLE, m_pSource->m_strTitle, m_pSource->m_titleMode);
    UpdateMatchLine();
}

void CDlgAutoCloseWindow::OnClassModeChanged() {
    ApplyMode(IDC_COMBO_CLASS_MODE, IDC_EDIT_CLASS, m_pSource->m_strClass, m_pSource->m_classMode);
    UpdateMatchLine();
}

BOOL CDlgAutoCloseWindow::OnInitDialog() {
    const CRule& source = *m_pSource;
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
        const StringView image = m_hSourceWindow != nullptr ? reader.ReadProcess(m_hSourceWindow)
                                                            : source.m_strProcess.View();
        m_strProcessText = CString(ProcessTextFor(StringView(), false, image));
    }
    m_bTriggerForeground = (source.m_dwTriggers & kTriggerForeground) != 0;
    m_bTriggerTitle = (source.m_dwTriggers & kTriggerTitleChange) != 0;
    m_bTriggerShown = (source.m_dwTriggers & kTriggerShown) != 0;
    m_bCheckMessage = source.m_bMatchMessage;
    m_strMessageText = source.m_strMessage;
    m_strButtonText = source.m_strButton;
    m_nButtonId = source.m_nButtonId;
    m_nEscalateAfter = source.m_nEscalateAfterMs;

    CDialog::OnInitDialog();

    const struct {
        int id;
        TextMode mode;
    } combos[] = {{IDC_COMBO_TITLE_MODE, source.m_titleMode},
                  {IDC_COMBO_CLASS_MODE, source.m_classMode},
                  {IDC_COMBO_PROCESS_MODE, source.m_processMode},
                  {IDC_COMBO_MESSAGE_MODE, source.m_messageMode},
                  {IDC_COMBO_BUTTON_MODE, source.m_buttonMode}};
    const WCHAR16* modes[kTextModeCount];
    for (int m = 0; m < kTextModeCount; ++m)
        modes[m] = TextModeName(static_cast<TextMode>(m));
    for (const auto& combo : combos)
        FillCombo(combo.id, modes, static_cast<int>(combo.mode));
    static const WCHAR16* const kActions[kRuleActionCount] = {
        L"Close the window", L"Press a button", L"Minimize the window"};
    FillCombo(IDC_COMBO_ACTION, kActions, static_cast<int>(source.m_action));
    static const WCHAR16* const kEscalations[kEscalateCount] = {
        L"do nothing", L"use the window menu's Close",
        L"... then end the program if it does not respond, after asking"};
    FillCombo(IDC_COMBO_ESCALATE, kEscalations, static_cast<int>(source.m_escalate));
    OfferSourceDialog();
    OnActionChanged();
    // The text as the rule has it; read-only while compared exactly.
    ::SendDlgItemMessageW(m_hWnd, IDC_EDIT_TITLE, EM_SETREADONLY,
                          source.m_titleMode == TextMode::Is, 0);
    ::SendDlgItemMessageW(m_hWnd, IDC_EDIT_CLASS, EM_SETREADONLY,
                          source.m_classMode == TextMode::Is, 0);
    ::SendDlgItemMessageW(m_hWnd, IDC_EDIT_NAME, EM_SETLIMITTEXT, kMaxRuleName, 0);
    m_bMatchLineLive = true;
    UpdateMatchLine();

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
            m_bCheckExStyle + m_bCheckProcess + m_bCheckMessage ==
        0) {
        MessageBox(L"Select 1 or More Window Parameters with which to Find / Match the Desired "
                   L"Window and then try Again.",
                   nullptr, MB_OK | MB_ICONINFORMATION);
        return;
    }

    if (m_bTriggerForeground + m_bTriggerTitle + m_bTriggerShown == 0) {
        MessageBox(L"Select 1 or More Moments at which to Check the Window and then try Again.",
                   nullptr, MB_OK | MB_ICONINFORMATION);
        return;
    }

    // Both modes give new values: the owner of the rules decides what becomes of them.
    CRule rule = RuleOfControls();
    rule.m_nDelayMs = m_nDelay;
    const CString problem = RuleProblem(rule);
    if (!problem.IsEmpty()) {
        MessageBox(problem, nullptr, MB_OK | MB_ICONINFORMATION);
        return;
    }
    m_newRule = std::move(rule);

    CDialog::OnOK();
}

CRule CDlgAutoCloseWindow::RuleOfControls() const {
    CRule rule = *m_pSource;
    const auto checked = [&](int id) { return ::IsDlgButtonChecked(m_hWnd, id) == BST_CHECKED; };
    const auto text = [&](int id) {
        CWnd control;
        control.m_hWnd = ::GetDlgItem(m_hWnd, id);
        return control.GetWindowText();
    };
    rule.m_bMatchTitle = checked(IDC_CHECK_TITLE);
    rule.m_bMatchClass = checked(IDC_CHECK_CLASS);
    rule.m_bMatchLocation = checked(IDC_CHECK_LOCATION);
    rule.m_bMatchDimensions = checked(IDC_CHECK_DIMENSIONS);
    rule.m_bMatchStyle = checked(IDC_CHECK_STYLE);
    rule.m_bMatchExStyle = checked(IDC_CHECK_EXSTYLE);
    rule.m_titleMode = ModeOf(IDC_COMBO_TITLE_MODE);
    rule.m_classMode = ModeOf(IDC_COMBO_CLASS_MODE);
    rule.m_processMode = ModeOf(IDC_COMBO_PROCESS_MODE);
    if (TakesEditText(rule.m_titleMode, m_pSource->m_titleMode))
        rule.m_strTitle = text(IDC_EDIT_TITLE);
    if (TakesEditText(rule.m_classMode, m_pSource->m_classMode))
        rule.m_strClass = text(IDC_EDIT_CLASS);
    rule.m_bMatchProcess = checked(IDC_CHECK_PROCESS);
    rule.m_strProcess = text(IDC_EDIT_PROCESS);
    rule.m_bEnabled = checked(IDC_CHECK_ENABLED);
    rule.m_strName = text(IDC_EDIT_NAME);
    rule.m_dwTriggers = (checked(IDC_TRIGGER_FOREGROUND) ? kTriggerForeground : 0) |
                        (checked(IDC_TRIGGER_TITLE) ? kTriggerTitleChange : 0) |
                        (checked(IDC_TRIGGER_SHOWN) ? kTriggerShown : 0);
    rule.m_bMatchMessage = checked(IDC_CHECK_MESSAGE);
    rule.m_messageMode = ModeOf(IDC_COMBO_MESSAGE_MODE);
    rule.m_strMessage = text(IDC_EDIT_MESSAGE);
    rule.m_action = static_cast<ERuleAction>(ChoiceOf(IDC_COMBO_ACTION));
    rule.m_buttonMode = ModeOf(IDC_COMBO_BUTTON_MODE);
    rule.m_strButton = text(IDC_EDIT_BUTTON);
    rule.m_nButtonId =
        static_cast<int>(::GetDlgItemInt(m_hWnd, IDC_EDIT_BUTTON_ID, nullptr, FALSE));
    rule.m_escalate = static_cast<EEscalate>(ChoiceOf(IDC_COMBO_ESCALATE));
    rule.m_nEscalateAfterMs =
        static_cast<int>(::GetDlgItemInt(m_hWnd, IDC_EDIT_ESCALATE_AFTER, nullptr, FALSE));
    return rule;
}

void CDlgAutoCloseWindow::OfferSourceDialog() {
    // Filled in with the window's buttons and message once they can be read.
}

void CDlgAutoCloseWindow::UpdateMatchLine() {
    if (!m_bMatchLineLive || m_hWnd == nullptr || m_pSource == nullptr)
        return;
    // The rule as the boxes and texts stand now, matched as the watcher would match it.
    // A rule switched off is counted as if it were on, and the line says so.
    CRule rule = RuleOfControls();
    const bool off = !rule.m_bEnabled;
    rule.m_bEnabled = TRUE;
    CRuleSet one;
    one.Add(rule);
    std::vector<CString> captions;
    int own = 0;
    for (const COpenMatch& match : FindOpenMatches(one)) {
        if (match.bOwn)
            ++own;
        else
            captions.push_back(match.strCaption);
    }
    ::SetDlgItemTextW(
        m_hWnd, IDC_MATCH_LINE,
        MatchLineText(captions, own, off,
                      rule.m_action == ERuleAction::Close && rule.m_escalate == EEscalate::None
                          ? CString()
                          : RuleActionText(rule)));
}
