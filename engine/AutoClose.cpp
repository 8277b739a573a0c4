// A pending close belongs to its rule record, not to a row: the record carries its own timer
// id, and the timer looks the record up by that id when it fires. Deleting a rule stops its
// timer, and a timer whose rule is gone finds no record and posts nothing, so rules moving up
// never inherit another rule's close.
#include "AutoClose.h"

void CAutoClose::OnForeground(HWND hwnd, const CWindowSnapshot& window, CWindowOwner owner) {
    // Each matching rule acts by itself; a match does not end the scan.
    ScanRules(m_rules, window, [&](int i) {
        CWindowInfo& rule = m_rules.GetAt(i);
        if (rule.m_nDelayMs <= 0) {
            // A close at once leaves a close still pending from before an edit to its window.
            m_system.PostClose(hwnd);
            return;
        }
        rule.m_hWnd = hwnd;
        rule.m_dwThreadId = owner.threadId;
        rule.m_dwProcessId = owner.processId;
        if (rule.m_nTimerId == 0)
            rule.m_nTimerId = ++m_nLastTimerId;
        m_system.SetTimer(rule.m_nTimerId, static_cast<UINT>(rule.m_nDelayMs));
    });
}

void CAutoClose::OnTimer(UINT_PTR id) {
    m_system.KillTimer(id);
    for (int i = 0; i < m_rules.GetCount(); ++i) {
        const CWindowInfo& rule = m_rules.GetAt(i);
        if (rule.m_nTimerId != id)
            continue;
        CWindowOwner owner;
        const CWindowSnapshot* window = m_system.ReadWindow(rule.m_hWnd, owner);
        if (window != nullptr && owner == CWindowOwner{rule.m_dwThreadId, rule.m_dwProcessId} &&
            RuleMatches(m_rules, i, *window))
            m_system.PostClose(rule.m_hWnd);
        return;
    }
}

void CAutoClose::CancelPendingClose(CWindowInfo& rule) {
    if (rule.m_nTimerId != 0)
        m_system.KillTimer(rule.m_nTimerId);
}

void CAutoClose::CancelAll() {
    for (int i = 0; i < m_rules.GetCount(); ++i)
        CancelPendingClose(m_rules.GetAt(i));
}
