// The main dialog as the watcher's action log: the history of what the rules did, its window,
// and the drawing after a burst of actions.
#include "QuellixDlg.h"

#include "rules/RuleCells.h"
#include "ui/Policies.h"
#include "ui/win/HistoryDlg.h"

void CQuellixDlg::InitHistory() {
    m_pHistoryDlg = std::make_unique<CHistoryDlg>(m_history, this);
    m_watcher.SetActionLog(this);
    m_watcher.SetEndQuestion(this);
}

void CQuellixDlg::EndHistory() {
    m_watcher.SetEndQuestion(nullptr);
    m_watcher.SetActionLog(nullptr);
    m_pHistoryDlg.reset();
}

void CQuellixDlg::LogAction(RuleId rule, CActionEntry entry) {
    if (const int i = m_rules.IndexOf(rule); i >= 0 && i < m_nManagedRules)
        entry.strRuleName = ManagedRuleLabel(entry.strRuleName.View());
    m_history.LogAction(rule, std::move(entry));
}

void CQuellixDlg::ShowActions() {
    // The "Closed" column may have changed; it is drawn from the history. Only that column is
    // drawn again: drawing competes with the windows just asked to close.
    RECT cell{}, client{};
    ::GetClientRect(m_listRules, &client);
    if (ListView_GetSubItemRect(m_listRules, ListView_GetTopIndex(m_listRules), kRuleColumnCount,
                                LVIR_BOUNDS, &cell)) {
        client.left = cell.left;
        client.right = cell.right;
    }
    ::InvalidateRect(m_listRules, &client, FALSE);
    if (m_pHistoryDlg != nullptr)
        m_pHistoryDlg->Refresh();
}

void CQuellixDlg::OnShowHistory() {
    if (m_pHistoryDlg != nullptr)
        m_pHistoryDlg->Open();
}
