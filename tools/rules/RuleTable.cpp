#include "RuleTable.h"

#include "framework/Utf8.h"
#include "rules/RuleFields.h"
#include "rules/RuleSet.h"

#include <algorithm>

namespace {

int CodePointWidth(char32_t c) {
    if ((c >= 0x0300 && c <= 0x036F) || (c >= 0x200B && c <= 0x200F) || c == 0xFEFF)
        return 0;
    constexpr char32_t kWide[][2] = {
        {0x1100, 0x115F},   {0x2E80, 0x303E},   {0x3041, 0x33FF}, {0x3400, 0x4DBF},
        {0x4E00, 0x9FFF},   {0xA000, 0xA4CF},   {0xAC00, 0xD7A3}, {0xF900, 0xFAFF},
        {0xFE30, 0xFE4F},   {0xFF00, 0xFF60},   {0xFFE0, 0xFFE6}, {0x1F300, 0x1F64F},
        {0x1F900, 0x1F9FF}, {0x20000, 0x3FFFD},
    };
    for (const auto& range : kWide)
        if (c >= range[0] && c <= range[1])
            return 2;
    return 1;
}

} // namespace

size_t DisplayWidth(std::string_view utf8) {
    size_t width = 0;
    for (size_t i = 0; i < utf8.size();) {
        const auto b = static_cast<unsigned char>(utf8[i]);
        if (b < 0x80) {
            ++width;
            ++i;
            continue;
        }
        // Our own UTF-8: well formed, so the lead byte gives the length.
        const size_t n = b >= 0xF0 ? 4 : b >= 0xE0 ? 3 : 2;
        char32_t c = b & (0x7F >> n);
        for (size_t k = 1; k < n && i + k < utf8.size(); ++k)
            c = c << 6 | (static_cast<unsigned char>(utf8[i + k]) & 0x3F);
        width += static_cast<size_t>(CodePointWidth(c));
        i += n;
    }
    return width;
}

std::string TableCellText(StringView text) {
    // Other programs' texts reach the terminal: no control of theirs may act on it.
    return ToUtf8(VisibleText(text).View());
}

void WriteTable(const std::vector<CTableColumn>& columns, size_t rows, const CTableCells& cellOf,
                const CTextSink& sink) {
    // Two passes over the cells, the widths first: a table of many rows is not held twice.
    const size_t n = columns.size();
    std::vector<size_t> widths(n);
    for (size_t c = 0; c < n; ++c)
        widths[c] = DisplayWidth(columns[c].caption);
    std::string cell;
    for (size_t row = 0; row < rows; ++row) {
        for (size_t c = 0; c < n; ++c) {
            cellOf(row, c, cell);
            widths[c] = std::max(widths[c], DisplayWidth(cell));
        }
    }

    std::string out;
    auto emit = [&](const std::string& text, size_t c) {
        const size_t pad = widths[c] - DisplayWidth(text);
        if (c != 0)
            out += "  ";
        if (columns[c].alignRight)
            out.append(pad, ' ');
        out += text;
        if (!columns[c].alignRight)
            out.append(pad, ' ');
    };
    auto endLine = [&] {
        while (!out.empty() && out.back() == ' ')
            out.pop_back();
        out += '\n';
    };
    for (size_t c = 0; c < n; ++c)
        emit(columns[c].caption, c);
    endLine();
    for (size_t row = 0; row < rows; ++row) {
        for (size_t c = 0; c < n; ++c) {
            cellOf(row, c, cell);
            emit(cell, c);
        }
        endLine();
        PassOn(out, sink);
    }
    PassOn(out, sink, true);
}

CString RuleListCaption(int column) {
    return CString(RuleColumn(column).caption);
}

CString RuleListCell(const CRule& rule, int row, int column) {
    return column == 0 ? RowNumberText(row) : RuleCellText(rule, column);
}

std::string TriggersText(DWORD triggers) {
    CRule rule;
    rule.m_dwTriggers = triggers;
    return ToUtf8(FieldText(*FindRuleField("triggers"), rule).View());
}

void WriteRuleList(const CRuleSet& rules, const CTextSink& sink) {
    std::vector<CTableColumn> columns;
    for (int c = 0; c < kRuleColumnCount; ++c)
        columns.push_back(
            {ToUtf8(RuleListCaption(c).View()), kRuleListColumns[static_cast<size_t>(c)].numeric});
    // The tool shows what the program's list shows in grey and keeps for later.
    columns.push_back({"Enabled", false});
    columns.push_back({"Triggers", false});
    WriteTable(
        columns, static_cast<size_t>(rules.GetCount()),
        [&](size_t row, size_t column, std::string& text) {
            const int r = static_cast<int>(row);
            const CRule& rule = rules.GetAt(r);
            if (column == kRuleColumnCount)
                text = rule.m_bEnabled ? "yes" : "no";
            else if (column == kRuleColumnCount + 1)
                text = TriggersText(rule.m_dwTriggers);
            else
                text = TableCellText(RuleListCell(rule, r, static_cast<int>(column)).View());
        },
        sink);
}
