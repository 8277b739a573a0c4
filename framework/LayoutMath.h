// Dynamic layout arithmetic: how a control moves and grows with its dialog.
#pragma once

#include "WinTypes.h"

// Percentages (0 to 100) of the dialog's size change that a control follows.
struct CLayoutAnchor {
    int moveX = 0;
    int moveY = 0;
    int sizeX = 0;
    int sizeY = 0;
};

// The control's rectangle for a dialog client area grown by dx, dy from its first size.
RECT LayoutRect(const RECT& initial, const CLayoutAnchor& anchor, int dx, int dy);
