#include "RulesJson.h"

#include "Json.h"
#include "RuleTable.h"
#include "framework/Parse.h"
#include "framework/Utf8.h"
#include "rules/RuleSet.h"

#include <array>
#include <memory>
#include <vector>

namespace {

// The members of a rule, in the order they are written.
enum Member {
    kTitle,
    kClass,
    kLeft,
    kTop,
    kRight,
    kBottom,
    kStyle,
    kExStyle,
    kMatchTitle,
    kMatchClass,
    kMatchDimensions,
    kMatchLocation,
    kMatchStyle,
    kMatchExStyle,
    kDelay,
    kVersion1Count,
    // Version 2 adds these; each may be left out (the defaults of a version 1 rule).
    kName = kVersion1Count,
    kEnabled,
    kProcess,
    kMatchProcess,
    kTitleMode,
    kClassMode,
    kProcessMode,
    kTriggers,
    kMemberCount
};

constexpr std::array<const char*, kMemberCount> kNames = {
    "title",        "class",        "left",       "top",         "right",           "bottom",
    "style",        "exStyle",      "matchTitle", "matchClass",  "matchDimensions", "matchLocation",
    "matchStyle",   "matchExStyle", "delayMs",    "name",        "enabled",         "process",
    "matchProcess", "titleMode",    "classMode",  "processMode", "triggers"};

bool ReadMode(const CJsonValue& v, TextMode& out) {
    if (v.kind != CJsonValue::Kind::String)
        return false;
    for (int m = 0; m < kTextModeCount; ++m)
        if (v.string.View() == StringView(TextModeName(static_cast<TextMode>(m)))) {
            out = static_cast<TextMode>(m);
            return true;
        }
    return false;
}

bool ReadTriggers(const CJsonValue& v, DWORD& out) {
    if (v.kind != CJsonValue::Kind::Array || v.items.empty())
        return false;
    out = 0;
    for (const CJsonValue& item : v.items) {
        if (item.kind != CJsonValue::Kind::String)
            return false;
        DWORD bit = 0;
        for (const auto& [value, name] : kTriggerNames)
            if (item.string.View() == StringView(name))
                bit = value;
        if (bit == 0 || (out & bit) != 0)
            return false;
        out |= bit;
    }
    return true;
}

void AppendHex32(std::string& out, DWORD value) {
    static constexpr char kHex[] = "0123456789abcdef";
    out += "\"0x";
    for (int shift = 28; shift >= 0; shift -= 4)
        out += kHex[(value >> shift) & 0xF];
    out += '"';
}

void AppendFlag(std::string& out, BOOL value) {
    // Any other value than 0 and 1 is kept as the number it is.
    out += value == 0 ? "false" : value == 1 ? "true" : std::to_string(value);
}

std::string Field(int rule, Member member, const char* problem) {
    return "rule " + std::to_string(rule) + ": \"" + kNames[member] + "\" " + problem;
}

bool ReadInt32(const CJsonValue& v, LONG& out) {
    if (v.kind != CJsonValue::Kind::Number || v.number < -2147483648LL || v.number > 2147483647LL)
        return false;
    out = static_cast<LONG>(v.number);
    return true;
}

bool ReadFlag(const CJsonValue& v, BOOL& out) {
    if (v.kind == CJsonValue::Kind::Boolean) {
        out = v.boolean ? TRUE : FALSE;
        return true;
    }
    LONG n = 0;
    if (!ReadInt32(v, n))
        return false;
    out = n;
    return true;
}

bool ReadHex32(const CJsonValue& v, DWORD& out) {
    return v.kind == CJsonValue::Kind::String && ParseHex32(v.string.View(), out);
}

bool ReadText(const CJsonValue& v, CString& out) {
    if (v.kind != CJsonValue::Kind::String)
        return false;
    out = v.string;
    return true;
}

bool HasLineBreak(const CString& text) {
    return text.View().find_first_of(_T("\r\n")) != StringView::npos;
}

bool ReadRule(const CJsonValue& object, int number, int version, CRule& rule, std::string& error) {
    if (object.kind != CJsonValue::Kind::Object) {
        error = "rule " + std::to_string(number) + " is not an object";
        return false;
    }
    std::array<const CJsonValue*, kMemberCount> found{};
    for (size_t i = 0; i < object.items.size(); ++i) {
        const size_t known = version == 1 ? kVersion1Count : kMemberCount;
        size_t m = 0;
        while (m < known && object.names[i] != kNames[m])
            ++m;
        if (m == known) {
            error =
                "rule " + std::to_string(number) + ": unknown member \"" + object.names[i] + "\"";
            return false;
        }
        if (found[m] != nullptr) {
            error = Field(number, static_cast<Member>(m), "is given twice");
            return false;
        }
        found[m] = &object.items[i];
    }
    for (size_t m = 0; m < kVersion1Count; ++m) {
        if (found[m] == nullptr) {
            error = Field(number, static_cast<Member>(m), "is missing");
            return false;
        }
    }

    for (Member m : {kTitle, kClass}) {
        CString& text = m == kTitle ? rule.m_strTitle : rule.m_strClass;
        if (!ReadText(*found[m], text)) {
            error = Field(number, m, "must be a string");
            return false;
        }
        if (HasLineBreak(text)) {
            error = Field(number, m, "holds a line break, which the rule file cannot store");
            return false;
        }
    }
    LONG ints[5] = {};
    const Member intMembers[] = {kLeft, kTop, kRight, kBottom, kDelay};
    for (size_t i = 0; i < std::size(ints); ++i) {
        if (!ReadInt32(*found[intMembers[i]], ints[i])) {
            error = Field(number, intMembers[i],
                          "must be a whole number from -2147483648 to 2147483647");
            return false;
        }
    }
    rule.m_rcWindow = {ints[0], ints[1], ints[2], ints[3]};
    rule.m_nDelayMs = ints[4];
    for (Member m : {kStyle, kExStyle}) {
        if (!ReadHex32(*found[m], m == kStyle ? rule.m_dwStyle : rule.m_dwExStyle)) {
            error = Field(number, m,
                          "must be a string of up to 8 hexadecimal digits, like \"0x14cf0000\"");
            return false;
        }
    }
    BOOL* flags[] = {&rule.m_bMatchTitle,    &rule.m_bMatchClass, &rule.m_bMatchDimensions,
                     &rule.m_bMatchLocation, &rule.m_bMatchStyle, &rule.m_bMatchExStyle};
    for (size_t i = 0; i < std::size(flags); ++i) {
        const auto m = static_cast<Member>(kMatchTitle + i);
        if (!ReadFlag(*found[m], *flags[i])) {
            error = Field(number, m, "must be true, false or a whole number");
            return false;
        }
    }
    if (found[kName] != nullptr &&
        (!ReadText(*found[kName], rule.m_strName) || rule.m_strName.GetLength() > kMaxRuleName)) {
        error = Field(number, kName, "must be a string of at most 256 characters");
        return false;
    }
    if (found[kProcess] != nullptr && !ReadText(*found[kProcess], rule.m_strProcess)) {
        error = Field(number, kProcess, "must be a string");
        return false;
    }
    for (Member m : {kEnabled, kMatchProcess}) {
        if (found[m] != nullptr && found[m]->kind != CJsonValue::Kind::Boolean) {
            error = Field(number, m, "must be true or false");
            return false;
        }
    }
    if (found[kEnabled] != nullptr)
        rule.m_bEnabled = found[kEnabled]->boolean ? TRUE : FALSE;
    if (found[kMatchProcess] != nullptr)
        rule.m_bMatchProcess = found[kMatchProcess]->boolean ? TRUE : FALSE;
    TextMode* modes[] = {&rule.m_titleMode, &rule.m_classMode, &rule.m_processMode};
    for (size_t i = 0; i < std::size(modes); ++i) {
        const auto m = static_cast<Member>(kTitleMode + i);
        if (found[m] != nullptr && !ReadMode(*found[m], *modes[i])) {
            error = Field(number, m, "must be \"is\", \"contains\", \"wildcard\" or \"regex\"");
            return false;
        }
    }
    if (found[kTriggers] != nullptr && !ReadTriggers(*found[kTriggers], rule.m_dwTriggers)) {
        error = Field(number, kTriggers,
                      "must be a non-empty array of distinct \"foreground\", \"titleChange\" "
                      "and \"shown\"");
        return false;
    }
    return true;
}

} // namespace

