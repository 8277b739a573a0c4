// The watcher's decisions against a simulated desktop. A seeded random run of windows that
// appear, change and close (their handles reused by other programs' windows), rules added,
// edited, switched off and on and deleted, foreground, title-change and show events, Apply with
// its question open while the desktop changes, pause and resume, and timers; after every step
// the closes asked for must be exactly those that a plain model of the rules owes (none to a
// window that no rule matches at that moment, none dropped), every pending close must have one
// timer, and the History must say what the model says. Windows ignore the closes: a rule that
// escalates sends the window menu's Close once its time is over, and then (its programs all
// still answer) ends nothing. A failure prints its seed and the
// shortest step list found.
#include "engine/AutoClose.h"
#include "tests/core/ReferenceMatch.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <map>
#include <optional>
#include <random>
#include <string>
#include <vector>

namespace {

enum class Kind {
    Create,
    Destroy,
    Retitle,
    Resize,
    Restyle,
    AddRule,
    EditRule,
    ToggleRule,
    DeleteRule,
    Foreground,
    TitleChange,
    Shown,
    AskApply,
    ConfirmApply,
    Pause,
    Advance
};

// Raw numbers, read at replay time, so that any sub-list of steps is still a valid run.
struct Step {
    Kind kind;
    std::uint32_t a, b;
};

constexpr int kHandles = 6; // few, so that handles are reused often
constexpr size_t kMaxRules = 6;

// Few values, so that rules and windows meet often. Two titles of equal length and hash.
const WCHAR16* const kTitles[] = {_T(""), _T("a"), _T("abc"), _T("A\u7063\u00D4")};
const WCHAR16* const kClasses[] = {_T("C1"), _T("C2")};
const int kDelays[] = {0, -1, 10, 30, 100};
// Longer than one Advance: a follow-up never falls due in the step of its close.
const int kEscalateAfter[] = {50, 120};

struct SimWindow {
    bool alive = false;
    std::uint64_t serial = 0; // which window, across handle reuse
    CString title, cls;
    RECT rc{};
    DWORD style = 0, exStyle = 0;
    CWindowOwner owner;

    CWindowSnapshot Snapshot() const { return {title.View(), cls.View(), rc, style, exStyle, {}}; }
};

RECT RectOf(std::uint32_t bits) {
    const LONG x = (bits & 1) ? 10 : 0, y = (bits & 2) ? 10 : 0;
    const LONG w = (bits & 4) ? 200 : 100;
    return {x, y, x + w, y + 100};
}

// A rule with random criteria, values and moments.
CRule RuleOf(std::uint32_t a, std::uint32_t b) {
    CRule rule;
    rule.m_bMatchTitle = a & 1;
    rule.m_bMatchClass = (a >> 1) & 1;
    rule.m_bMatchLocation = (a >> 2) & 1;
    rule.m_bMatchDimensions = (a >> 3) & 1;
    rule.m_bMatchStyle = (a >> 4) & 1;
    rule.m_bMatchExStyle = (a >> 5) & 1;
    rule.m_dwTriggers = 1 + (a >> 6) % 7;
    rule.m_bEnabled = (a >> 9) % 4 != 0;
    rule.m_strTitle = kTitles[b % 4];
    rule.m_strClass = kClasses[(b >> 2) % 2];
    rule.m_rcWindow = RectOf(b >> 3);
    rule.m_dwStyle = (b >> 6) & 1;
    rule.m_dwExStyle = (b >> 7) & 1;
    rule.m_nDelayMs = kDelays[(b >> 8) % 5];
    rule.m_escalate = static_cast<EEscalate>((a >> 11) % kEscalateCount);
    rule.m_nEscalateAfterMs = kEscalateAfter[(a >> 13) % 2];
    return rule;
}

// The model's own idea of a rule that acts: switched on, and with a criterion (a rule with none
// may not act at all).
bool Acts(const CRule& rule, const SimWindow& w) {
    const bool criterion = rule.m_bMatchTitle || rule.m_bMatchClass || rule.m_bMatchLocation ||
                           rule.m_bMatchDimensions || rule.m_bMatchStyle || rule.m_bMatchExStyle;
    return w.alive && rule.m_bEnabled && criterion && MatchesRule(rule, w.Snapshot());
}

class CSimulation : private IWindowSystem, private IEscalationSystem, private IActionLog {
public:
    // Runs the steps; the first broken promise, described, or nothing.
    std::optional<std::string> Run(const std::vector<Step>& steps) {
        m_autoClose.SetActionLog(this);
        m_autoClose.SetEscalation(this, nullptr);
        for (size_t n = 0; n < steps.size(); ++n) {
            m_posted.clear();
            m_expected.clear();
            m_sysClosed.clear();
            m_sysExpected.clear();
            m_endChecksExpected = 0;
            m_logged.clear();
            Apply(steps[n]);
            if (auto failure = Verify()) {
                return "step " + std::to_string(n + 1) + ": " + *failure;
            }
        }
        return std::nullopt;
    }

private:
    struct ModelRule {
        CRule criteria; // a copy, apart from the product's
        RuleId id = 0;
    };
    // What the model owes: a close per rule and window, when it falls due.
    struct Owed {
        RuleId rule;
        std::uint64_t serial;
        auto operator<=>(const Owed&) const = default;
    };
    // A follow-up the model owes: its time, the order its timer was set in, its step.
    struct Escalation {
        long long due;
        std::uint64_t seq;
        bool endStep;
    };
    struct Timer {
        long long due;
        long long period;
    };
    struct Asked {
        RuleId rule;
        HWND hwnd;
        CWindowOwner owner;
        std::uint64_t serial;
    };

