// Aligned text tables for a terminal, and the rule list as one.
#pragma once

#include "rules/RuleCells.h"

#include <array>
#include <string>
#include <string_view>
#include <vector>

class CRuleSet;

// The terminal cells that UTF-8 text takes: two for an East Asian wide character, none for a
// combining mark.
size_t DisplayWidth(std::string_view utf8);

// A cell's text for a terminal: UTF-8, with each control character shown as a space.
std::string TableCellText(StringView text);

struct CTableColumn {
    std::string caption;
    bool alignRight;
};

// `cells` row by row, one per column: each column as wide as its widest cell or caption, two
// spaces between columns, the captions on the first line.
std::string FormatTable(const std::vector<CTableColumn>& columns,
                        const std::vector<std::string>& cells);

// The rule list's columns: their JSON names and whether their cells are numbers.
struct CRuleListColumn {
    const char* key;
    bool numeric;
};
inline constexpr std::array<CRuleListColumn, kRuleColumnCount> kRuleListColumns = {{
    {"sr", true},
    {"title", false},
    {"class", false},
    {"x", true},
    {"y", true},
    {"width", true},
    {"height", true},
    {"style", false},
    {"exStyle", false},
    {"delay", true},
}};

// The caption of a rule-list column.
CString RuleListCaption(int column);
// A cell of the rule list's row `row`: the row number (column 0) or the rule's cell text.
CString RuleListCell(const CWindowInfo& rule, int row, int column);
// The rule list as the program shows it, as an aligned table.
std::string FormatRuleList(const CRuleSet& rules);
