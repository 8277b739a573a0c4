// Window-list logic without the window system: cell texts and the filter decision.
#pragma once

#include "rules/WindowInfo.h"
