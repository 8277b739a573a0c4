// Conversions between UTF-16 code units and UTF-8 bytes.
#pragma once

#include "String.h"

#include <string>
#include <string_view>

inline bool IsHighSurrogate(unsigned unit) {
    return unit >= 0xD800 && unit < 0xDC00;
}
inline bool IsLowSurrogate(unsigned unit) {
    return unit >= 0xDC00 && unit < 0xE000;
}

// How many leading units of `text` fit in `room` units without cutting a surrogate pair.
inline size_t UnitsThatFit(StringView text, size_t room) {
    if (text.size() <= room)
        return text.size();
    return room > 0 && IsHighSurrogate(text[room - 1]) && IsLowSurrogate(text[room]) ? room - 1
                                                                                     : room;
}

// An unpaired surrogate becomes U+FFFD.
std::string ToUtf8(StringView text);
void AppendUtf8(std::string& out, StringView text);
// An invalid byte sequence becomes U+FFFD.
CString FromUtf8(std::string_view text);
