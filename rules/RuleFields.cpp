#include "RuleFields.h"

#include "framework/Parse.h"
#include "framework/Utf8.h"

#include <climits>

namespace {

template <auto Member> long long Get(const CRule& rule) {
    return static_cast<long long>(rule.*Member);
}
template <auto Member> void Set(CRule& rule, long long value) {
    using T = std::remove_reference_t<decltype(rule.*Member)>;
    rule.*Member = static_cast<T>(value);
}
template <LONG RECT::*Edge> long long GetEdge(const CRule& rule) {
    return rule.m_rcWindow.*Edge;
}
template <LONG RECT::*Edge> void SetEdge(CRule& rule, long long value) {
    rule.m_rcWindow.*Edge = static_cast<LONG>(value);
}

constexpr const WCHAR16* kModeNames[] = {_T("is"), _T("contains"), _T("wildcard"), _T("regex")};
constexpr const WCHAR16* kActionNames[] = {_T("close"), _T("press"), _T("minimize")};
constexpr const WCHAR16* kEscalateNames[] = {_T("none"), _T("sysclose"), _T("end")};
static_assert(std::size(kModeNames) == kTextModeCount);
static_assert(std::size(kActionNames) == kRuleActionCount);
static_assert(std::size(kEscalateNames) == kEscalateCount);

constexpr long long kIntMin = INT_MIN, kIntMax = INT_MAX;

CRuleField Text(const char* name, int since, EFieldPlace place, CString CRule::*text) {
    CRuleField f{name, EFieldKind::Text, since, place};
    f.text = text;
    return f;
}
template <auto Member>
CRuleField Number(const char* name, EFieldKind kind, int since, EFieldPlace place) {
    CRuleField f{name, kind, since, place};
    f.get = Get<Member>;
    f.set = Set<Member>;
    return f;
}
template <LONG RECT::*Edge> CRuleField EdgeField(const char* name) {
    CRuleField f{name, EFieldKind::Int, 1, EFieldPlace::Record};
    f.minValue = kIntMin;
    f.maxValue = kIntMax;
    f.get = GetEdge<Edge>;
    f.set = SetEdge<Edge>;
    return f;
}

// The builder's small steps, so that each entry reads as one line of what is special about it.
CRuleField Tagged(CRuleField f, std::uint16_t tag, bool mustUnderstand) {
    f.tag = tag;
    f.mustUnderstand = mustUnderstand;
    return f;
}
CRuleField Option(CRuleField f, const char* option, const char* noun = nullptr,
                  const char* ticks = nullptr) {
    f.option = option;
    f.noun = noun;
    f.ticks = ticks;
    return f;
}
CRuleField Range(CRuleField f, long long minValue, long long maxValue) {
    f.minValue = minValue;
    f.maxValue = maxValue;
    return f;
}
CRuleField OneLine(CRuleField f) {
    f.noLineBreak = true;
    return f;
}
CRuleField NotEmpty(CRuleField f) {
    f.notEmpty = true;
    return f;
}
CRuleField OptionMaxUnits(CRuleField f, int units) {
    f.optionMaxUnits = units;
    return f;
}
CRuleField OptionMin(CRuleField f, long long min) {
    f.optionMin = min;
    return f;
}
CRuleField Choices(CRuleField f, std::span<const WCHAR16* const> names) {
    f.choices = names;
    return f;
}

using P = EFieldPlace;
using K = EFieldKind;

const CRuleField kFields[] = {
    // The record's members: every version of the document has them.
    OneLine(Option(Text("title", 1, P::Record, &CRule::m_strTitle), "title", "window text",
                   "matchTitle")),
    OptionMaxUnits(NotEmpty(OneLine(Option(Text("class", 1, P::Record, &CRule::m_strClass), "class",
                                           "window class", "matchClass"))),
                   256),
    EdgeField<&RECT::left>("left"),
    EdgeField<&RECT::top>("top"),
    EdgeField<&RECT::right>("right"),
    EdgeField<&RECT::bottom>("bottom"),
    Option(Number<&CRule::m_dwStyle>("style", K::Hex, 1, P::Record), "style", "style",
           "matchStyle"),
    Option(Number<&CRule::m_dwExStyle>("exStyle", K::Hex, 1, P::Record), "exstyle",
           "extended style", "matchExStyle"),
    Number<&CRule::m_bMatchTitle>("matchTitle", K::Flag, 1, P::Record),
    Number<&CRule::m_bMatchClass>("matchClass", K::Flag, 1, P::Record),
    Number<&CRule::m_bMatchDimensions>("matchDimensions", K::Flag, 1, P::Record),
    Number<&CRule::m_bMatchLocation>("matchLocation", K::Flag, 1, P::Record),
    Number<&CRule::m_bMatchStyle>("matchStyle", K::Flag, 1, P::Record),
    Number<&CRule::m_bMatchExStyle>("matchExStyle", K::Flag, 1, P::Record),
    OptionMin(
        Option(Range(Number<&CRule::m_nDelayMs>("delayMs", K::Int, 1, P::Record), kIntMin, kIntMax),
               "delay", "delay"),
        0),
    // The rule block's fixed part.
    Option(Range(Text("name", 2, P::Block, &CRule::m_strName), 0, kMaxRuleName), "name", "name"),
    Number<&CRule::m_bEnabled>("enabled", K::Bool, 2, P::Block),
    NotEmpty(Option(Text("process", 2, P::Block, &CRule::m_strProcess), "process", "program",
                    "matchProcess")),
    Number<&CRule::m_bMatchProcess>("matchProcess", K::Bool, 2, P::Block),
    Option(Number<&CRule::m_titleMode>("titleMode", K::Mode, 2, P::Block), "title-mode"),
    Option(Number<&CRule::m_classMode>("classMode", K::Mode, 2, P::Block), "class-mode"),
    Option(Number<&CRule::m_processMode>("processMode", K::Mode, 2, P::Block), "process-mode"),
    Option(Number<&CRule::m_dwTriggers>("triggers", K::Triggers, 2, P::Block), "on"),
    // The tagged part. What the rule does, and what it matches, must be understood; a reader
    // that skips the escalation only does less.
    Tagged(Choices(Option(Number<&CRule::m_action>("action", K::Choice, 3, P::Tagged), "action"),
                   kActionNames),
           1, true),
    Tagged(OneLine(Option(Text("button", 3, P::Tagged, &CRule::m_strButton), "button", "button")),
           2, false),
    Tagged(Option(Number<&CRule::m_buttonMode>("buttonMode", K::Mode, 3, P::Tagged), "button-mode"),
           3, false),
    Tagged(Range(Option(Number<&CRule::m_nButtonId>("buttonId", K::Int, 3, P::Tagged), "button-id",
                        "button id"),
                 0, 0xFFFF),
           4, false),
    Tagged(Number<&CRule::m_bMatchMessage>("matchMessage", K::Bool, 3, P::Tagged), 5, true),
    Tagged(Option(Text("message", 3, P::Tagged, &CRule::m_strMessage), "message", "message",
                  "matchMessage"),
           6, false),
    Tagged(
        Option(Number<&CRule::m_messageMode>("messageMode", K::Mode, 3, P::Tagged), "message-mode"),
        7, false),
    Tagged(
        Choices(Option(Number<&CRule::m_escalate>("escalate", K::Choice, 3, P::Tagged), "escalate"),
                kEscalateNames),
        8, false),
    Tagged(Range(Option(Number<&CRule::m_nEscalateAfterMs>("escalateAfterMs", K::Int, 3, P::Tagged),
                        "escalate-after", "escalation's wait"),
                 0, kIntMax),
           9, false),
};

const CRule kDefaultRule;

std::span<const WCHAR16* const> NamesOf(const CRuleField& field) {
    return field.kind == K::Mode ? std::span<const WCHAR16* const>(kModeNames) : field.choices;
}

} // namespace

