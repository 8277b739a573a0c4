// Parsing what the user typed.
#pragma once

#include "String.h"

// An optionally signed decimal number with blanks around it, within the 32-bit signed range.
bool ParseInt32(StringView text, int& value);
// A 32-bit hexadecimal number: an optional "0x" and one to eight digits, nothing else.
bool ParseHex32(StringView text, DWORD& value);
