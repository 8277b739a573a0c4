#include "TextMatch.h"

namespace {

bool IsHighSurrogate(WCHAR16 u) {
    return u >= 0xD800 && u <= 0xDBFF;
}
bool IsLowSurrogate(WCHAR16 u) {
    return u >= 0xDC00 && u <= 0xDFFF;
}

// Units of the character that starts at text[i]: 2 for a whole surrogate pair.
size_t CharLength(StringView text, size_t i) {
    return IsHighSurrogate(text[i]) && i + 1 < text.size() && IsLowSurrogate(text[i + 1]) ? 2 : 1;
}

} // namespace

WCHAR16 FoldCase(WCHAR16 unit) {
    const unsigned u = static_cast<unsigned>(unit);
    if (u < 0x80)
        return u >= 'A' && u <= 'Z' ? static_cast<WCHAR16>(u + 32) : unit;
    if (u >= 0xC0 && u <= 0xDE && u != 0xD7)
        return static_cast<WCHAR16>(u + 32);
    // Latin Extended-A: upper and lower case alternate, in two runs of different parity.
    if ((u >= 0x100 && u <= 0x137) || (u >= 0x14A && u <= 0x177))
        return static_cast<WCHAR16>(u | 1);
    if ((u >= 0x139 && u <= 0x148) || (u >= 0x179 && u <= 0x17E))
        return static_cast<WCHAR16>(u + (u & 1));
    if (u == 0x178)
        return static_cast<WCHAR16>(0xFF);
    if (u >= 0x391 && u <= 0x3AB && u != 0x3A2)
        return static_cast<WCHAR16>(u + 32);
    if (u >= 0x410 && u <= 0x42F)
        return static_cast<WCHAR16>(u + 32);
    if (u >= 0x400 && u <= 0x40F)
        return static_cast<WCHAR16>(u + 80);
    return unit;
}

bool EqualNoCase(StringView a, StringView b) {
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (a[i] != b[i] && FoldCase(a[i]) != FoldCase(b[i]))
            return false;
    return true;
}

bool ContainsNoCase(StringView text, StringView needle) {
    if (needle.size() > text.size())
        return false;
    for (size_t start = 0; start + needle.size() <= text.size(); ++start)
        if (EqualNoCase(text.substr(start, needle.size()), needle))
            return true;
    return false;
}

// Greedy with one step back to the last star: linear in practice, never exponential.
bool WildcardMatch(StringView text, StringView pattern) {
    size_t t = 0, p = 0;
    size_t starP = StringView::npos, starT = 0;
    while (t < text.size()) {
        if (p < pattern.size() && pattern[p] == u'*') {
            starP = p++;
            starT = t;
        } else if (p < pattern.size() && pattern[p] == u'?') {
            ++p;
            t += CharLength(text, t);
        } else if (p < pattern.size() &&
                   (pattern[p] == text[t] || FoldCase(pattern[p]) == FoldCase(text[t]))) {
            ++p;
            ++t;
        } else if (starP != StringView::npos) {
            p = starP + 1;
            starT += CharLength(text, starT);
            t = starT;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == u'*')
        ++p;
    return p == pattern.size();
}

StringView ProcessTextFor(StringView value, bool regex, StringView imagePath) {
    if (value.find(regex ? StringView(_T("\\\\")) : StringView(_T("\\"))) != StringView::npos)
        return imagePath;
    const size_t slash = imagePath.find_last_of(u'\\');
    return slash == StringView::npos ? imagePath : imagePath.substr(slash + 1);
}
