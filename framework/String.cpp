#include "String.h"

namespace {

void AppendDecimal(std::basic_string<WCHAR16>& out, long long v) {
    WCHAR16 digits[24];
    int n = 0;
    unsigned long long u = v < 0 ? 0ULL - static_cast<unsigned long long>(v) : v;
    do {
        digits[n++] = static_cast<WCHAR16>(u'0' + u % 10);
        u /= 10;
    } while (u != 0);
    if (v < 0)
        out += u'-';
    while (n > 0)
        out += digits[--n];
}

void AppendHex(std::basic_string<WCHAR16>& out, unsigned long long u) {
    WCHAR16 digits[24];
    int n = 0;
    do {
        digits[n++] = static_cast<WCHAR16>(u"0123456789abcdef"[u % 16]);
        u /= 16;
    } while (u != 0);
    while (n > 0)
        out += digits[--n];
}

} // namespace

void CString::FormatList(StringView format, std::initializer_list<CFormatArg> args) {
    std::basic_string<WCHAR16> out;
    auto next = args.begin();
    for (size_t i = 0; i < format.size(); ++i) {
        WCHAR16 c = format[i];
        if (c != u'%' || i + 1 == format.size()) {
            out += c;
            continue;
        }
        WCHAR16 conv = format[++i];
        if (conv == u'%') {
            out += u'%';
            continue;
        }
        if (next == args.end())
            continue; // a conversion without an argument prints nothing
        const CFormatArg& arg = *next++;
        switch (conv) {
        case u'd':
            // Like printf: the 32-bit value read as signed.
            if (arg.GetKind() != CFormatArg::Kind::String)
                AppendDecimal(out,
                              static_cast<std::int32_t>(static_cast<std::uint32_t>(arg.GetInt())));
            break;
        case u'x':
            if (arg.GetKind() != CFormatArg::Kind::String)
                AppendHex(out, static_cast<std::uint32_t>(arg.GetInt()));
            break;
        case u's':
            if (arg.GetKind() == CFormatArg::Kind::String)
                out += arg.GetString();
            break;
        default:
            break;
        }
    }
    m_str = std::move(out);
}

int CString::Replace(StringView from, StringView to) {
    if (from.empty())
        return 0;
    std::basic_string<WCHAR16> out;
    int count = 0;
    size_t pos = 0;
    for (;;) {
        size_t hit = m_str.find(from, pos);
        if (hit == std::basic_string<WCHAR16>::npos)
            break;
        out.append(m_str, pos, hit - pos);
        out += to;
        pos = hit + from.size();
        ++count;
    }
    if (count != 0) {
        out.append(m_str, pos, std::basic_string<WCHAR16>::npos);
        m_str = std::move(out);
    }
    return count;
}

WCHAR16* CString::GetBuffer(int n) {
    m_str.resize(static_cast<size_t>(n < 0 ? 0 : n));
    return m_str.data();
}

void CString::ReleaseBuffer() {
    size_t end = m_str.find(WCHAR16(0));
    if (end != std::basic_string<WCHAR16>::npos)
        m_str.resize(end);
}

namespace {

bool NeedsEscape(unsigned u) {
    return u < 0x20 || (u >= 0x7F && u <= 0x9F) || u == 0x2028 || u == 0x2029 || u == 0x200E ||
           u == 0x200F || (u >= 0x202A && u <= 0x202E) || (u >= 0x2066 && u <= 0x2069) ||
           u == 0x061C;
}

void AppendEscape(std::basic_string<WCHAR16>& out, unsigned u) {
    out += u'\\';
    if (u == '\t' || u == '\n' || u == '\r') {
        out += u == '\t' ? u't' : u == '\n' ? u'n' : u'r';
        return;
    }
    out += u'u';
    for (int shift = 12; shift >= 0; shift -= 4)
        out += static_cast<WCHAR16>(u"0123456789ABCDEF"[(u >> shift) & 0xF]);
}

} // namespace

CString VisibleText(StringView text, int maxUnits) {
    std::basic_string<WCHAR16> out;
    out.reserve(text.size());
    const size_t limit = maxUnits > 0 ? static_cast<size_t>(maxUnits) : StringView::npos;
    for (size_t i = 0; i < text.size(); ++i) {
        const unsigned u = static_cast<unsigned>(text[i]);
        const size_t before = out.size();
        if (NeedsEscape(u))
            AppendEscape(out, u);
        else if (u >= 0xD800 && u <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
                 text[i + 1] <= 0xDFFF)
            out.append(text.substr(i++, 2)); // a pair is never cut in two
        else
            out += text[i];
        if (out.size() > limit) {
            out.resize(before);
            out += u'\u2026';
            break;
        }
    }
    return CString(StringView(out));
}
