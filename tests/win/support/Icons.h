// Icons made in the test process, for windows whose icon a test looks for.
#pragma once

#include <windows.h>

// A 16 x 16 opaque icon of one colour; the caller destroys it.
HICON SolidIcon(COLORREF colour);
