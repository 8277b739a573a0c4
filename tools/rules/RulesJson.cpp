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
    kMemberCount
};

constexpr std::array<const char*, kMemberCount> kNames = {
    "title",           "class",         "left",       "top",          "right",
    "bottom",          "style",         "exStyle",    "matchTitle",   "matchClass",
    "matchDimensions", "matchLocation", "matchStyle", "matchExStyle", "delayMs"};

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

bool ReadRule(const CJsonValue& object, int number, CWindowInfo& rule, std::string& error) {
    if (object.kind != CJsonValue::Kind::Object) {
        error = "rule " + std::to_string(number) + " is not an object";
        return false;
    }
    std::array<const CJsonValue*, kMemberCount> found{};
    for (size_t i = 0; i < object.items.size(); ++i) {
        size_t m = 0;
        while (m < kMemberCount && object.names[i] != kNames[m])
            ++m;
        if (m == kMemberCount) {
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
    for (size_t m = 0; m < kMemberCount; ++m) {
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
    return true;
}

} // namespace

void WriteRulesJson(const CRuleSet& rules, const CTextSink& sink) {
    std::string out = "{\n  \"version\": 1,\n  \"rules\": [";
    for (int i = 0; i < rules.GetCount(); ++i) {
        const CWindowInfo& r = rules.GetAt(i);
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
        out += "\n    }";
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
    if (version->kind != CJsonValue::Kind::Number || version->number != 1) {
        error = "\"version\" must be 1";
        return false;
    }
    if (list->kind != CJsonValue::Kind::Array) {
        error = "\"rules\" must be an array";
        return false;
    }
    std::vector<std::unique_ptr<CWindowInfo>> read;
    read.reserve(list->items.size());
    for (size_t i = 0; i < list->items.size(); ++i) {
        read.push_back(std::make_unique<CWindowInfo>());
        if (!ReadRule(list->items[i], static_cast<int>(i + 1), *read.back(), error))
            return false;
    }
    for (auto& rule : read)
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
            const CWindowInfo& rule = rules.GetAt(row);
            const CString cell = RuleListCell(rule, row, column);
            if (column != 0 && !RuleCellShown(rule, column))
                out += "null";
            else if (c.numeric)
                out += ToUtf8(cell.View()); // the cell is a plain decimal number
            else
                AppendJsonString(out, cell.View());
        }
        out += "}";
        PassOn(out, sink);
    }
    out += rules.IsEmpty() ? "]\n" : "\n]\n";
    PassOn(out, sink, true);
}
