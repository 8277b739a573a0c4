// The rule list and its add, edit and delete commands.
#include "ui/QuellixDlg.h"

#include "rules/WindowInfo.h"

void CQuellixDlg::SetupRuleListColumns() {}
void CQuellixDlg::AppendRuleRow(std::unique_ptr<CWindowInfo>) {}
void CQuellixDlg::UpdateRuleRow(int) {}
void CQuellixDlg::RenumberRuleRows() {}
CWindowInfo* CQuellixDlg::GetRule(int row) const {
    return reinterpret_cast<CWindowInfo*>(m_listRules.GetItemData(row));
}
void CQuellixDlg::OnAutoCloseSelectedWindow() {}
void CQuellixDlg::OnBnClickedAutoCloseSelected() {}
void CQuellixDlg::OnBnClickedEdit() {}
void CQuellixDlg::OnBnClickedDeleteRecord() {}
void CQuellixDlg::OnNMDblclkRuleList(NMHDR*, LRESULT*) {}
void CQuellixDlg::OnNMDblclkWindowList(NMHDR*, LRESULT*) {}
