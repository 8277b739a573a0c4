// A follow-up belongs to the decisions, keyed by its rule's id and its window (handle and
// owner), like a pending close, with a timer id of its own. The rule as it stands when a step
// falls due says whether it still escalates and how long the next step waits.
#include "Escalation.h"

#include "engine/AutoClose.h"

#include <utility>

void CEscalations::OnClosed(int i, HWND hwnd, CWindowOwner owner, const CActionEntry& entry) {
    const CRule& rule = m_rules.GetAt(i);
    if (m_pSystem == nullptr || rule.m_escalate == EEscalate::None ||
        rule.m_action != ERuleAction::Close)
        return;
    const CKey key{rule.m_nId, hwnd, owner};
    // A window that keeps coming back keeps the follow-up of its first close.
    if (m_pending.count(key) != 0)
        return;
    std::vector<HWND> owned;
    m_pSystem->OwnedWindows(hwnd, owned);
    Start(key, EStep::SysClose, rule.m_nEscalateAfterMs, std::move(owned), entry);
}

void CEscalations::Start(const CKey& key, EStep step, int afterMs, std::vector<HWND> owned,
                         CActionEntry entry) {
    CPending pending{++m_nLastTimerId, step, afterMs, std::move(owned), std::move(entry)};
    const auto it = m_pending.insert_or_assign(key, std::move(pending)).first;
    try {
        m_byTimer.emplace(it->second.timerId, it);
    } catch (...) {
        m_pending.erase(it);
        throw;
    }
    m_windows.SetTimer(it->second.timerId, static_cast<UINT>(afterMs));
}

bool CEscalations::OnTimer(UINT_PTR id) {
    const auto found = m_byTimer.find(id);
    if (found == m_byTimer.end())
        return false;
    m_windows.KillTimer(id);
    const auto it = found->second;
    const CKey key = it->first;
    CPending pending = std::move(it->second);
    m_byTimer.erase(found);
    m_pending.erase(it);

    const int i = m_rules.IndexOf(key.rule);
    if (i < 0 || m_pSystem == nullptr)
        return true;
    CWindowOwner now;
    if (m_windows.ReadWindow(key.hwnd, now) == nullptr || now != key.owner)
        return true; // closed as it was asked: nothing follows
    const CRule& rule = m_rules.GetAt(i);
    if (!rule.m_bEnabled || rule.m_action != ERuleAction::Close ||
        rule.m_escalate == EEscalate::None ||
        (pending.step == EStep::End && rule.m_escalate != EEscalate::End)) {
        Dropped(key.rule, std::move(pending.entry), _T("the rule no longer asks for it"));
        return true;
    }
    if (pending.step == EStep::SysClose)
        SysCloseStep(key, std::move(pending));
    else
        EndStep(key, std::move(pending));
    return true;
}

void CEscalations::SysCloseStep(const CKey& key, CPending pending) {
    CActionEntry entry = pending.entry;
    entry.nDelayMs = pending.nAfterMs;
    // A window asking its user something ("Save changes?") is left to its user.
    if (m_pSystem->ShowsNewWindow(key.hwnd, pending.owned)) {
        Log(key.rule, std::move(entry), EAction::SysCloseHeld);
        return;
    }
    CString why;
    if (!m_pSystem->SendSysClose(key.hwnd, why)) {
        entry.strDetail = why;
        Log(key.rule, std::move(entry), EAction::Refused);
        return;
    }
    Log(key.rule, std::move(entry), EAction::SysCloseSent);
    const CRule& rule = m_rules.GetAt(m_rules.IndexOf(key.rule));
    if (rule.m_escalate == EEscalate::End)
        Start(key, EStep::End, rule.m_nEscalateAfterMs, std::move(pending.owned),
              std::move(pending.entry));
}

