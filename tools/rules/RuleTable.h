// Aligned text tables for a terminal, and the rule list as one.
#pragma once

#include "TextSink.h"
#include "rules/RuleCells.h"

#include <array>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

class CRuleSet;

// The terminal cells that UTF-8 text takes: two for an East Asian wide character, none for a
// combining mark.
size_t DisplayWidth(std::string_view utf8);

// A cell's text for a terminal: UTF-8, with each control character, line separator and
// bidirectional control shown as a visible escape (VisibleText).
std::string TableCellText(StringView text);

struct CTableColumn {
    std::string caption;
    bool alignRight;
};

// Gives the text (UTF-8) of a cell; called twice for each.
using CTableCells = std::function<void(size_t row, size_t column, std::string& text)>;

// The captions, then the rows: each column as wide as its widest cell or caption, two spaces
// between columns.
void WriteTable(const std::vector<CTableColumn>& columns, size_t rows, const CTableCells& cellOf,
                const CTextSink& sink);

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
    {"program", false},
    {"name", false},
    {"action", false},
}};

// The caption of a rule-list column.
CString RuleListCaption(int column);
// A cell of the rule list's row `row`: the row number (column 0) or the rule's cell text.
CString RuleListCell(const CRule& rule, int row, int column);
// "foreground,titleChange,shown", the triggers that are set.
std::string TriggersText(DWORD triggers);
// The rule list as the program shows it, as an aligned table, with whether each rule is
// enabled and its triggers.
void WriteRuleList(const CRuleSet& rules, const CTextSink& sink);
