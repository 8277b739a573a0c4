#include "WindowListCells.h"

std::array<CString, kWindowListColumnCount> FormatWindowCells(int row, const CWindowInfo& info) {
    std::array<CString, kWindowListColumnCount> cells;
    cells[0] = RowNumberText(row);
    for (int column = 1; column < kWindowListColumnCount; ++column)
        cells[static_cast<size_t>(column)] = RecordCellText(info, column);
    return cells;
}

WindowFilter FilterWindow(const CWindowListOptions& options, const CWindowFacts& facts) {
    const RECT& rc = facts.rect;
    if (options.hideZeroDimensions && rc.right == rc.left && rc.bottom == rc.top)
        return WindowFilter::ZeroDimensions;
    if (options.hideDisabled && !facts.enabled)
        return WindowFilter::Disabled;
    if (options.hideHidden && !facts.visible)
        return WindowFilter::Hidden;
    if (options.hideWithoutCaption && (facts.style & WS_CAPTION) != WS_CAPTION)
        return WindowFilter::NoCaption;
    return WindowFilter::Listed;
}
