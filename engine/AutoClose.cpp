// A pending close belongs to the decisions, keyed by its rule's id and its window (handle and
// owner): each window a rule matched has its own, found by key, never by a scan per event.
// Each has a timer id of its own that is never given twice; the timer finds it by that id.
#include "AutoClose.h"

#include "engine/Triggers.h"

#include <cstdint>
#include <iterator>

size_t CAutoClose::CPendingKeyHash::operator()(const CPendingKey& key) const noexcept {
    constexpr std::uint64_t kMix = 0x9E3779B97F4A7C15ull;
    std::uint64_t h = reinterpret_cast<std::uintptr_t>(key.hwnd);
    h = (h ^ key.rule) * kMix;
    h = (h ^ key.owner.threadId) * kMix;
    h = (h ^ key.owner.processId) * kMix;
    return static_cast<size_t>(h ^ (h >> 32));
}

namespace {

// The History's name for what came of rule's action; `done` is how a close is named where
// it happened (at once, after the delay, by Apply Rules).
EAction LoggedAs(ERuleAction action, EActResult result, EAction done) {
    switch (result) {
    case EActResult::Done:
        return action == ERuleAction::Press      ? EAction::Pressed
               : action == ERuleAction::Minimize ? EAction::Minimized
                                                 : done;
    case EActResult::NoSuchButton:
        return EAction::NoSuchButton;
    case EActResult::SeveralButtons:
        return EAction::SeveralButtons;
    case EActResult::ButtonDisabled:
        return EAction::ButtonDisabled;
    case EActResult::Refused:
        break;
    case EActResult::Protected:
        return EAction::NotPressed;
    }
    return EAction::Refused;
}

} // namespace

CActionEntry CAutoClose::EntryOf(const CWindowSnapshot& window) const {
    CActionEntry entry;
    if (m_pLog == nullptr)
        return entry; // nobody reads it: no copies on the event path
    entry.strCaption = CString(window.strTitle);
    entry.strClass = CString(window.strClass);
    entry.strProgram = CString(window.strProcess);
    return entry;
}

void CAutoClose::OnEvent(HWND hwnd, const CWindowSnapshot& window, CWindowOwner owner,
                         DWORD trigger) {
    if (m_bPaused)
        return;
    // Each matching rule acts by itself; a match does not end the scan.
    ScanRulesAt(m_rules, trigger, window, [&](int i) {
        if (m_rules.GetAt(i).m_nDelayMs > 0) {
            Schedule(i, hwnd, owner, window, trigger);
            return;
        }
        // At once: a close still pending for this window from before an edit is replaced.
        if (auto it = m_pending.find({m_rules.GetAt(i).m_nId, hwnd, owner}); it != m_pending.end())
            Drop(it, _T("replaced by a close at once"));
        Execute(i, hwnd, owner, &window, EntryOf(window), EAction::CloseAsked);
    });
}

void CAutoClose::Schedule(int i, HWND hwnd, CWindowOwner owner, const CWindowSnapshot& window,
                          DWORD trigger) {
    const CRule& rule = m_rules.GetAt(i);
    const CPendingKey key{rule.m_nId, hwnd, owner};
    auto it = m_pending.find(key);
    if (it != m_pending.end()) {
        // A title change or a show keeps the close where it is: a window that keeps changing
        // is still closed at its first match's delay. The foreground starts it anew.
        if (trigger != kTriggerForeground)
            return;
        Drop(it, _T("replaced: the window came to the foreground again"));
    }
    CPending pending{++m_nLastTimerId, EntryOf(window)};
    pending.entry.nDelayMs = rule.m_nDelayMs;
    it = m_pending.emplace(key, std::move(pending)).first;
    try {
        m_byTimer.emplace(it->second.timerId, key);
    } catch (...) {
        m_pending.erase(it);
        throw;
    }
    m_system.SetTimer(it->second.timerId, static_cast<UINT>(rule.m_nDelayMs));
    if (m_pLog != nullptr)
        Log(i, it->second.entry, EAction::CloseScheduled);
}

void CAutoClose::ApplyNow(RuleId id, HWND hwnd, CWindowOwner owner, CActionEntry entry) {
    const int i = m_rules.IndexOf(id);
    if (i >= 0) // else deleted while the question was open
        Execute(i, hwnd, owner, nullptr, std::move(entry), EAction::Applied);
}