std::span<const CRuleField> RuleFields() {
    return kFields;
}

const CRuleField* FindRuleField(std::string_view name) {
    for (const CRuleField& field : kFields)
        if (name == field.name)
            return &field;
    return nullptr;
}

long long FieldNumber(const CRuleField& field, const CRule& rule) {
    return field.get != nullptr ? field.get(rule) : 0;
}

bool FieldIsDefault(const CRuleField& field, const CRule& rule) {
    if (field.kind == K::Text)
        return rule.*field.text == kDefaultRule.*field.text;
    return field.get(rule) == field.get(kDefaultRule);
}

const WCHAR16* TextModeName(TextMode mode) {
    const auto m = static_cast<size_t>(mode);
    return m < std::size(kModeNames) ? kModeNames[m] : kModeNames[0];
}

const WCHAR16* RuleActionName(ERuleAction action) {
    const auto a = static_cast<size_t>(action);
    return a < std::size(kActionNames) ? kActionNames[a] : kActionNames[0];
}

const WCHAR16* EscalateName(EEscalate escalate) {
    const auto e = static_cast<size_t>(escalate);
    return e < std::size(kEscalateNames) ? kEscalateNames[e] : kEscalateNames[0];
}

CString FieldText(const CRuleField& field, const CRule& rule) {
    CString text;
    const long long n = FieldNumber(field, rule);
    switch (field.kind) {
    case K::Text:
        return rule.*field.text;
    case K::Flag:
        if (n == 0 || n == 1)
            return CString(n != 0 ? _T("true") : _T("false"));
        [[fallthrough]];
    case K::Int:
        text.Format(_T("%d"), n);
        return text;
    case K::Bool:
        return CString(n != 0 ? _T("true") : _T("false"));
    case K::Hex: {
        WCHAR16 digits[11] = {u'0', u'x'};
        for (int k = 0; k < 8; ++k)
            digits[2 + k] = u"0123456789abcdef"[(n >> (28 - 4 * k)) & 0xF];
        return CString(digits);
    }
    case K::Mode:
    case K::Choice: {
        const auto names = NamesOf(field);
        return CString(n >= 0 && static_cast<size_t>(n) < names.size()
                           ? names[static_cast<size_t>(n)]
                           : _T("?"));
    }
    case K::Triggers:
        for (const auto& [bit, name] : kTriggerNames) {
            if ((n & bit) == 0)
                continue;
            if (!text.IsEmpty())
                text += _T(",");
            text += name;
        }
        return text;
    }
    return text;
}

