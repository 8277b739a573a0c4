// CDlgAutoCloseWindow: the rule editor. In add mode it makes a new rule from a window-list
// record; in edit mode the new values of a rule. It changes no record itself.
#pragma once

#include "framework/win/Dialog.h"
#include "rules/WindowInfo.h"

#include <memory>

class CDlgAutoCloseWindow : public CDialog {
public:
    explicit CDlgAutoCloseWindow(CWnd* parent = nullptr);
    ~CDlgAutoCloseWindow() override;

    // After IDOK: the new rule, or the edited rule's new values, now owned by the caller.
    std::unique_ptr<CWindowInfo> TakeNewRule() { return std::move(m_pNewRule); }

    CWindowInfo* m_pSource = nullptr;
    CWindowInfo* m_pResult = nullptr;
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

    // The live line: how many open windows the rule as it stands matches now.
    void UpdateMatchLine();

protected:
    bool OnWndMsg(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;
    void DoDataExchange(CDataExchange* pDX) override;
    BOOL OnInitDialog() override;
    void OnBnClickedOk();
    void OnTitleModeChanged();
    void OnClassModeChanged();

private:
    // The mode chosen in a drop-down.
    TextMode ModeOf(int comboId) const;
    // With "is" the text is the source's exact one and read-only (a pattern rule made exact
    // keeps its text, editable); otherwise it is the user's.
    void ApplyMode(int comboId, int editId, const CString& sourceText, TextMode sourceMode);

    // Owns the add mode's new rule until the caller takes it.
    std::unique_ptr<CWindowInfo> m_pNewRule;
    // The live line is computed only once the dialog shows its values.
    bool m_bMatchLineLive = false;
};
