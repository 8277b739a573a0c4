#include "RulesJson.h"

#include "Json.h"
#include "RuleTable.h"
#include "framework/Parse.h"
#include "framework/Utf8.h"
#include "rules/RuleFields.h"
#include "rules/RuleSet.h"

#include <climits>

#include <array>
#include <memory>
#include <vector>

namespace {

// The newest document version, and the one whose members every rule has.
constexpr int kJsonVersion = 3;

std::string FieldError(int rule, const CRuleField& field, const std::string& problem) {
    return "rule " + std::to_string(rule) + ": \"" + field.name + "\" " + problem;
}

// The value of one member, as its field's kind reads it; empty when it is one, else why not.
std::string ReadMember(const CRuleField& field, const CJsonValue& v, CRule& rule) {
    switch (field.kind) {
    case EFieldKind::Text:
        if (v.kind != CJsonValue::Kind::String ||
            (field.maxValue > 0 && v.string.GetLength() > field.maxValue))
            return field.maxValue > 0 ? "must be a string of at most " +
                                            std::to_string(field.maxValue) + " characters"
                                      : "must be a string";
        if (field.noLineBreak && v.string.View().find_first_of(_T("\r\n")) != StringView::npos)
            return "holds a line break, which the rule file cannot store";
        rule.*field.text = v.string;
        return std::string();
    case EFieldKind::Flag:
        // Any other value than 0 and 1 is kept as the number it is.
        if (v.kind == CJsonValue::Kind::Boolean) {
            field.set(rule, v.boolean ? 1 : 0);
            return std::string();
        }
        if (v.kind != CJsonValue::Kind::Number || v.number < INT_MIN || v.number > INT_MAX)
            return "must be true, false or a whole number";
        field.set(rule, v.number);
        return std::string();
    case EFieldKind::Bool:
        if (v.kind != CJsonValue::Kind::Boolean)
            return "must be true or false";
        field.set(rule, v.boolean ? 1 : 0);
        return std::string();
    case EFieldKind::Int:
        if (v.kind != CJsonValue::Kind::Number || v.number < field.minValue ||
            v.number > field.maxValue)
            return "must be " + FieldExpects(field);
        field.set(rule, v.number);
        return std::string();
    case EFieldKind::Hex:
        if (v.kind != CJsonValue::Kind::String || !SetFieldFromText(field, rule, v.string.View()))
            return "must be a string of up to 8 hexadecimal digits, like \"0x14cf0000\"";
        return std::string();
    case EFieldKind::Mode:
    case EFieldKind::Choice: {
        if (v.kind != CJsonValue::Kind::String || !SetFieldFromText(field, rule, v.string.View()))
            return "must be " + FieldExpects(field, true);
        return std::string();
    }
    case EFieldKind::Triggers: {
        DWORD bits = 0;
        bool ok = v.kind == CJsonValue::Kind::Array && !v.items.empty();
        for (const CJsonValue& item : v.items) {
            DWORD bit = 0;
            if (item.kind == CJsonValue::Kind::String)
                for (const auto& [value, name] : kTriggerNames)
                    if (item.string.View() == StringView(name))
                        bit = value;
            ok = ok && bit != 0 && (bits & bit) == 0;
            bits |= bit;
        }
        if (!ok)
            return "must be a non-empty array of distinct \"foreground\", \"titleChange\" and "
                   "\"shown\"";
        field.set(rule, bits);
        return std::string();
    }
    }
    return "is not known";
}

void WriteMember(std::string& out, const CRuleField& field, const CRule& rule) {
    switch (field.kind) {
    case EFieldKind::Text:
        AppendJsonString(out, (rule.*field.text).View());
        return;
    case EFieldKind::Flag:
    case EFieldKind::Bool:
    case EFieldKind::Int:
        out += ToUtf8(FieldText(field, rule).View());
        return;
    case EFieldKind::Hex:
    case EFieldKind::Mode:
    case EFieldKind::Choice:
        out += '"' + ToUtf8(FieldText(field, rule).View()) + '"';
        return;
    case EFieldKind::Triggers:
        out += '[';
        for (const auto& [value, text] : kTriggerNames) {
            if ((rule.m_dwTriggers & value) == 0)
                continue;
            out += out.back() == '[' ? "\"" : ", \"";
            out += ToUtf8(StringView(text));
            out += '"';
        }
        out += ']';
        return;
    }
}

bool ReadRule(const CJsonValue& object, int number, int version, CRule& rule, std::string& error) {
    if (object.kind != CJsonValue::Kind::Object) {
        error = "rule " + std::to_string(number) + " is not an object";
        return false;
    }
    const auto fields = RuleFields();
    std::vector<const CJsonValue*> found(fields.size());
    for (size_t i = 0; i < object.items.size(); ++i) {
        const CRuleField* field = FindRuleField(object.names[i]);
        if (field == nullptr || field->since > version) {
            error =
                "rule " + std::to_string(number) + ": unknown member \"" + object.names[i] + "\"";
            return false;
        }
        const size_t m = static_cast<size_t>(field - fields.data());
        if (found[m] != nullptr) {
            error = FieldError(number, *field, "is given twice");
            return false;
        }
        found[m] = &object.items[i];
    }
    for (size_t m = 0; m < fields.size(); ++m) {
        if (found[m] == nullptr) {
            if (fields[m].since > 1)
                continue; // left out: the default of an earlier version's rule
            error = FieldError(number, fields[m], "is missing");
            return false;
        }
        const std::string problem = ReadMember(fields[m], *found[m], rule);
        if (!problem.empty()) {
            error = FieldError(number, fields[m], problem);
            return false;
        }
    }
    return true;
}

} // namespace

void WriteRulesJson(const CRuleSet& rules, const CTextSink& sink) {
    std::string out = "{\n  \"version\": " + std::to_string(kJsonVersion) + ",\n  \"rules\": [";
    for (int i = 0; i < rules.GetCount(); ++i) {
        const CRule& rule = rules.GetAt(i);
        out += i == 0 ? "\n    {" : ",\n    {";
        bool first = true;
        for (const CRuleField& field : RuleFields()) {
            out += first ? "\n      \"" : ",\n      \"";
            first = false;
            out += field.name;
            out += "\": ";
            WriteMember(out, field, rule);
        }
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
    if (version->kind != CJsonValue::Kind::Number || version->number < 1 ||
        version->number > kJsonVersion) {
        error = "\"version\" must be 1, 2 or 3";
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
        out += ", \"triggers\": ";
        WriteMember(out, *FindRuleField("triggers"), rule);
        out += '}';
        PassOn(out, sink);
    }
    out += rules.IsEmpty() ? "]\n" : "\n]\n";
    PassOn(out, sink, true);
}
