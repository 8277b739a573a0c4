// The rule's fields, described once: what each is called in the tool's JSON and options, the
// kind of value it holds, where the rule file keeps it, and what values it may take. The forms
// that list fields (the rule file's block, the tool's JSON, its `add` options and the one check)
// read this table; a new field is one entry here plus the code that gives it meaning.
#pragma once

#include "framework/String.h"
#include "rules/Rule.h"

#include <climits>
#include <cstdint>
#include <span>
#include <string>

enum class EFieldKind : std::uint8_t {
    Text,     // a CString member
    Flag,     // a record's BOOL: true or false, or kept as the number it is
    Bool,     // true or false
    Int,      // a number within [minValue, maxValue]
    Hex,      // a 32-bit value written in hexadecimal
    Mode,     // a TextMode, by its name
    Triggers, // a non-empty set of moments, by their names
    Choice,   // one of `choices`, by its name
};

// Where the rule file keeps a field.
enum class EFieldPlace : std::uint8_t {
    Record, // the record, which every Quellix reads
    Block,  // the rule block's fixed part
    Tagged, // the block's tagged part, under `tag`
};

struct CRuleField {
    const char* name; // the JSON member
    EFieldKind kind;
    // The JSON document version that brought it; version 1's members are required.
    int since;
    EFieldPlace place;
    // Tagged: its tag, and whether a reader that does not know the tag must take the rule as
    // inert (it would otherwise act more broadly than the rule, or otherwise than it).
    std::uint16_t tag = 0;
    bool mustUnderstand = false;
    // The tool's `add` option that sets it, or null; for a criterion's value, the flag field
    // that giving the option ticks.
    const char* option = nullptr;
    const char* ticks = nullptr;
    // What it is, in words ("window class"), for messages.
    const char* noun = nullptr;
    // Int: its range; Text: at most maxValue units (0: no limit), and no line break when
    // noLineBreak (the record cannot keep one).
    long long minValue = 0, maxValue = 0;
    bool noLineBreak = false;
    // What the option takes beyond that: not an empty text, at most optionMaxUnits units (0: no
    // limit), no number below optionMin.
    bool notEmpty = false;
    int optionMaxUnits = 0;
    long long optionMin = LLONG_MIN;
    // Choice: the names of its values 0, 1, ...
    std::span<const WCHAR16* const> choices = {};
    // The value: Text through `text`, every other kind as a number.
    CString CRule::*text = nullptr;
    long long (*get)(const CRule&) = nullptr;
    void (*set)(CRule&, long long) = nullptr;
};

// Every field, in the order the JSON document writes them.
std::span<const CRuleField> RuleFields();
const CRuleField* FindRuleField(std::string_view name);

// The field's value as a number (not for Text), and whether it has its default's value.
long long FieldNumber(const CRuleField& field, const CRule& rule);
bool FieldIsDefault(const CRuleField& field, const CRule& rule);

// The field's value as the tool's options and table write it ("contains", "foreground,shown",
// "0x14cf0000", "true"), and back from such a text. False when the text is not a value of the
// field; `rule` is then unchanged.
CString FieldText(const CRuleField& field, const CRule& rule);
bool SetFieldFromText(const CRuleField& field, CRule& rule, StringView text);
// The values the field takes, in words, for an error ("is, contains, wildcard or regex"; with
// `quoted`, the names in quotes as JSON writes them).
std::string FieldExpects(const CRuleField& field, bool quoted = false);

// Why the rule's value of the field is not one the field may take; empty when it is.
CString FieldProblem(const CRuleField& field, const CRule& rule);

const WCHAR16* RuleActionName(ERuleAction action);
const WCHAR16* EscalateName(EEscalate escalate);