    static HWND Handle(int i) { return reinterpret_cast<HWND>(static_cast<std::uintptr_t>(i + 1)); }

    SimWindow* Live(std::uint32_t pick) {
        std::vector<SimWindow*> live;
        for (auto& w : m_windows)
            if (w.alive)
                live.push_back(&w);
        return live.empty() ? nullptr : live[pick % live.size()];
    }
    int IndexOf(const SimWindow* w) const { return static_cast<int>(w - m_windows); }
    const SimWindow* BySerial(std::uint64_t serial) const {
        for (const SimWindow& w : m_windows)
            if (w.alive && w.serial == serial)
                return &w;
        return nullptr;
    }
    const ModelRule* RuleById(RuleId id) const {
        for (const ModelRule& rule : m_model)
            if (rule.id == id)
                return &rule;
        return nullptr;
    }
    // A close asked for at `at`; a rule that escalates owes its follow-up unless one runs.
    void Owe(const SimWindow& w, const ModelRule& rule, long long at) {
        m_expected.push_back(Handle(IndexOf(&w)));
        const Owed key{rule.id, w.serial};
        if (rule.criteria.m_escalate != EEscalate::None && !m_escOwed.count(key))
            m_escOwed[key] = {at + rule.criteria.m_nEscalateAfterMs, ++m_seq, false};
    }
    // A follow-up falls due: the window still there and the rule still escalating gets the
    // window menu's Close, then (End) a second look that finds its program answering.
    void Escalate(const Owed& key, const Escalation& e) {
        const ModelRule* rule = RuleById(key.rule);
        const SimWindow* w = BySerial(key.serial);
        if (rule == nullptr || w == nullptr)
            return;
        const CRule& r = rule->criteria;
        if (!r.m_bEnabled || r.m_escalate == EEscalate::None ||
            (e.endStep && r.m_escalate != EEscalate::End))
            return;
        if (e.endStep) {
            ++m_endChecksExpected;
            return;
        }
        m_sysExpected.push_back(Handle(IndexOf(w)));
        if (r.m_escalate == EEscalate::End)
            m_escOwed[key] = {e.due + r.m_nEscalateAfterMs, ++m_seq, true};
    }

    // The model of one event: a rule of that moment acts at once, or owes a close at its
    // delay; a window already owed keeps its time unless it came to the foreground.
    void Event(SimWindow& w, DWORD trigger) {
        if (!m_paused) {
            for (const ModelRule& rule : m_model) {
                if ((rule.criteria.m_dwTriggers & trigger) == 0 || !Acts(rule.criteria, w))
                    continue;
                const Owed key{rule.id, w.serial};
                if (rule.criteria.m_nDelayMs <= 0) {
                    m_owed.erase(key);
                    Owe(w, rule, m_now);
                } else if (trigger == kTriggerForeground || !m_owed.count(key)) {
                    m_owed[key] = {m_now + rule.criteria.m_nDelayMs, ++m_seq};
                }
            }
        }
        m_autoClose.OnEvent(Handle(IndexOf(&w)), w.Snapshot(), w.owner, trigger);
    }

