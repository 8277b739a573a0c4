// Parsing what the user typed.
#pragma once

#include "String.h"

// An optionally signed decimal number with blanks around it, within the 32-bit signed range.
bool ParseInt32(StringView text, int& value);