bool SetFieldFromText(const CRuleField& field, CRule& rule, StringView text) {
    switch (field.kind) {
    case K::Text:
        rule.*field.text = CString(text);
        return true;
    case K::Flag:
    case K::Bool:
        if (text == StringView(_T("true")) || text == StringView(_T("false"))) {
            field.set(rule, text == StringView(_T("true")) ? 1 : 0);
            return true;
        }
        return false;
    case K::Int: {
        int n = 0;
        if (!ParseInt32(text, n) || n < field.minValue || n > field.maxValue)
            return false;
        field.set(rule, n);
        return true;
    }
    case K::Hex: {
        DWORD n = 0;
        if (!ParseHex32(text, n))
            return false;
        field.set(rule, n);
        return true;
    }
    case K::Mode:
    case K::Choice: {
        const auto names = NamesOf(field);
        for (size_t i = 0; i < names.size(); ++i)
            if (text == StringView(names[i])) {
                field.set(rule, static_cast<long long>(i));
                return true;
            }
        return false;
    }
    case K::Triggers: {
        DWORD bits = 0;
        for (;;) {
            const size_t comma = text.find(u',');
            const StringView item = text.substr(0, comma);
            DWORD bit = 0;
            for (const auto& [value, name] : kTriggerNames)
                if (item == StringView(name))
                    bit = value;
            if (bit == 0 || (bits & bit) != 0)
                return false;
            bits |= bit;
            if (comma == StringView::npos)
                break;
            text = text.substr(comma + 1);
        }
        field.set(rule, bits);
        return true;
    }
    }
    return false;
}

std::string FieldExpects(const CRuleField& field, bool quoted) {
    switch (field.kind) {
    case K::Text:
        return field.maxValue > 0
                   ? "a text of at most " + std::to_string(field.maxValue) + " characters"
                   : "a text";
    case K::Flag:
    case K::Bool:
        return "true or false";
    case K::Int:
        return "a whole number from " + std::to_string(field.minValue) + " to " +
               std::to_string(field.maxValue);
    case K::Hex:
        return "up to 8 hexadecimal digits, like 14cf0000";
    case K::Triggers:
        return "foreground, titleChange or shown, separated by commas";
    case K::Mode:
    case K::Choice: {
        const auto names = NamesOf(field);
        std::string words;
        for (size_t i = 0; i < names.size(); ++i) {
            words += i == 0 ? "" : i + 1 == names.size() ? " or " : ", ";
            const std::string name = ToUtf8(StringView(names[i]));
            words += quoted ? '"' + name + '"' : name;
        }
        return words;
    }
    }
    return std::string();
}

CString FieldProblem(const CRuleField& field, const CRule& rule) {
    CString problem;
    const long long n = FieldNumber(field, rule);
    switch (field.kind) {
    case K::Text:
        if (field.maxValue > 0 && (rule.*field.text).GetLength() > field.maxValue)
            problem.Format(_T("A rule's %s has at most %d characters."),
                           FromUtf8(field.noun != nullptr ? field.noun : field.name),
                           field.maxValue);
        break;
    case K::Triggers:
        if (n == 0 || (n & ~static_cast<long long>(kTriggerAll)) != 0)
            problem = _T("A rule needs at least one trigger.");
        break;
    case K::Int:
        if (n < field.minValue || n > field.maxValue)
            problem.Format(_T("The %s must be %s."), FromUtf8(field.noun ? field.noun : field.name),
                           FromUtf8(FieldExpects(field)));
        break;
    case K::Mode:
    case K::Choice:
        if (n < 0 || static_cast<size_t>(n) >= NamesOf(field).size())
            problem.Format(_T("\"%s\" must be %s."), FromUtf8(field.name),
                           FromUtf8(FieldExpects(field)));
        break;
    case K::Bool:
    case K::Flag:
    case K::Hex:
        break;
    }
    return problem;
}