    void Apply(const Step& s) {
        switch (s.kind) {
        case Kind::Create: {
            const int start = static_cast<int>(s.a % kHandles);
            for (int k = 0; k < kHandles; ++k) {
                SimWindow& w = m_windows[(start + k) % kHandles];
                if (w.alive)
                    continue;
                // Every window belongs to a thread and process of its own: a reused handle
                // names another program's window.
                ++m_nextId;
                w = SimWindow{true,
                              m_nextId,
                              kTitles[s.b % 4],
                              kClasses[(s.b >> 2) % 2],
                              RectOf(s.b >> 3),
                              (s.b >> 6) & 1,
                              (s.b >> 7) & 1,
                              {static_cast<DWORD>(m_nextId), static_cast<DWORD>(m_nextId)}};
                break;
            }
            break;
        }
        case Kind::Destroy:
            if (SimWindow* w = Live(s.a))
                w->alive = false;
            break;
        case Kind::Retitle:
            if (SimWindow* w = Live(s.a))
                w->title = kTitles[s.b % 4];
            break;
        case Kind::Resize:
            if (SimWindow* w = Live(s.a))
                w->rc = RectOf(s.b);
            break;
        case Kind::Restyle:
            if (SimWindow* w = Live(s.a)) {
                w->style = s.b & 1;
                w->exStyle = (s.b >> 1) & 1;
            }
            break;
        case Kind::AddRule:
            if (m_model.size() < kMaxRules) {
                CRule rule = RuleOf(s.a, s.b);
                rule.m_strName.Format(_T("r%d"), static_cast<int>(s.b % 100));
                const int i = m_rules.Add(rule);
                m_model.push_back({rule, m_rules.GetAt(i).m_nId});
            }
            break;
        case Kind::EditRule:
        case Kind::ToggleRule:
            if (!m_model.empty()) {
                // An edited or switched rule's closes stay; they look at it again when due.
                const int i = static_cast<int>(s.a % m_model.size());
                CRule values = RuleOf(s.a >> 4, s.b);
                if (s.kind == Kind::ToggleRule) {
                    values = m_model[static_cast<size_t>(i)].criteria;
                    values.m_bEnabled = !values.m_bEnabled;
                }
                m_model[static_cast<size_t>(i)].criteria = values;
                m_rules.Replace(i, values);
            }
            break;
        case Kind::DeleteRule:
            if (!m_model.empty()) {
                const int i = static_cast<int>(s.a % m_model.size());
                const RuleId id = m_model[static_cast<size_t>(i)].id;
                std::erase_if(m_owed, [&](const auto& o) { return o.first.rule == id; });
                std::erase_if(m_escOwed, [&](const auto& o) { return o.first.rule == id; });
                m_model.erase(m_model.begin() + i);
                m_autoClose.ForgetRule(id);
                m_rules.Remove(i);
            }
            break;
        case Kind::Foreground:
        case Kind::TitleChange:
        case Kind::Shown:
            if (SimWindow* w = Live(s.a)) {
                if (s.kind == Kind::TitleChange)
                    w->title = kTitles[s.b % 4];
                Event(*w, s.kind == Kind::Foreground    ? kTriggerForeground
                          : s.kind == Kind::TitleChange ? kTriggerTitleChange
                                                        : kTriggerShown);
            }
            break;
        case Kind::AskApply:
            // The question lists each open window with the first enabled rule that matches it;
            // it stays open while later steps change the desktop.
            m_asked.clear();
            for (const SimWindow& w : m_windows)
                for (const ModelRule& rule : m_model)
                    if (Acts(rule.criteria, w)) {
                        m_asked.push_back({rule.id, Handle(IndexOf(&w)), w.owner, w.serial});
                        break;
                    }
            break;
        case Kind::ConfirmApply:
            for (const Asked& a : m_asked) {
                const ModelRule* rule = RuleById(a.rule);
                const SimWindow* w = BySerial(a.serial);
                if (rule != nullptr && w != nullptr && Acts(rule->criteria, *w))
                    Owe(*w, *rule, m_now);
                m_autoClose.ApplyNow(a.rule, a.hwnd, a.owner, CActionEntry());
            }
            m_asked.clear();
            break;
        case Kind::Pause:
            m_paused = !m_paused;
            if (m_paused) {
                m_owed.clear();
                m_escOwed.clear();
            }
            m_autoClose.SetPaused(m_paused);
            break;
        case Kind::Advance: {
            const long long until = m_now + s.a % 40;
            // The model: what falls due is owed to its window if it is still there and the
            // rule, as it stands now, still matches it. Nothing changes while time passes.
            // Closes and follow-ups in the order they fall due, as their timers fire.
            for (;;) {
                auto close = m_owed.end();
                for (auto it = m_owed.begin(); it != m_owed.end(); ++it)
                    if (it->second.first <= until &&
                        (close == m_owed.end() || it->second < close->second))
                        close = it;
                auto esc = m_escOwed.end();
                for (auto it = m_escOwed.begin(); it != m_escOwed.end(); ++it)
                    if (it->second.due <= until &&
                        (esc == m_escOwed.end() || std::pair(it->second.due, it->second.seq) <
                                                       std::pair(esc->second.due, esc->second.seq)))
                        esc = it;
                if (esc != m_escOwed.end() &&
                    (close == m_owed.end() ||
                     std::pair(esc->second.due, esc->second.seq) < close->second)) {
                    const Owed key = esc->first;
                    const Escalation e = esc->second;
                    m_escOwed.erase(esc);
                    Escalate(key, e);
                    continue;
                }
                if (close == m_owed.end())
                    break;
                const ModelRule* rule = RuleById(close->first.rule);
                const SimWindow* w = BySerial(close->first.serial);
                const long long at = close->second.first;
                m_owed.erase(close);
                if (rule != nullptr && w != nullptr && Acts(rule->criteria, *w))
                    Owe(*w, *rule, at);
            }
            // The system: periodic timers, each fired in the order it falls due.
            for (;;) {
                auto next = m_timers.end();
                for (auto it = m_timers.begin(); it != m_timers.end(); ++it)
                    if (it->second.due <= until &&
                        (next == m_timers.end() || it->second.due < next->second.due))
                        next = it;
                if (next == m_timers.end())
                    break;
                m_now = next->second.due;
                next->second.due += next->second.period;
                m_autoClose.OnTimer(next->first);
            }
            m_now = until;
            break;
        }
        }
    }

