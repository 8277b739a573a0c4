// The watcher's decisions against a simulated desktop. A seeded random run of windows that
// appear, change and close (their handles reused by other programs' windows), rules added,
// edited and deleted, foreground events and timers; after every step the closes asked for must
// be exactly those that a plain model of the rules owes: none to a window that no rule matches
// at that moment, none dropped. A failure prints its seed and the shortest step list found.
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
    DeleteRule,
    Foreground,
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

// A rule with random criteria and values.
std::unique_ptr<CWindowInfo> RuleOf(std::uint32_t a, std::uint32_t b) {
    auto rule = std::make_unique<CWindowInfo>();
    rule->m_bMatchTitle = a & 1;
    rule->m_bMatchClass = (a >> 1) & 1;
    rule->m_bMatchLocation = (a >> 2) & 1;
    rule->m_bMatchDimensions = (a >> 3) & 1;
    rule->m_bMatchStyle = (a >> 4) & 1;
    rule->m_bMatchExStyle = (a >> 5) & 1;
    rule->m_strTitle = kTitles[b % 4];
    rule->m_strClass = kClasses[(b >> 2) % 2];
    rule->m_rcWindow = RectOf(b >> 3);
    rule->m_dwStyle = (b >> 6) & 1;
    rule->m_dwExStyle = (b >> 7) & 1;
    rule->m_nDelayMs = kDelays[(b >> 8) % 5];
    return rule;
}

class CSimulation : private IWindowSystem {
public:
    // Runs the steps; the first broken promise, described, or nothing.
    std::optional<std::string> Run(const std::vector<Step>& steps) {
        for (size_t n = 0; n < steps.size(); ++n) {
            m_posted.clear();
            m_expected.clear();
            Apply(steps[n]);
            if (auto failure = Verify()) {
                return "step " + std::to_string(n + 1) + ": " + *failure;
            }
        }
        return std::nullopt;
    }

private:
    struct ModelRule {
        std::unique_ptr<CWindowInfo> criteria; // a copy, apart from the product's record
        bool owes = false;
        std::uint64_t serial = 0; // the window owed a close
        HWND hwnd = nullptr;
        long long due = 0;
    };
    struct Timer {
        long long due;
        long long period;
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
                auto rule = RuleOf(s.a, s.b);
                m_model.push_back({rule->CopyForRule()});
                m_rules.Add(std::move(rule));
            }
            break;
        case Kind::EditRule:
            if (!m_model.empty()) {
                const int i = static_cast<int>(s.a % m_model.size());
                auto values = RuleOf(s.a >> 4, s.b);
                m_model[static_cast<size_t>(i)].criteria = values->CopyForRule();
                m_rules.Replace(i, *values); // the pending close stays with the record
            }
            break;
        case Kind::DeleteRule:
            if (!m_model.empty()) {
                const int i = static_cast<int>(s.a % m_model.size());
                m_model.erase(m_model.begin() + i);
                m_autoClose.CancelPendingClose(m_rules.GetAt(i));
                m_rules.Remove(i);
            }
            break;
        case Kind::Foreground:
            if (SimWindow* w = Live(s.a)) {
                const CWindowSnapshot snapshot = w->Snapshot();
                for (ModelRule& rule : m_model) {
                    if (!MatchesRule(*rule.criteria, snapshot))
                        continue;
                    if (rule.criteria->m_nDelayMs <= 0) {
                        m_expected.push_back(Handle(IndexOf(w)));
                    } else {
                        rule.owes = true;
                        rule.serial = w->serial;
                        rule.hwnd = Handle(IndexOf(w));
                        rule.due = m_now + rule.criteria->m_nDelayMs;
                    }
                }
                m_autoClose.OnForeground(Handle(IndexOf(w)), snapshot, w->owner);
            }
            break;
        case Kind::Advance: {
            const long long until = m_now + s.a % 40;
            // The model: what falls due is owed to its window if it is still there and the
            // rule, as it stands now, still matches it. Nothing changes while time passes.
            for (ModelRule& rule : m_model) {
                if (!rule.owes || rule.due > until)
                    continue;
                rule.owes = false;
                for (const SimWindow& w : m_windows)
                    if (w.alive && w.serial == rule.serial &&
                        MatchesRule(*rule.criteria, w.Snapshot()))
                        m_expected.push_back(rule.hwnd);
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
                matched = matched || (w.alive && MatchesRule(*rule.criteria, w.Snapshot()));
            if (!matched)
                return "closed window " + std::to_string(w.serial) + ", which no rule matches";
        }
        // Second half, and no close twice: exactly the closes the model owes.
        std::sort(m_posted.begin(), m_posted.end());
        std::sort(m_expected.begin(), m_expected.end());
        if (m_posted != m_expected)
            return std::to_string(m_posted.size()) + " closes asked for, " +
                   std::to_string(m_expected.size()) + " owed";
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
    bool PostClose(HWND hwnd, CString&) override {
        m_posted.push_back(hwnd);
        return true;
    }
    void SetTimer(UINT_PTR id, UINT delayMs) override {
        m_timers[id] = {m_now + delayMs, static_cast<long long>(delayMs)};
    }
    void KillTimer(UINT_PTR id) override { m_timers.erase(id); }

    CRuleSet m_rules;
    CAutoClose m_autoClose{m_rules, *this};
    std::vector<ModelRule> m_model; // in the same order as m_rules
    SimWindow m_windows[kHandles];
    std::uint64_t m_nextId = 0;
    long long m_now = 0;
    std::map<UINT_PTR, Timer> m_timers;
    CWindowSnapshot m_read;
    std::vector<HWND> m_posted, m_expected;
};

std::vector<Step> Generate(std::uint64_t seed, size_t count) {
    std::mt19937_64 random(seed);
    std::vector<Step> steps;
    while (steps.size() < count) {
        const auto r = static_cast<std::uint32_t>(random());
        const auto a = static_cast<std::uint32_t>(random()),
                   b = static_cast<std::uint32_t>(random());
        const std::uint32_t roll = r % 100;
        if (roll < 10)
            steps.push_back({Kind::Create, a, b});
        else if (roll < 15)
            steps.push_back({Kind::Destroy, a, b});
        else if (roll < 22)
            steps.push_back({Kind::Retitle, a, b});
        else if (roll < 27)
            steps.push_back({Kind::Resize, a, b});
        else if (roll < 31)
            steps.push_back({Kind::Restyle, a, b});
        else if (roll < 37)
            steps.push_back({Kind::AddRule, a, b});
        else if (roll < 42)
            steps.push_back({Kind::EditRule, a, b});
        else if (roll < 45)
            steps.push_back({Kind::DeleteRule, a, b});
        else if (roll < 70)
            steps.push_back({Kind::Foreground, a, b});
        else if (roll < 75) // a burst of foreground events with no time between them
            for (std::uint32_t k = 0; k < 2 + (r >> 8) % 4; ++k)
                steps.push_back({Kind::Foreground, static_cast<std::uint32_t>(random()), 0});
        else
            steps.push_back({Kind::Advance, a, b});
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
    static const char* const names[] = {"create",     "destroy",  "retitle",   "resize",
                                        "restyle",    "add-rule", "edit-rule", "delete-rule",
                                        "foreground", "advance"};
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