void CEscalations::EndStep(const CKey& key, CPending pending) {
    CActionEntry entry = std::move(pending.entry);
    const int silentMs = m_pSystem->SilentMs(key.hwnd);
    if (silentMs <= 0) {
        entry.strDetail = _T("the program still answers");
        Log(key.rule, std::move(entry), EAction::EndRefused);
        return;
    }
    CQuestion question{key, {}, std::move(entry)};
    if (!m_pSystem->MayEnd(key.hwnd, key.owner, question.program, question.entry.strDetail)) {
        Log(key.rule, std::move(question.entry), EAction::EndRefused);
        return;
    }
    if (m_pQuestion == nullptr) {
        question.entry.strDetail = _T("there is nobody to ask");
        Log(key.rule, std::move(question.entry), EAction::EndRefused);
        return;
    }
    question.program.nSilentMs = silentMs;
    m_questions.push_back(std::move(question));
    AskWaiting();
}

void CEscalations::AskWaiting() {
    // A box already open: this one waits its turn, asked when that one is answered.
    if (m_bAsking)
        return;
    m_bAsking = true;
    struct CDone {
        CEscalations& self;
        ~CDone() {
            self.m_bAsking = false;
            self.m_bAsked = false;
        }
    } done{*this};
    while (!m_questions.empty() && m_pQuestion != nullptr) {
        m_asked = std::move(m_questions.front());
        m_questions.pop_front();
        m_bAsked = true;
        const bool yes = m_pQuestion->AskToEnd(m_asked.program);
        // Dropped while the box was open (the rule deleted, paused, stopped): no answer holds.
        if (std::exchange(m_bAsked, false))
            Answered(m_asked, yes);
    }
}

void CEscalations::Answered(const CQuestion& question, bool yes) {
    CActionEntry entry = question.entry;
    if (!yes) {
        Log(question.key.rule, std::move(entry), EAction::EndDeclined);
        return;
    }
    // The user took their time: the program may have closed its window, or ended.
    CWindowOwner now;
    if (m_windows.ReadWindow(question.key.hwnd, now) == nullptr || now != question.key.owner) {
        entry.strDetail = _T("its window closed while you were asked");
        Log(question.key.rule, std::move(entry), EAction::EndRefused);
        return;
    }
    if (m_pSystem == nullptr || !m_pSystem->EndProgram(question.key.owner, entry.strDetail)) {
        Log(question.key.rule, std::move(entry), EAction::EndRefused);
        return;
    }
    Log(question.key.rule, std::move(entry), EAction::ProgramEnded);
}

void CEscalations::ForgetRule(RuleId id) {
    for (auto it = m_pending.lower_bound({id, nullptr, {}});
         it != m_pending.end() && it->first.rule == id;) {
        m_windows.KillTimer(it->second.timerId);
        m_byTimer.erase(it->second.timerId);
        Dropped(id, std::move(it->second.entry), _T("the rule was deleted"));
        it = m_pending.erase(it);
    }
    for (auto it = m_questions.begin(); it != m_questions.end();) {
        if (it->key.rule != id) {
            ++it;
            continue;
        }
        Dropped(id, std::move(it->entry), _T("the rule was deleted"));
        it = m_questions.erase(it);
    }
    if (m_bAsked && m_asked.key.rule == id) {
        m_bAsked = false;
        Dropped(id, m_asked.entry, _T("the rule was deleted"));
    }
}

void CEscalations::DropAll(const WCHAR16* why) {
    for (auto& [key, pending] : m_pending) {
        m_windows.KillTimer(pending.timerId);
        Dropped(key.rule, std::move(pending.entry), why);
    }
    m_pending.clear();
    m_byTimer.clear();
    for (CQuestion& question : m_questions)
        Dropped(question.key.rule, std::move(question.entry), why);
    m_questions.clear();
    if (std::exchange(m_bAsked, false))
        Dropped(m_asked.key.rule, m_asked.entry, why);
}

void CEscalations::Dropped(RuleId rule, CActionEntry entry, const WCHAR16* why) {
    entry.strDetail = why;
    Log(rule, std::move(entry), EAction::EscalationDropped);
}

void CEscalations::Log(RuleId rule, CActionEntry entry, EAction action) {
    const int i = m_rules.IndexOf(rule);
    if (m_pLog == nullptr || i < 0)
        return;
    entry.action = action;
    entry.nRule = i + 1;
    entry.strRuleName = m_rules.GetAt(i).m_strName;
    m_pLog->LogAction(rule, std::move(entry));
}
