// A pending close belongs to its rule record, not to a row: the record carries its own timer
// id, and the timer looks the record up by that id when it fires. Deleting a rule stops its
// timer, and a timer whose rule is gone finds no record and posts nothing, so rules moving up
// never inherit another rule's close.
#include "AutoClose.h"

#include "engine/Triggers.h"

namespace {

// The history's record of a window, before the rule and the action are known.
CActionEntry EntryOf(const CWindowSnapshot& window) {
    CActionEntry entry;
    entry.strCaption = CString(window.strTitle);
    entry.strClass = CString(window.strClass);
    entry.strProgram = CString(window.strProcess);
    return entry;
}

} // namespace

void CAutoClose::OnEvent(HWND hwnd, const CWindowSnapshot& window, CWindowOwner owner,
                         DWORD trigger) {
    if (m_bPaused)
        return;
    // Each matching rule acts by itself; a match does not end the scan.
    ScanRulesAt(m_rules, trigger, window, [&](int i) {
        CWindowInfo& rule = m_rules.GetAt(i);
        if (rule.m_nDelayMs <= 0) {
            // A close at once leaves a close still pending from before an edit to its window.
            Post(i, hwnd, m_pLog != nullptr ? EntryOf(window) : CActionEntry(), EAction::CloseAsked);
            return;
        }
        rule.m_hWnd = hwnd;
        rule.m_dwThreadId = owner.threadId;
        rule.m_dwProcessId = owner.processId;
        if (rule.m_nTimerId == 0)
            rule.m_nTimerId = ++m_nLastTimerId;
        m_system.SetTimer(rule.m_nTimerId, static_cast<UINT>(rule.m_nDelayMs));
        if (m_pLog != nullptr) {
            CActionEntry entry = EntryOf(window);
            entry.nDelayMs = rule.m_nDelayMs;
            m_pending[rule.m_nTimerId] = entry;
            Log(i, std::move(entry), EAction::CloseScheduled);
        }
    });
}

void CAutoClose::CloseNow(int i, HWND hwnd, CActionEntry entry) {
    Post(i, hwnd, std::move(entry), EAction::Applied);
}

void CAutoClose::OnTimer(UINT_PTR id) {
    m_system.KillTimer(id);
    CActionEntry entry;
    if (auto it = m_pending.find(id); it != m_pending.end()) {
        entry = std::move(it->second);
        m_pending.erase(it);
    }
    for (int i = 0; i < m_rules.GetCount(); ++i) {
        const CWindowInfo& rule = m_rules.GetAt(i);
        if (rule.m_nTimerId != id)
            continue;
        CWindowOwner owner;
        const CWindowSnapshot* window = m_system.ReadWindow(rule.m_hWnd, owner);
        if (window == nullptr || owner != CWindowOwner{rule.m_dwThreadId, rule.m_dwProcessId}) {
            entry.strDetail = _T("the window is gone");
            Log(i, std::move(entry), EAction::ScheduledDropped);
        } else if (!RuleMatches(m_rules, i, *window)) {
            entry.strDetail = _T("it no longer matches the rule");
            Log(i, std::move(entry), EAction::ScheduledDropped);
        } else {
            Post(i, rule.m_hWnd, std::move(entry), EAction::ScheduledDone);
        }
        return;
    }
}

void CAutoClose::Post(int i, HWND hwnd, CActionEntry entry, EAction done) {
    CString why;
    if (m_system.PostClose(hwnd, why)) {
        Log(i, std::move(entry), done);
        return;
    }
    entry.strDetail = why;
    Log(i, std::move(entry), EAction::Refused);
}

void CAutoClose::Log(int i, CActionEntry entry, EAction action) {
    if (m_pLog == nullptr)
        return;
    const CWindowInfo& rule = m_rules.GetAt(i);
    entry.action = action;
    entry.nRule = i + 1;
    entry.strRuleName = rule.m_strName;
    m_pLog->LogAction(&rule, std::move(entry));
}

void CAutoClose::CancelPendingClose(CWindowInfo& rule) {
    if (rule.m_nTimerId != 0)
        m_system.KillTimer(rule.m_nTimerId);
    m_pending.erase(rule.m_nTimerId);
}

void CAutoClose::CancelAll() {
    for (int i = 0; i < m_rules.GetCount(); ++i)
        CancelPendingClose(m_rules.GetAt(i));
}

void CAutoClose::SetPaused(bool paused) {
    m_bPaused = paused;
    if (!paused)
        return;
    for (int i = 0; i < m_rules.GetCount(); ++i) {
        CWindowInfo& rule = m_rules.GetAt(i);
        if (rule.m_nTimerId == 0)
            continue;
        m_system.KillTimer(rule.m_nTimerId);
        auto it = m_pending.find(rule.m_nTimerId);
        if (it == m_pending.end())
            continue;
        CActionEntry entry = std::move(it->second);
        m_pending.erase(it);
        entry.strDetail = _T("Auto Close was paused");
        Log(i, std::move(entry), EAction::ScheduledDropped);
    }
}
