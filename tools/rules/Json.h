// The little JSON that the rule tool reads and writes: objects, arrays, strings of UTF-16
// units, whole numbers, true, false and null.
#pragma once

#include "framework/String.h"

#include <string>
#include <string_view>
#include <vector>

// Appends `text` as a JSON string in UTF-8. Control characters and surrogates without their
// partner are written as \uXXXX, so that every unit reads back as it was.
void AppendJsonString(std::string& out, StringView text);

class CJsonValue {
public:
    enum class Kind { Null, Boolean, Number, String, Array, Object };

    Kind kind = Kind::Null;
    bool boolean = false;
    long long number = 0;
    CString string;
    // An array's items, or an object's member values in the document's order.
    std::vector<CJsonValue> items;
    // An object's member names (UTF-8), one per item.
    std::vector<std::string> names;
};

// Parses a whole document. A number must be whole and within 64 bits; a string must be valid
// UTF-8. On failure, `error` says where ("line 3, column 7: ...").
bool ParseJson(std::string_view text, CJsonValue& value, std::string& error);
