#include "WindowListCells.h"

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
