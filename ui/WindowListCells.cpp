#include "WindowListCells.h"

#include "app/Settings.h"

CString ColumnWidthValueName(int column, int listNumber) {
    CString name;
    name.Format(Settings::kColumnWidthFormat, column, listNumber);
    return name;
}

std::array<CString, kWindowListColumnCount> FormatWindowCells(int row, const CWindowInfo& info) {
    const RECT& rc = info.m_rcWindow;
    std::array<CString, kWindowListColumnCount> cells;
    cells[0].Format(_T("%d"), row + 1);
    cells[1] = info.m_strTitle;
    cells[2] = info.m_strClass;
    cells[3].Format(_T("%d"), rc.left);
    cells[4].Format(_T("%d"), rc.top);
    // Wraps like the 32-bit arithmetic of the platform, without overflow in C++.
    cells[5].Format(_T("%d"), static_cast<long long>(rc.right) - rc.left);
    cells[6].Format(_T("%d"), static_cast<long long>(rc.bottom) - rc.top);
    cells[7].Format(_T("%x"), info.m_dwStyle);
    cells[8].Format(_T("%x"), info.m_dwExStyle);
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