bool CAutoClose::CloseChosen(HWND hwnd, CWindowOwner owner, CString& why) {
    CWindowOwner now;
    if (m_system.ReadWindow(hwnd, now) == nullptr || now != owner) {
        why = _T("the window is gone");
        return false;
    }
    static const CRule closing; // a rule's default action
    CActOutcome outcome = m_system.Act(hwnd, closing);
    why = std::move(outcome.strDetail);
    return outcome.result == EActResult::Done;
}

void CAutoClose::OnTimer(UINT_PTR id) {
    m_system.KillTimer(id);
    if (m_escalations.OnTimer(id))
        return;
    const auto found = m_byTimer.find(id);
    if (found == m_byTimer.end())
        return; // dropped before it was due
    const CPendingKey key = found->second;
    m_byTimer.erase(found);
    const auto it = m_pending.find(key);
    CActionEntry entry = std::move(it->second.entry);
    m_pending.erase(it);
    const int i = m_rules.IndexOf(key.rule);
    if (i >= 0)
        Execute(i, key.hwnd, key.owner, nullptr, std::move(entry), EAction::ScheduledDone);
}

void CAutoClose::Execute(int i, HWND hwnd, CWindowOwner owner, const CWindowSnapshot* seen,
                         CActionEntry entry, EAction done) {
    const EAction dropped =
        done == EAction::Applied ? EAction::ApplyDropped : EAction::ScheduledDropped;
    const CWindowSnapshot* window = seen;
    if (window == nullptr) {
        CWindowOwner now;
        window = m_system.ReadWindow(hwnd, now);
        if (window != nullptr && now != owner)
            window = nullptr;
    }
    if (window == nullptr) {
        entry.strDetail = _T("the window is gone");
        Log(i, std::move(entry), dropped);
        return;
    }
    if (seen == nullptr && !RuleMatches(m_rules, i, *window)) {
        entry.strDetail = _T("it no longer matches the rule");
        Log(i, std::move(entry), dropped);
        return;
    }
    const CRule& rule = m_rules.GetAt(i);
    CActOutcome outcome = m_system.Act(hwnd, rule);
    if (outcome.result == EActResult::Done)
        m_escalations.OnClosed(i, hwnd, owner, entry);
    entry.strButton = std::move(outcome.strButton);
    entry.strDetail = std::move(outcome.strDetail);
    Log(i, std::move(entry), LoggedAs(rule.m_action, outcome.result, done));
}

CAutoClose::PendingMap::iterator CAutoClose::Drop(PendingMap::iterator it, const WCHAR16* why) {
    m_system.KillTimer(it->second.timerId);
    m_byTimer.erase(it->second.timerId);
    if (m_pLog != nullptr) {
        CActionEntry entry = std::move(it->second.entry);
        entry.strDetail = why;
        Log(m_rules.IndexOf(it->first.rule), std::move(entry), EAction::ScheduledDropped);
    }
    return m_pending.erase(it);
}

void CAutoClose::Log(int i, CActionEntry entry, EAction action) {
    if (m_pLog == nullptr || i < 0)
        return;
    const CRule& rule = m_rules.GetAt(i);
    entry.action = action;
    entry.nRule = i + 1;
    entry.strRuleName = rule.m_strName;
    m_pLog->LogAction(rule.m_nId, std::move(entry));
}

void CAutoClose::ForgetRule(RuleId id) {
    // A deletion is the user's, not an event's: it may look at every pending close.
    for (auto it = m_pending.begin(); it != m_pending.end();)
        it = it->first.rule == id ? Drop(it, _T("the rule was deleted")) : std::next(it);
    m_escalations.ForgetRule(id);
}

void CAutoClose::CancelAll() {
    for (const auto& [key, pending] : m_pending)
        m_system.KillTimer(pending.timerId);
    m_pending.clear();
    m_byTimer.clear();
    m_escalations.DropAll(_T("Quellix stopped watching"));
}

void CAutoClose::SetPaused(bool paused) {
    m_bPaused = paused;
    if (!paused)
        return;
    for (auto it = m_pending.begin(); it != m_pending.end();)
        it = Drop(it, _T("Auto Close was paused"));
    m_escalations.DropAll(_T("Auto Close was paused"));
}