    std::optional<std::string> Verify() {
        // First half: every close asked for goes to a window that a rule matches now.
        for (HWND hwnd : m_posted) {
            const SimWindow& w = m_windows[reinterpret_cast<std::uintptr_t>(hwnd) - 1];
            bool matched = false;
            for (const ModelRule& rule : m_model)
                matched = matched || Acts(rule.criteria, w);
            if (!matched)
                return "closed window " + std::to_string(w.serial) + ", which no rule matches";
        }
        // Second half, and no close twice: exactly the closes the model owes.
        std::sort(m_posted.begin(), m_posted.end());
        std::sort(m_expected.begin(), m_expected.end());
        if (m_posted != m_expected)
            return std::to_string(m_posted.size()) + " closes asked for, " +
                   std::to_string(m_expected.size()) + " owed";
        // Each pending close and follow-up has its timer, and no timer outlives its own.
        if (m_timers.size() != m_owed.size() + m_escOwed.size() ||
            m_autoClose.PendingCount() != m_owed.size() ||
            m_autoClose.EscalationCount() != m_escOwed.size())
            return std::to_string(m_timers.size()) + " timers, " +
                   std::to_string(m_autoClose.PendingCount()) + " pending closes and " +
                   std::to_string(m_autoClose.EscalationCount()) + " follow-ups; " +
                   std::to_string(m_owed.size()) + " closes and " +
                   std::to_string(m_escOwed.size()) + " follow-ups owed";
        std::sort(m_sysClosed.begin(), m_sysClosed.end());
        std::sort(m_sysExpected.begin(), m_sysExpected.end());
        if (m_sysClosed != m_sysExpected)
            return std::to_string(m_sysClosed.size()) + " window menu Closes sent, " +
                   std::to_string(m_sysExpected.size()) + " owed";
        // The History: one line per close asked for, each naming its rule's number then;
        // per rule, every close scheduled and not yet ended is one the model owes.
        if (!m_logFault.empty())
            return m_logFault;
        size_t done = 0, sysLines = 0, endLines = 0;
        for (const auto& [id, entry] : m_logged) {
            sysLines += entry.action == EAction::SysCloseSent ? 1 : 0;
            endLines += entry.action == EAction::EndRefused ? 1 : 0;
            const bool closed = entry.action == EAction::CloseAsked ||
                                entry.action == EAction::ScheduledDone ||
                                entry.action == EAction::Applied;
            done += closed ? 1 : 0;
            if (entry.action == EAction::CloseScheduled)
                ++m_open[id];
            else if (entry.action == EAction::ScheduledDone ||
                     entry.action == EAction::ScheduledDropped)
                --m_open[id];
        }
        if (done != m_posted.size())
            return std::to_string(done) + " History lines of closes, " +
                   std::to_string(m_posted.size()) + " closes";
        if (sysLines != m_sysClosed.size() || endLines != m_endChecksExpected)
            return std::to_string(sysLines) + " History lines of window menu Closes and " +
                   std::to_string(endLines) + " of programs not ended, the model " +
                   std::to_string(m_sysClosed.size()) + " and " +
                   std::to_string(m_endChecksExpected);
        for (const ModelRule& rule : m_model) {
            const auto owed = std::count_if(m_owed.begin(), m_owed.end(),
                                            [&](const auto& o) { return o.first.rule == rule.id; });
            if (m_open[rule.id] != owed)
                return "the History has " + std::to_string(m_open[rule.id]) +
                       " open closes of rule id " + std::to_string(rule.id) + ", the model " +
                       std::to_string(owed);
        }
        return std::nullopt;
    }

