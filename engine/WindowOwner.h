// Who owns a window: a handle alone can name another program's window later.
#pragma once

#include "framework/WinTypes.h"

struct CWindowOwner {
    DWORD threadId = 0;
    DWORD processId = 0;

    bool operator==(const CWindowOwner&) const = default;
    auto operator<=>(const CWindowOwner&) const = default;
};
