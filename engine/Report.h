// The foreground report of the status line.
#pragma once

#include "framework/String.h"