    const CWindowSnapshot* ReadWindow(HWND hwnd, CWindowOwner& owner) override {
        const auto i = reinterpret_cast<std::uintptr_t>(hwnd);
        if (i < 1 || i > kHandles || !m_windows[i - 1].alive)
            return nullptr;
        owner = m_windows[i - 1].owner;
        m_read = m_windows[i - 1].Snapshot();
        return &m_read;
    }
    CActOutcome Act(HWND hwnd, const CRule&) override {
        m_posted.push_back(hwnd);
        return {};
    }
    void SetTimer(UINT_PTR id, UINT delayMs) override {
        m_timers[id] = {m_now + delayMs, static_cast<long long>(delayMs)};
    }
    void KillTimer(UINT_PTR id) override { m_timers.erase(id); }
    // Every window ignores its closes, asks its user nothing and answers messages.
    void OwnedWindows(HWND, std::vector<HWND>&) override {}
    bool ShowsNewWindow(HWND, const std::vector<HWND>&) override { return false; }
    bool SendSysClose(HWND hwnd, CString&) override {
        m_sysClosed.push_back(hwnd);
        return true;
    }
    int SilentMs(HWND) override { return 0; }
    bool MayEnd(HWND, CWindowOwner, CProgramToEnd&, CString&) override { return false; }
    bool EndProgram(CWindowOwner, CString&) override { return false; }
    void LogAction(RuleId rule, CActionEntry entry) override {
        const int i = m_rules.IndexOf(rule);
        if (i < 0 || entry.nRule != i + 1 || entry.strRuleName != m_rules.GetAt(i).m_strName)
            m_logFault = "a History line names rule " + std::to_string(entry.nRule) + " (id " +
                         std::to_string(rule) + ")";
        m_logged.emplace_back(rule, std::move(entry));
    }

