// The rule list and its add, edit and delete commands. The list view shows the rule set: it
// holds no rows of its own (owner data) and asks for each cell it draws.
#include "QuellixDlg.h"

#include "ui/win/SettingsStore.h"
#include "res/resource.h"
#include "ui/Policies.h"
#include "rules/RuleCells.h"
#include "ui/win/RuleEditorDlg.h"
#include "rules/WindowInfo.h"

namespace {

int SelectedRow(const CListCtrl& list) {
    return list.GetNextItem(-1, LVNI_SELECTED);
}

} // namespace

void CQuellixDlg::SetupRuleListColumns() {
    SetupListColumns(m_listRules, Settings::kRuleListNumber, kRuleColumnCount);
    SetupClosedColumn();
}

void CQuellixDlg::ShowRuleCount() {
    m_listRules.SetItemCountEx(m_rules.GetCount());
}

void CQuellixDlg::AppendRuleRow(std::unique_ptr<CWindowInfo> record) {
    m_rules.Add(std::move(record));
    ShowRuleCount();
    m_watcher.UpdateHooks();
}

void CQuellixDlg::UpdateRuleRow(int row) {
    m_listRules.RedrawItems(row, row);
}

void CQuellixDlg::ReplaceRuleRow(int row, const CWindowInfo& values) {
    m_rules.Replace(row, values);
    UpdateRuleRow(row);
    m_watcher.UpdateHooks();
}

void CQuellixDlg::RenumberRuleRows() {
    ::InvalidateRect(m_listRules, nullptr, FALSE);
}

CWindowInfo* CQuellixDlg::GetRule(int row) {
    return row >= 0 && row < m_rules.GetCount() ? &m_rules.GetAt(row) : nullptr;
}

void CQuellixDlg::OnGetRuleCell(NMHDR* nmhdr, LRESULT* result) {
    LVITEMW& item = reinterpret_cast<NMLVDISPINFOW*>(nmhdr)->item;
    *result = 0;
    if (const CWindowInfo* rule = GetRule(item.iItem))
        SetDispInfoText(item, (item.iSubItem == 0                  ? RowNumberText(item.iItem)
                               : item.iSubItem == kRuleColumnCount ? ClosedCellText(item.iItem)
                               : item.iSubItem == kRuleNameColumn && IsManagedRule(item.iItem)
                                   ? ManagedRuleLabel(rule->m_strName.View())
                                   : RuleCellText(*rule, item.iSubItem))
                                  .View());
}

void CQuellixDlg::OnRuleListCustomDraw(NMHDR* nmhdr, LRESULT* result) {
    auto* draw = reinterpret_cast<NMLVCUSTOMDRAW*>(nmhdr);
    *result = CDRF_DODEFAULT;
    if (draw->nmcd.dwDrawStage == CDDS_PREPAINT) {
        *result = CDRF_NOTIFYITEMDRAW;
    } else if (draw->nmcd.dwDrawStage == CDDS_ITEMPREPAINT) {
        const CWindowInfo* rule = GetRule(static_cast<int>(draw->nmcd.dwItemSpec));
        if (rule != nullptr && !rule->m_bEnabled) {
            draw->clrText = ::GetSysColor(COLOR_GRAYTEXT);
            *result = CDRF_NEWFONT;
        }
    }
}

