// The profile as an INI file: [section] headers and name=value lines, integers as decimal
// text and binary values as hex text. A change rewrites only its own line; comments, other
// sections and the order of the rest stay as they were.
#pragma once

#include "String.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

class CIniText {
public:
    CIniText() = default;
    explicit CIniText(StringView text);

    // Section and value names compare without regard to ASCII case, as Windows' own INI
    // functions do. A name that appears twice gives its first value.
    std::optional<CString> Get(StringView section, StringView name) const;
    void Set(StringView section, StringView name, StringView value);
    // Every line ends with CR LF.
    CString Text() const;

    std::optional<int> GetInt(StringView section, StringView name) const;
    void SetInt(StringView section, StringView name, int value);
    // False when the value is missing or is not whole bytes of hex digits.
    bool GetBinary(StringView section, StringView name, std::vector<BYTE>& data) const;
    void SetBinary(StringView section, StringView name, const BYTE* data, size_t size);

private:
    // The line of the value, or of the section's header when `name` is empty; npos when none.
    size_t Find(StringView section, StringView name) const;

    std::vector<CString> m_lines;
};

// A file's bytes as text: UTF-8 with or without its byte-order mark, or UTF-16LE with its mark
// (what a text editor saves as "Unicode").
CString IniTextFromBytes(std::string_view bytes);
// Written as UTF-8 without a mark.
std::string IniBytesFromText(const CString& text);