    CRuleSet m_rules;
    CAutoClose m_autoClose{m_rules, *this};
    std::vector<ModelRule> m_model;                             // in the same order as m_rules
    std::map<Owed, std::pair<long long, std::uint64_t>> m_owed; // due, and the order set
    std::map<Owed, Escalation> m_escOwed;
    std::uint64_t m_seq = 0;
    std::vector<Asked> m_asked; // the open Apply question
    bool m_paused = false;
    SimWindow m_windows[kHandles];
    std::uint64_t m_nextId = 0;
    long long m_now = 0;
    std::map<UINT_PTR, Timer> m_timers;
    CWindowSnapshot m_read;
    std::vector<HWND> m_posted, m_expected;
    std::vector<HWND> m_sysClosed, m_sysExpected;
    size_t m_endChecksExpected = 0;
    std::vector<std::pair<RuleId, CActionEntry>> m_logged; // this step's History lines
    std::map<RuleId, long long> m_open; // per rule: closes scheduled and not yet ended
    std::string m_logFault;
};

std::vector<Step> Generate(std::uint64_t seed, size_t count) {
    std::mt19937_64 random(seed);
    std::vector<Step> steps;
    while (steps.size() < count) {
        const auto r = static_cast<std::uint32_t>(random());
        const auto a = static_cast<std::uint32_t>(random()),
                   b = static_cast<std::uint32_t>(random());
        const std::uint32_t roll = r % 100;
        // Weights per hundred, in the order of Kind; the rest advances time.
        static const std::pair<Kind, std::uint32_t> kWeights[] = {
            {Kind::Create, 9},      {Kind::Destroy, 5},      {Kind::Retitle, 5},
            {Kind::Resize, 4},      {Kind::Restyle, 3},      {Kind::AddRule, 6},
            {Kind::EditRule, 4},    {Kind::ToggleRule, 3},   {Kind::DeleteRule, 3},
            {Kind::Foreground, 18}, {Kind::TitleChange, 8},  {Kind::Shown, 6},
            {Kind::AskApply, 2},    {Kind::ConfirmApply, 2}, {Kind::Pause, 1}};
        std::uint32_t at = 0;
        std::optional<Kind> kind;
        for (const auto& [k, weight] : kWeights) {
            if (!kind && roll < at + weight)
                kind = k;
            at += weight;
        }
        if (kind == Kind::TitleChange && (r >> 8) % 3 == 0) {
            // A title flood: a window renamed faster than any rule's delay.
            for (std::uint32_t k = 0; k < 3 + (r >> 10) % 5; ++k) {
                steps.push_back({Kind::TitleChange, a, static_cast<std::uint32_t>(random())});
                steps.push_back({Kind::Advance, 7, 0});
            }
        } else if (kind == Kind::Foreground && (r >> 8) % 5 == 0) {
            // A burst of foreground events with no time between them.
            for (std::uint32_t k = 0; k < 2 + (r >> 10) % 4; ++k)
                steps.push_back({Kind::Foreground, static_cast<std::uint32_t>(random()), 0});
        } else {
            steps.push_back({kind.value_or(Kind::Advance), a, b});
        }
    }
    steps.resize(count);
    return steps;
}

// The shortest failing list found by dropping ever smaller chunks while it still fails.
std::vector<Step> Shrink(std::vector<Step> steps) {
    for (size_t chunk = steps.size() / 2; chunk >= 1; chunk /= 2) {
        for (size_t at = 0; at + chunk <= steps.size();) {
            std::vector<Step> fewer(steps.begin(), steps.begin() + static_cast<std::ptrdiff_t>(at));
            fewer.insert(fewer.end(), steps.begin() + static_cast<std::ptrdiff_t>(at + chunk),
                         steps.end());
            if (CSimulation().Run(fewer))
                steps = std::move(fewer);
            else
                at += chunk;
        }
    }
    return steps;
}

std::string Describe(const std::vector<Step>& steps) {
    static const char* const names[] = {
        "create",    "destroy",       "retitle",     "resize",     "restyle",      "add-rule",
        "edit-rule", "toggle-rule",   "delete-rule", "foreground", "title-change", "shown",
        "ask-apply", "confirm-apply", "pause",       "advance"};
    std::string text;
    for (const Step& s : steps)
        text += std::string("  ") + names[static_cast<int>(s.kind)] + " " + std::to_string(s.a) +
                " " + std::to_string(s.b) + "\n";
    return text;
}

std::uint64_t FromEnvironment(const char* name, std::uint64_t fallback) {
    const char* value = std::getenv(name);
    return value != nullptr && *value != 0 ? std::strtoull(value, nullptr, 10) : fallback;
}

TEST(AutoCloseSimulation, ClosesExactlyWhatTheRulesOweOverAMillionSteps) {
    // QUELLIX_SIM_SEED and QUELLIX_SIM_STEPS replay or lengthen a run.
    const std::uint64_t seed = FromEnvironment("QUELLIX_SIM_SEED", 20261207);
    const std::uint64_t total = FromEnvironment("QUELLIX_SIM_STEPS", 1000000);
    constexpr size_t kRunLength = 2000; // a fresh desktop now and then; short lists to shrink
    for (std::uint64_t run = 0; run * kRunLength < total; ++run) {
        const std::vector<Step> steps = Generate(seed + run, kRunLength);
        if (const auto failure = CSimulation().Run(steps)) {
            const std::vector<Step> shortest = Shrink(steps);
            FAIL() << "seed " << seed + run << " (QUELLIX_SIM_SEED=" << seed + run
                   << " QUELLIX_SIM_STEPS=" << kRunLength << "): " << *failure
                   << "\nshortest failing steps (" << *CSimulation().Run(shortest) << "):\n"
                   << Describe(shortest);
        }
    }
}

} // namespace
