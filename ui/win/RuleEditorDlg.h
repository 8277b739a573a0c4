// CDlgAutoCloseWindow: the rule editor. In add mode it makes a new rule from a listed window;
// in edit mode the new values of a rule. It changes no rule itself.
#pragma once

#include "framework/win/Dialog.h"
#include "rules/Rule.h"

#include <span>
#include <vector>

class CDlgAutoCloseWindow : public CDialog {
public:
    explicit CDlgAutoCloseWindow(CWnd* parent = nullptr);
    ~CDlgAutoCloseWindow() override;

    // After IDOK: the new rule, or the edited rule's new values.
    const CRule& NewRule() const { return m_newRule; }

    // The rule shown at first: one made from a listed window (its handle in m_hSourceWindow,
    // whose program is read), or the rule being edited.
    const CRule* m_pSource = nullptr;
    HWND m_hSourceWindow = nullptr;
    CString m_strCaption;
    HICON m_hIcon = nullptr;
    BOOL m_bEdit = FALSE;
    CString m_strTitleText;
    CString m_strClassText;
    CString m_strDimensions;
    CString m_strExStyleText;
    CString m_strStyleText;
    BOOL m_bCheckTitle = FALSE;
    BOOL m_bCheckClass = FALSE;
    BOOL m_bCheckDimensions = FALSE;
    BOOL m_bCheckStyle = FALSE;
    BOOL m_bCheckExStyle = FALSE;
    int m_nDelay = 0;
    BOOL m_bCheckLocation = FALSE;
    CString m_strLocation;
    BOOL m_bCheckProcess = FALSE;
    CString m_strProcessText;
    BOOL m_bEnabled = TRUE;
    CString m_strName;
    // When the rule is checked (kTrigger* of rules/WindowInfo.h).
    BOOL m_bTriggerForeground = TRUE;
    BOOL m_bTriggerTitle = FALSE;
    BOOL m_bTriggerShown = FALSE;
    // A dialog's message, and what the rule does.
    BOOL m_bCheckMessage = FALSE;
    CString m_strMessageText;
    CString m_strButtonText;
    int m_nButtonId = 0;
    int m_nEscalateAfter = 3000;

    // The live line: how many open windows the rule as it stands matches now.
    void UpdateMatchLine();

protected:
    bool OnWndMsg(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;
    void DoDataExchange(CDataExchange* pDX) override;
    BOOL OnInitDialog() override;
    void OnBnClickedOk();
    void OnTitleModeChanged();
    void OnClassModeChanged();
    void OnActionChanged();
    void OnButtonChosen();

private:
    // The mode chosen in a drop-down.
    TextMode ModeOf(int comboId) const;
    // With "is" the text is the source's exact one and read-only (a pattern rule made exact
    // keeps its text, editable); otherwise it is the user's.
    void ApplyMode(int comboId, int editId, const CString& sourceText, TextMode sourceMode);

    // The rule as the controls stand now: the check's and the live line's.
    CRule RuleOfControls() const;
    // A drop-down's entries, and its choice.
    void FillCombo(int comboId, std::span<const WCHAR16* const> entries, int chosen);
    int ChoiceOf(int comboId) const;
    // The source window's buttons and message, offered for a rule that answers it.
    void OfferSourceDialog();

    CRule m_newRule;
    // The buttons the drop-down offers: text and id.
    std::vector<std::pair<CString, int>> m_buttons;
    // The live line is computed only once the dialog shows its values.
    bool m_bMatchLineLive = false;
};