void WriteRulesJson(const CRuleSet& rules, const CTextSink& sink) {
    std::string out = "{\n  \"version\": 2,\n  \"rules\": [";
    for (int i = 0; i < rules.GetCount(); ++i) {
        const CRule& r = rules.GetAt(i);
        out += i == 0 ? "\n    {" : ",\n    {";
        auto name = [&](Member m) {
            out += m == kTitle ? "\n      \"" : ",\n      \"";
            out += kNames[m];
            out += "\": ";
        };
        name(kTitle);
        AppendJsonString(out, r.m_strTitle.View());
        name(kClass);
        AppendJsonString(out, r.m_strClass.View());
        const LONG ints[] = {r.m_rcWindow.left, r.m_rcWindow.top, r.m_rcWindow.right,
                             r.m_rcWindow.bottom};
        for (int k = 0; k < 4; ++k) {
            name(static_cast<Member>(kLeft + k));
            out += std::to_string(ints[k]);
        }
        name(kStyle);
        AppendHex32(out, r.m_dwStyle);
        name(kExStyle);
        AppendHex32(out, r.m_dwExStyle);
        const BOOL flags[] = {r.m_bMatchTitle,    r.m_bMatchClass, r.m_bMatchDimensions,
                              r.m_bMatchLocation, r.m_bMatchStyle, r.m_bMatchExStyle};
        for (int k = 0; k < 6; ++k) {
            name(static_cast<Member>(kMatchTitle + k));
            AppendFlag(out, flags[k]);
        }
        name(kDelay);
        out += std::to_string(r.m_nDelayMs);
        name(kName);
        AppendJsonString(out, r.m_strName.View());
        name(kEnabled);
        out += r.m_bEnabled ? "true" : "false";
        name(kProcess);
        AppendJsonString(out, r.m_strProcess.View());
        name(kMatchProcess);
        out += r.m_bMatchProcess ? "true" : "false";
        const TextMode modes[] = {r.m_titleMode, r.m_classMode, r.m_processMode};
        for (int k = 0; k < 3; ++k) {
            name(static_cast<Member>(kTitleMode + k));
            out += '"';
            out += ToUtf8(StringView(TextModeName(modes[k])));
            out += '"';
        }
        name(kTriggers);
        out += '[';
        for (const auto& [value, text] : kTriggerNames) {
            if ((r.m_dwTriggers & value) == 0)
                continue;
            out += out.back() == '[' ? "\"" : ", \"";
            out += ToUtf8(StringView(text));
            out += '"';
        }
        out += "]\n    }";
        PassOn(out, sink);
    }
    out += rules.IsEmpty() ? "]\n}\n" : "\n  ]\n}\n";
    PassOn(out, sink, true);
}

