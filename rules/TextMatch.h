// Comparing texts the ways a rule can: contained and whole-text wildcards, ignoring case,
// without allocating. Texts are UTF-16 code units.
#pragma once

#include "framework/String.h"

// The unit's lower-case form where case is simple: ASCII, Latin-1, Latin Extended-A, Greek and
// Cyrillic letters; any other unit is itself.
WCHAR16 FoldCase(WCHAR16 unit);

// True when `needle` occurs in `text`, ignoring case. An empty needle occurs everywhere.
bool ContainsNoCase(StringView text, StringView needle);
// True when the whole text fits the pattern, ignoring case: `*` any run (also empty), `?` one
// character (a surrogate pair is one character).
bool WildcardMatch(StringView text, StringView pattern);
// Equal unit by unit, ignoring case.
bool EqualNoCase(StringView a, StringView b);

// What a program criterion's value is compared with: the image's file name, or its full path
// when the value names a folder (has a backslash; in a regular expression, an escaped one).
StringView ProcessTextFor(StringView value, bool regex, StringView imagePath);
