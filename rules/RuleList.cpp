// The rule list and its add, edit and delete commands.
#include "ui/QuellixDlg.h"

#include "app/SettingsStore.h"
#include "res/resource.h"
#include "rules/RuleCells.h"
#include "rules/RuleEditorDlg.h"
#include "rules/WindowInfo.h"

namespace {

int SelectedRow(const CListCtrl& list) {
    return list.GetNextItem(-1, LVNI_SELECTED);
}

} // namespace

void CQuellixDlg::SetupRuleListColumns() {
    m_listRules.ModifyStyle(0, LVS_REPORT | LVS_SINGLESEL);
    m_listRules.SetExtendedStyle(m_listRules.GetExtendedStyle() | LVS_EX_GRIDLINES |
                                 LVS_EX_FULLROWSELECT);
    for (int i = 0; i < kRuleColumnCount; ++i) {
        const CRuleColumn& column = kRuleColumns[i];
        CString name;
        name.Format(Settings::kColumnWidthFormat, i, Settings::kRuleListNumber);
        const int width = static_cast<int>(
            AfxGetApp()->GetProfileIntW(Settings::kSection, name, column.defaultWidth));
        m_listRules.InsertColumn(i, column.caption, column.centred ? LVCFMT_CENTER : LVCFMT_LEFT,
                                 width);
    }
}

void CQuellixDlg::AppendRuleRow(std::unique_ptr<CWindowInfo> record) {
    const int n = m_listRules.GetItemCount();
    const int row = m_listRules.InsertItem(n, RuleRowNumberText(n));
    if (row < 0)
        return;
    if (!m_listRules.SetItemData(row, reinterpret_cast<DWORD_PTR>(record.get()))) {
        m_listRules.DeleteItem(row);
        return;
    }
    record.release(); // the row owns it now
    UpdateRuleRow(row);
}

void CQuellixDlg::UpdateRuleRow(int row) {
    const CWindowInfo* rule = GetRule(row);
    if (rule == nullptr)
        return;
    for (int column = 1; column < kRuleColumnCount; ++column)
        m_listRules.SetItemText(row, column, RuleCellText(*rule, column));
}

void CQuellixDlg::RenumberRuleRows() {
    const int n = m_listRules.GetItemCount();
    for (int row = 0; row < n; ++row)
        m_listRules.SetItemText(row, 0, RuleRowNumberText(row));
}

CWindowInfo* CQuellixDlg::GetRule(int row) const {
    return reinterpret_cast<CWindowInfo*>(m_listRules.GetItemData(row));
}

void CQuellixDlg::OnAutoCloseSelectedWindow() {
    const int row = SelectedRow(m_listWindows);
    CWindowInfo* source =
        row < 0 ? nullptr : reinterpret_cast<CWindowInfo*>(m_listWindows.GetItemData(row));
    if (source == nullptr) {
        MessageBox(L"Please Select a Window to Auto Close and then try Again.", nullptr,
                   MB_OK | MB_ICONINFORMATION);
        return;
    }
    CDlgAutoCloseWindow editor(this);
    editor.m_pSource = source;
    if (editor.DoModal() == IDOK)
        AppendRuleRow(editor.TakeNewRule());
}

void CQuellixDlg::OnBnClickedAutoCloseSelected() {
    OnAutoCloseSelectedWindow();
}

void CQuellixDlg::OnBnClickedEdit() {
    const int row = SelectedRow(m_listRules);
    CWindowInfo* rule = row < 0 ? nullptr : GetRule(row);
    if (rule == nullptr) {
        MessageBox(L"Please Select a Window Record to Edit and then try Again.", nullptr,
                   MB_OK | MB_ICONINFORMATION);
        ::SetFocus(m_listRules);
        return;
    }
    CDlgAutoCloseWindow editor(this);
    editor.m_pSource = rule;
    editor.m_bEdit = TRUE;
    if (editor.DoModal() == IDOK)
        UpdateRuleRow(row);
}

void CQuellixDlg::OnBnClickedDeleteRecord() {
    const int row = SelectedRow(m_listRules);
    if (row < 0) {
        MessageBox(L"Please Select a Window Record to Auto Close and then try Again.", nullptr,
                   MB_OK | MB_ICONINFORMATION);
        return;
    }
    if (CWindowInfo* rule = GetRule(row)) {
        CancelPendingClose(*rule);
        delete rule;
    }
    m_listRules.DeleteItem(row);
    RenumberRuleRows();
}

void CQuellixDlg::OnNMDblclkRuleList(NMHDR*, LRESULT* result) {
    OnBnClickedEdit();
    *result = 0;
}

void CQuellixDlg::OnNMDblclkWindowList(NMHDR*, LRESULT* result) {
    OnAutoCloseSelectedWindow();
    *result = 0;
}
