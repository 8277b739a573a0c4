// The rule set as JSON and back, losslessly: every integer of each record and every UTF-16
// unit of its texts. The README shows the document's shape.
#pragma once

#include "TextSink.h"

#include <string>
#include <string_view>

class CRuleSet;

// The export document: {"version": 2, "rules": [...]}, one member per line. Import also takes
// version 1, whose rules have only the record's members.
void WriteRulesJson(const CRuleSet& rules, const CTextSink& sink);
std::string RulesToJson(const CRuleSet& rules);

// Appends the rules of an export document. Refuses (with `error`, adding no rule) anything
// that is not exactly that shape, and texts with a line break, which the rule file cannot
// store.
bool RulesFromJson(std::string_view text, CRuleSet& rules, std::string& error);

// The rule list's rows: an array of objects whose members are the list's cells, null where
// the rule does not use a criterion.
void WriteRuleListJson(const CRuleSet& rules, const CTextSink& sink);
