#include "LayoutMath.h"

RECT LayoutRect(const RECT& initial, const CLayoutAnchor& anchor, int dx, int dy) {
    const LONG moveX = dx * anchor.moveX / 100;
    const LONG moveY = dy * anchor.moveY / 100;
    const LONG growX = dx * anchor.sizeX / 100;
    const LONG growY = dy * anchor.sizeY / 100;
    RECT rc;
    rc.left = initial.left + moveX;
    rc.top = initial.top + moveY;
    rc.right = initial.right + moveX + growX;
    rc.bottom = initial.bottom + moveY + growY;
    return rc;
}
