// Conversions between UTF-16 code units and UTF-8 bytes.
#pragma once

#include "String.h"

#include <string>
#include <string_view>

// An unpaired surrogate becomes U+FFFD.
std::string ToUtf8(StringView text);
// An invalid byte sequence becomes U+FFFD.
CString FromUtf8(std::string_view text);
