// CEscalations: what follows a close that a window ignored, for rules that ask for it. After the
// rule's time the window menu's Close is sent to a window still there; with EEscalate::End, a
// window still there after the same time again whose program has stopped answering may have
// that program ended, but only when the user agrees, each time. Decisions only: the window
// system checks and acts, the user is asked through IEndQuestion.
#pragma once

#include "engine/History.h"
#include "engine/WindowOwner.h"
#include "rules/RuleSet.h"

#include <deque>
#include <map>
#include <unordered_map>
#include <vector>

class IWindowSystem;

// A program that may be ended, as the user is asked about it.
struct CProgramToEnd {
    CString strName; // its file name
    CString strPath;
    std::vector<CString> captions; // of its visible windows
    int nSilentMs = 0;             // how long it has at least not answered
};

// What an escalation asks of the window system besides reading windows and timers. None of it
// waits on the other program for long.
class IEscalationSystem {
public:
    // The visible windows that the window owns now.
    virtual void OwnedWindows(HWND hwnd, std::vector<HWND>& owned) = 0;
    // Disabled, or owning a visible window not in `before`: it is asking its user something.
    virtual bool ShowsNewWindow(HWND hwnd, const std::vector<HWND>& before) = 0;
    // Posts the window menu's Close; false when the system refused it, with why.
    virtual bool SendSysClose(HWND hwnd, CString& why) = 0;
    // How long the window's thread has at least not answered messages; 0 when it answers.
    virtual int SilentMs(HWND hwnd) = 0;
    // Whether the window's program may be ended at all, and what it is; false with why not.
    virtual bool MayEnd(HWND hwnd, CWindowOwner owner, CProgramToEnd& program, CString& why) = 0;
    virtual bool EndProgram(CWindowOwner owner, CString& why) = 0;

protected:
    ~IEscalationSystem() = default;
};

// The user's answer, from a box of the program's own (never from inside a hook callback).
class IEndQuestion {
public:
    // True when the user agrees to end it now.
    virtual bool AskToEnd(const CProgramToEnd& program) = 0;

protected:
    ~IEndQuestion() = default;
};

class CEscalations {
public:
    // Timer ids come from `lastTimerId`, shared with the pending closes: never one id twice.
    CEscalations(const CRuleSet& rules, IWindowSystem& windows, UINT_PTR& lastTimerId)
        : m_rules(rules), m_windows(windows), m_nLastTimerId(lastTimerId) {}

    // Without a system nothing escalates; without a question no program is ended.
    void SetSystem(IEscalationSystem* system, IEndQuestion* question) {
        m_pSystem = system;
        m_pQuestion = question;
    }
    void SetActionLog(IActionLog* log) { m_pLog = log; }
    // Rule i asked the window to close: when the rule escalates, its follow-up starts, unless
    // one already runs for that rule and window.
    void OnClosed(int i, HWND hwnd, CWindowOwner owner, const CActionEntry& entry);
    // False when `id` is not an escalation's timer.
    bool OnTimer(UINT_PTR id);
    // Every follow-up of the rule ends here, each logged with why.
    void ForgetRule(RuleId id);
    void DropAll(const WCHAR16* why);
    // Follow-ups that wait for their time or for the user's answer.
    size_t Count() const { return m_pending.size() + m_questions.size() + (m_bAsked ? 1 : 0); }

private:
    struct CKey {
        RuleId rule = 0;
        HWND hwnd = nullptr;
        CWindowOwner owner;
        auto operator<=>(const CKey&) const = default;
    };
    enum class EStep { SysClose, End };
    struct CPending {
        UINT_PTR timerId = 0;
        EStep step = EStep::SysClose;
        int nAfterMs = 0;
        std::vector<HWND> owned; // its visible owned windows when it was asked to close
        CActionEntry entry;
    };
    struct CQuestion {
        CKey key;
        CProgramToEnd program;
        CActionEntry entry;
    };
    using PendingMap = std::map<CKey, CPending>;

    void Start(const CKey& key, EStep step, int afterMs, std::vector<HWND> owned,
               CActionEntry entry);
    void SysCloseStep(const CKey& key, CPending pending);
    void EndStep(const CKey& key, CPending pending);
    // Asks about each program waiting for an answer, one box at a time.
    void AskWaiting();
    void Answered(const CQuestion& question, bool yes);
    void Log(RuleId rule, CActionEntry entry, EAction action);
    void Dropped(RuleId rule, CActionEntry entry, const WCHAR16* why);

    const CRuleSet& m_rules;
    IWindowSystem& m_windows;
    UINT_PTR& m_nLastTimerId;
    IEscalationSystem* m_pSystem = nullptr;
    IEndQuestion* m_pQuestion = nullptr;
    IActionLog* m_pLog = nullptr;
    PendingMap m_pending;
    std::unordered_map<UINT_PTR, PendingMap::iterator> m_byTimer;
    // Out of the maps while the user is asked: what arrives meanwhile cannot touch them.
    std::deque<CQuestion> m_questions;
    bool m_bAsking = false;
    bool m_bAsked = false; // the question on screen is still wanted
    CQuestion m_asked;
};
