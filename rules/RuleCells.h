// Rule-list cell texts.
#pragma once

#include "rules/WindowInfo.h"