std::string RulesToJson(const CRuleSet& rules) {
    std::string json;
    WriteRulesJson(rules, [&](std::string_view text) { json += text; });
    return json;
}

bool RulesFromJson(std::string_view text, CRuleSet& rules, std::string& error) {
    CJsonValue doc;
    if (!ParseJson(text, doc, error))
        return false;
    const CJsonValue* version = nullptr;
    const CJsonValue* list = nullptr;
    if (doc.kind == CJsonValue::Kind::Object) {
        for (size_t i = 0; i < doc.items.size(); ++i) {
            const CJsonValue** slot = doc.names[i] == "version" ? &version
                                      : doc.names[i] == "rules" ? &list
                                                                : nullptr;
            if (slot == nullptr || *slot != nullptr) {
                error = "the document has an unknown or repeated member \"" + doc.names[i] + "\"";
                return false;
            }
            *slot = &doc.items[i];
        }
    }
    if (version == nullptr || list == nullptr) {
        error = "the document must be an object with \"version\" and \"rules\"";
        return false;
    }
    if (version->kind != CJsonValue::Kind::Number ||
        (version->number != 1 && version->number != 2)) {
        error = "\"version\" must be 1 or 2";
        return false;
    }
    if (list->kind != CJsonValue::Kind::Array) {
        error = "\"rules\" must be an array";
        return false;
    }
    std::vector<CRule> read(list->items.size());
    for (size_t i = 0; i < list->items.size(); ++i) {
        if (!ReadRule(list->items[i], static_cast<int>(i + 1), static_cast<int>(version->number),
                      read[i], error))
            return false;
    }
    for (CRule& rule : read)
        rules.Add(std::move(rule));
    return true;
}

void WriteRuleListJson(const CRuleSet& rules, const CTextSink& sink) {
    std::string out = "[";
    for (int row = 0; row < rules.GetCount(); ++row) {
        out += row == 0 ? "\n  {" : ",\n  {";
        for (int column = 0; column < kRuleColumnCount; ++column) {
            const CRuleListColumn& c = kRuleListColumns[static_cast<size_t>(column)];
            out += column == 0 ? "\"" : ", \"";
            out += c.key;
            out += "\": ";
            const CRule& rule = rules.GetAt(row);
            const CString cell = RuleListCell(rule, row, column);
            if (column != 0 && !RuleCellShown(rule, column))
                out += "null";
            else if (c.numeric)
                out += ToUtf8(cell.View()); // the cell is a plain decimal number
            else
                AppendJsonString(out, cell.View());
        }
        const CRule& rule = rules.GetAt(row);
        out += rule.m_bEnabled ? ", \"enabled\": true" : ", \"enabled\": false";
        out += ", \"triggers\": [";
        bool first = true;
        for (const auto& [bit, text] : kTriggerNames) {
            if ((rule.m_dwTriggers & bit) == 0)
                continue;
            out += first ? "\"" : ", \"";
            out += ToUtf8(StringView(text));
            out += '"';
            first = false;
        }
        out += "]}";
        PassOn(out, sink);
    }
    out += rules.IsEmpty() ? "]\n" : "\n]\n";
    PassOn(out, sink, true);
}
