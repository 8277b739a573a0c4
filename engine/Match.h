// Matching a window snapshot against a rule.
#pragma once

#include "rules/WindowInfo.h"
