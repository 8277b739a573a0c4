// The foreground report of the status line.
#pragma once

#include "Match.h"
#include "framework/String.h"

// Text that stands for the time when the clock could not be converted.
inline constexpr const WCHAR16* kInvalidDateTime = _T("Invalid DateTime");

// One line about the window that came to the foreground, at the given local time text.
CString FormatForegroundReport(StringView timeText, const CWindowSnapshot& window);