void CQuellixDlg::OnRuleListMenu(POINT point) {
    const CWindowInfo* rule = GetRule(SelectedRow(m_listRules));
    CMenu menu;
    if (!menu.LoadMenu(IDR_RULE_POPUP))
        return;
    HMENU popup = menu.GetSubMenu(0);
    const UINT ifRule =
        rule != nullptr && !IsManagedRule(SelectedRow(m_listRules)) ? MF_ENABLED : MF_GRAYED;
    for (UINT id : {ID_RULE_EDIT, ID_RULE_TOGGLE, ID_RULE_DELETE})
        ::EnableMenuItem(popup, id, MF_BYCOMMAND | ifRule);
    ::ModifyMenuW(popup, ID_RULE_TOGGLE, MF_BYCOMMAND | MF_STRING | ifRule, ID_RULE_TOGGLE,
                  rule != nullptr && !rule->m_bEnabled ? L"&Enable" : L"&Disable");
    ::SetMenuDefaultItem(popup, ID_RULE_EDIT, FALSE);
    ::SetForegroundWindow(m_hWnd);
    ::TrackPopupMenu(popup, 0, point.x, point.y, 0, m_hWnd, nullptr);
    ::PostMessageW(m_hWnd, WM_NULL, 0, 0);
}

void CQuellixDlg::OnToggleRule() {
    const int row = SelectedRow(m_listRules);
    const CWindowInfo* rule = GetRule(row);
    if (rule == nullptr || RefuseManagedRule(row, rule->m_bEnabled ? L"disabled" : L"enabled"))
        return;
    std::unique_ptr<CWindowInfo> values = rule->CopyForRule();
    values->m_bEnabled = !rule->m_bEnabled;
    if (!values->m_bEnabled)
        m_watcher.CancelPendingClose(*GetRule(row));
    ReplaceRuleRow(row, *values);
    SaveRules(true);
}

void CQuellixDlg::OnAutoCloseSelectedWindow() {
    if (RefuseUserRules())
        return;
    const int row = SelectedRow(m_listWindows);
    CWindowInfo* source = GetListedWindow(row);
    if (source == nullptr) {
        MessageBox(L"Please Select a Window to Auto Close and then try Again.", nullptr,
                   MB_OK | MB_ICONINFORMATION);
        return;
    }
    CDlgAutoCloseWindow editor(this);
    editor.m_pSource = source;
    if (editor.DoModal() != IDOK || RefuseUserRules()) // the policy may come meanwhile
        return;
    AppendRuleRow(editor.TakeNewRule());
    SaveRules(true);
}

void CQuellixDlg::OnBnClickedAutoCloseSelected() {
    OnAutoCloseSelectedWindow();
}

void CQuellixDlg::OnBnClickedEdit() {
    const int row = SelectedRow(m_listRules);
    CWindowInfo* rule = GetRule(row);
    if (rule == nullptr) {
        MessageBox(L"Please Select a Window Record to Edit and then try Again.", nullptr,
                   MB_OK | MB_ICONINFORMATION);
        ::SetFocus(m_listRules);
        return;
    }
    if (RefuseManagedRule(row, L"edited"))
        return;
    CDlgAutoCloseWindow editor(this);
    editor.m_pSource = rule;
    editor.m_bEdit = TRUE;
    if (editor.DoModal() != IDOK || GetRule(row) != rule)
        return;
    ReplaceRuleRow(row, *editor.TakeNewRule());
    SaveRules(true);
}

void CQuellixDlg::OnBnClickedDeleteRecord() {
    const int row = SelectedRow(m_listRules);
    if (GetRule(row) == nullptr) {
        MessageBox(L"Please Select a Window Record to Auto Close and then try Again.", nullptr,
                   MB_OK | MB_ICONINFORMATION);
        return;
    }
    if (RefuseManagedRule(row, L"deleted"))
        return;
    m_watcher.CancelPendingClose(*GetRule(row));
    m_history.ForgetRule(GetRule(row));
    m_rules.Remove(row);
    m_watcher.UpdateHooks();
    // Moves the selection and focus of the rows below up with them.
    m_listRules.DeleteItem(row);
    RenumberRuleRows();
    SaveRules(true);
}

void CQuellixDlg::OnNMDblclkRuleList(NMHDR*, LRESULT* result) {
    OnBnClickedEdit();
    *result = 0;
}

void CQuellixDlg::OnNMDblclkWindowList(NMHDR*, LRESULT* result) {
    OnAutoCloseSelectedWindow();
    *result = 0;
}
