#include "Parse.h"

#include <climits>

bool ParseInt32(StringView text, int& value) {
    size_t i = 0;
    auto blank = [&](size_t k) { return k < text.size() && (text[k] == u' ' || text[k] == u'\t'); };
    auto digit = [&](size_t k) { return k < text.size() && text[k] >= u'0' && text[k] <= u'9'; };
    while (blank(i))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == u'+' || text[i] == u'-'))
        negative = text[i++] == u'-';
    if (!digit(i))
        return false;
    long long v = 0;
    while (digit(i)) {
        v = v * 10 + (text[i++] - u'0');
        if (v > 2147483648LL)
            return false;
    }
    while (blank(i))
        ++i;
    if (i != text.size())
        return false;
    if (negative)
        v = -v;
    if (v < INT_MIN || v > INT_MAX)
        return false;
    value = static_cast<int>(v);
    return true;
}

bool ParseHex32(StringView text, DWORD& value) {
    if (text.size() >= 2 && text[0] == u'0' && (text[1] == u'x' || text[1] == u'X'))
        text.remove_prefix(2);
    if (text.empty() || text.size() > 8)
        return false;
    DWORD v = 0;
    for (WCHAR16 c : text) {
        const int d = c >= u'0' && c <= u'9'   ? c - u'0'
                      : c >= u'a' && c <= u'f' ? c - u'a' + 10
                      : c >= u'A' && c <= u'F' ? c - u'A' + 10
                                               : -1;
        if (d < 0)
            return false;
        v = v << 4 | static_cast<DWORD>(d);
    }
    value = v;
    return true;
}
