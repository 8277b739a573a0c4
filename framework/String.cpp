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
