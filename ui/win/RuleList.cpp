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
    SetupListColumns(m_listRules, Settings::kRuleListNumber, kRuleColumnCount + 1);
}

void CQuellixDlg::ShowRuleCount() {
    m_listRules.SetItemCountEx(m_rules.GetCount());
}

void CQuellixDlg::AppendRuleRow(const CRule& rule) {
    m_rules.Add(rule);
    ShowRuleCount();
    m_watcher.UpdateHooks();
}

void CQuellixDlg::UpdateRuleRow(int row) {
    m_listRules.RedrawItems(row, row);
}

void CQuellixDlg::ReplaceRuleRow(int row, const CRule& values) {
    m_rules.Replace(row, values);
    UpdateRuleRow(row);
    m_watcher.UpdateHooks();
}

void CQuellixDlg::RenumberRuleRows() {
    ::InvalidateRect(m_listRules, nullptr, FALSE);
}

const CRule* CQuellixDlg::GetRule(int row) const {
    return row >= 0 && row < m_rules.GetCount() ? &m_rules.GetAt(row) : nullptr;
}

void CQuellixDlg::OnGetRuleCell(NMHDR* nmhdr, LRESULT* result) {
    LVITEMW& item = reinterpret_cast<NMLVDISPINFOW*>(nmhdr)->item;
    *result = 0;
    if (const CRule* rule = GetRule(item.iItem))
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
        const CRule* rule = GetRule(static_cast<int>(draw->nmcd.dwItemSpec));
        if (rule != nullptr && !rule->m_bEnabled) {
            draw->clrText = ::GetSysColor(COLOR_GRAYTEXT);
            *result = CDRF_NEWFONT;
        }
    }
}

void CQuellixDlg::OnRuleListMenu(POINT point) {
    const CRule* rule = GetRule(SelectedRow(m_listRules));
    CMenu menu;
    if (!menu.LoadMenu(IDR_RULE_POPUP))
        return;
    HMENU popup = menu.GetSubMenu(0);
    const UINT ifRule =
        rule != nullptr && !IsManagedRule(SelectedRow(m_listRules)) ? MF_ENABLED : MF_GRAYED;
    for (UINT id : {ID_RULE_EDIT, ID_RULE_TOGGLE, ID_RULE_DELETE})
        ::EnableMenuItem(popup, id, MF_BYCOMMAND | ifRule);
    ::ModifyMenuW(popup, ID_RULE_TOGGLE, MF_BYCOMMAND | MF_STRING | ifRule, ID_RULE_TOGGLE,
                  rule != nullptr && !rule->m_bEnabled ? L"E&nable" : L"&Disable");
    ::SetMenuDefaultItem(popup, ID_RULE_EDIT, FALSE);
    ::SetForegroundWindow(m_hWnd);
    ::TrackPopupMenu(popup, 0, point.x, point.y, 0, m_hWnd, nullptr);
    ::PostMessageW(m_hWnd, WM_NULL, 0, 0);
}

void CQuellixDlg::OnToggleRule() {
    const int row = SelectedRow(m_listRules);
    const CRule* rule = GetRule(row);
    if (rule == nullptr || RefuseManagedRule(row, rule->m_bEnabled ? L"disabled" : L"enabled"))
        return;
    CRule values = *rule;
    values.m_bEnabled = !rule->m_bEnabled;
    // Switched on, it must be a rule the editor would accept. Switched off, its pending
    // closes stay and find it off when they are due.
    if (const CString problem = RuleProblem(values); values.m_bEnabled && !problem.IsEmpty()) {
        MessageBox(problem, nullptr, MB_OK | MB_ICONINFORMATION);
        return;
    }
    ReplaceRuleRow(row, values);
    SaveRules(true);
}

void CQuellixDlg::OnAutoCloseSelectedWindow() {
    if (RefuseUserRules())
        return;
    const int row = SelectedRow(m_listWindows);
    const CWindowInfo* window = GetListedWindow(row);
    if (window == nullptr) {
        MessageBox(L"Please Select a Window to Auto Close and then try Again.", nullptr,
                   MB_OK | MB_ICONINFORMATION);
        return;
    }
    const CRule source = RuleFromWindow(*window);
    CDlgAutoCloseWindow editor(this);
    editor.m_pSource = &source;
    editor.m_hSourceWindow = window->m_hWnd;
    if (editor.DoModal() != IDOK || RefuseUserRules()) // the policy may come meanwhile
        return;
    AppendRuleRow(editor.NewRule());
    SaveRules(true);
}

void CQuellixDlg::OnBnClickedAutoCloseSelected() {
    OnAutoCloseSelectedWindow();
}

void CQuellixDlg::OnBnClickedEdit() {
    const int row = SelectedRow(m_listRules);
    const CRule* found = GetRule(row);
    if (found == nullptr) {
        MessageBox(L"Please Select a Window Record to Edit and then try Again.", nullptr,
                   MB_OK | MB_ICONINFORMATION);
        ::SetFocus(m_listRules);
        return;
    }
    if (RefuseManagedRule(row, L"edited"))
        return;
    // The editor shows a copy: the rule set may change while it is open.
    const CRule rule = *found;
    CDlgAutoCloseWindow editor(this);
    editor.m_pSource = &rule;
    editor.m_bEdit = TRUE;
    if (editor.DoModal() != IDOK || m_rules.IndexOf(rule.m_nId) != row)
        return;
    ReplaceRuleRow(row, editor.NewRule());
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
    const RuleId id = GetRule(row)->m_nId;
    m_watcher.ForgetRule(id);
    m_history.ForgetRule(id);
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

CString CQuellixDlg::ClosedCellText(int row) const {
    CString text;
    if (row >= 0 && row < m_rules.GetCount())
        text.Format(L"%d", m_history.ActionCount(m_rules.GetAt(row).m_nId));
    return text;
}
