// What follows an ignored close, step by step against a scripted window system: the window
// menu's Close only for a window not asking its user something, and a program ended only when
// it does not answer, may be ended, and the user said Yes, with what happens while the box is
// open unable to undo those checks.
#include "engine/AutoClose.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <map>
#include <utility>
#include <vector>

namespace {

HWND Window(int i) {
    return reinterpret_cast<HWND>(static_cast<std::uintptr_t>(i));
}

class CScript : public IWindowSystem,
                public IEscalationSystem,
                public IEndQuestion,
                public IActionLog {
public:
    CScript() {
        CRule rule;
        rule.m_strClass = _T("Editor");
        rule.m_bMatchDimensions = rule.m_bMatchStyle = rule.m_bMatchExStyle = FALSE;
        rule.m_nDelayMs = 0;
        rule.m_escalate = EEscalate::End;
        rule.m_nEscalateAfterMs = 100;
        m_rules.Add(rule);
        m_autoClose.SetActionLog(this);
        m_autoClose.SetEscalation(this, this);
    }

    // Window w comes to the foreground and is asked to close; then every timer fires, twice.
    void CloseAndWait(int w) {
        m_autoClose.OnForeground(Window(w), m_window, {1, static_cast<DWORD>(w)});
        Fire();
        Fire();
    }
    void Fire() {
        std::vector<UINT_PTR> ids;
        for (const auto& [id, ms] : m_timers)
            ids.push_back(id);
        for (UINT_PTR id : ids)
            m_autoClose.OnTimer(id);
    }
    std::vector<EAction> Actions() const {
        std::vector<EAction> actions;
        for (const CActionEntry& entry : m_log)
            actions.push_back(entry.action);
        return actions;
    }

    const CWindowSnapshot* ReadWindow(HWND hwnd, CWindowOwner& owner) override {
        if (m_gone.count(hwnd) != 0)
            return nullptr;
        owner = {1, static_cast<DWORD>(reinterpret_cast<std::uintptr_t>(hwnd))};
        return &m_window;
    }
    CActOutcome Act(HWND, const CRule&) override { return {}; }
    void SetTimer(UINT_PTR id, UINT ms) override { m_timers[id] = ms; }
    void KillTimer(UINT_PTR id) override { m_timers.erase(id); }
    void OwnedWindows(HWND, std::vector<HWND>& owned) override { owned = m_owned; }
    bool ShowsNewWindow(HWND, const std::vector<HWND>& before) override {
        return m_owned.size() > before.size();
    }
    bool SendSysClose(HWND hwnd, CString&) override {
        m_sysClosed.push_back(hwnd);
        if (m_onSysClose)
            m_onSysClose();
        return true;
    }
    int SilentMs(HWND) override { return m_silentMs; }
    bool MayEnd(HWND, CWindowOwner, CProgramToEnd& program, CString& why) override {
        program.strName = _T("editor.exe");
        why = _T("Windows needs it");
        return m_mayEnd;
    }
    bool EndProgram(CWindowOwner owner, CString&) override {
        m_ended.push_back(owner.processId);
        return true;
    }
    bool AskToEnd(const CProgramToEnd& program) override {
        EXPECT_EQ(program.strName, CString(_T("editor.exe")));
        EXPECT_EQ(program.nSilentMs, m_silentMs);
        EXPECT_FALSE(m_bAsking) << "a box opened inside another";
        m_bAsking = true;
        ++m_asked;
        if (m_whileAsked)
            std::exchange(m_whileAsked, nullptr)();
        m_bAsking = false;
        return m_answer;
    }
    void LogAction(RuleId, CActionEntry entry) override { m_log.push_back(std::move(entry)); }

    CRuleSet m_rules;
    CAutoClose m_autoClose{m_rules, *this};
    CWindowSnapshot m_window{_T("Draft"), _T("Editor"), {0, 0, 10, 10}, 0, 0, {}};
    std::map<UINT_PTR, UINT> m_timers;
    std::map<HWND, bool> m_gone;
    std::vector<HWND> m_owned, m_sysClosed;
    std::function<void()> m_onSysClose, m_whileAsked;
    int m_silentMs = 5000;
    bool m_mayEnd = true, m_answer = false, m_bAsking = false;
    int m_asked = 0;
    std::vector<DWORD> m_ended;
    std::vector<CActionEntry> m_log;
};

// Its time and one follow-up per window are the simulation's; here, what the History says, and
// a window asking its user something ("Save changes?") that is left to its user.
TEST(Escalation, TheWindowMenusCloseSparesAWindowAskingItsUser) {
    CScript script;
    CRule rule = script.m_rules.GetAt(0);
    rule.m_escalate = EEscalate::SysClose;
    rule.m_nEscalateAfterMs = 2500;
    script.m_rules.Replace(0, rule);
    script.m_autoClose.OnForeground(Window(1), script.m_window, {1, 1});
    script.Fire();
    EXPECT_EQ(script.m_sysClosed, std::vector<HWND>{Window(1)});
    EXPECT_EQ(ActionText(script.m_log.back()),
              CString(_T("Still open after 2500 ms: sent the window menu's Close")));

    script.m_autoClose.OnForeground(Window(2), script.m_window, {1, 2});
    script.m_owned.push_back(Window(99));
    script.Fire();
    EXPECT_EQ(script.m_sysClosed.size(), 1u);
    EXPECT_EQ(script.m_log.back().action, EAction::SysCloseHeld);
}

TEST(Escalation, AProgramIsEndedOnlyWhenSilentAllowedAndAgreedTo) {
    struct Case {
        int silentMs;
        bool mayEnd, answer;
        int asked;
        bool ended;
        EAction last;
    };
    const Case cases[] = {
        {0, true, true, 0, false, EAction::EndRefused},     // it answers
        {5000, false, true, 0, false, EAction::EndRefused}, // Windows needs it
        {5000, true, false, 1, false, EAction::EndDeclined},
        {5000, true, true, 1, true, EAction::ProgramEnded},
    };
    for (const Case& c : cases) {
        CScript script;
        script.m_silentMs = c.silentMs;
        script.m_mayEnd = c.mayEnd;
        script.m_answer = c.answer;
        script.CloseAndWait(7);
        EXPECT_EQ(script.Actions(),
                  (std::vector<EAction>{EAction::CloseAsked, EAction::SysCloseSent, c.last}));
        EXPECT_EQ(script.m_asked, c.asked);
        EXPECT_EQ(script.m_ended, c.ended ? std::vector<DWORD>{7} : std::vector<DWORD>{});
        EXPECT_EQ(script.m_autoClose.EscalationCount(), 0u);
    }
}

TEST(Escalation, WhatHappensWhileTheBoxIsOpenCannotEndTheWrongProgram) {
    // A second window due while the first box is open is asked after it, never inside it.
    CScript script;
    script.m_answer = true;
    script.m_autoClose.OnForeground(Window(1), script.m_window, {1, 1});
    script.m_autoClose.OnForeground(Window(2), script.m_window, {1, 2});
    script.Fire(); // both menus' Closes
    ASSERT_EQ(script.m_timers.size(), 2u);
    const UINT_PTR second = script.m_timers.rbegin()->first;
    script.m_whileAsked = [&] { script.m_autoClose.OnTimer(second); };
    script.m_autoClose.OnTimer(script.m_timers.begin()->first);
    EXPECT_EQ(script.m_asked, 2);
    EXPECT_EQ(script.m_ended, (std::vector<DWORD>{1, 2}));

    // Paused, or the window closed, while the box was open: the Yes ends nothing.
    for (int variant = 0; variant < 2; ++variant) {
        CScript s;
        s.m_answer = true;
        s.m_whileAsked = [&] {
            if (variant == 0)
                s.m_autoClose.SetPaused(true);
            else
                s.m_gone[Window(4)] = true;
        };
        s.CloseAndWait(4);
        EXPECT_EQ(s.m_asked, 1);
        EXPECT_TRUE(s.m_ended.empty()) << variant;
        EXPECT_EQ(s.m_log.back().action,
                  variant == 0 ? EAction::EscalationDropped : EAction::EndRefused);
        EXPECT_EQ(s.m_autoClose.EscalationCount(), 0u);
    }
}

} // namespace
