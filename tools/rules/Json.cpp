#include "Json.h"

#include "framework/Utf8.h"

namespace {

void AppendEscape(std::string& out, unsigned unit) {
    static constexpr char kHex[] = "0123456789abcdef";
    out += "\\u";
    for (int shift = 12; shift >= 0; shift -= 4)
        out += kHex[(unit >> shift) & 0xF];
}

struct CParseError {
    size_t offset;
    const char* what;
};

class CParser {
public:
    explicit CParser(std::string_view text) : m_text(text) {}

    void Document(CJsonValue& value) {
        if (m_text.starts_with("\xEF\xBB\xBF")) // a byte order mark, as some editors write
            m_pos = 3;
        Value(value, 0);
        SkipBlanks();
        if (m_pos != m_text.size())
            Fail("unexpected text after the document");
    }

private:
    static constexpr int kMaxDepth = 64;

    [[noreturn]] void Fail(const char* what) const { throw CParseError{m_pos, what}; }

    void SkipBlanks() {
        while (m_pos < m_text.size() && (m_text[m_pos] == ' ' || m_text[m_pos] == '\t' ||
                                         m_text[m_pos] == '\n' || m_text[m_pos] == '\r'))
            ++m_pos;
    }

    bool Take(char c) {
        SkipBlanks();
        if (m_pos < m_text.size() && m_text[m_pos] == c) {
            ++m_pos;
            return true;
        }
        return false;
    }

    void Expect(char c, const char* what) {
        if (!Take(c))
            Fail(what);
    }

    bool Word(std::string_view word) {
        if (m_text.substr(m_pos, word.size()) != word)
            return false;
        m_pos += word.size();
        return true;
    }

    void Value(CJsonValue& value, int depth) {
        if (depth > kMaxDepth)
            Fail("nested too deeply");
        SkipBlanks();
        if (m_pos == m_text.size())
            Fail("unexpected end of the document");
        const char c = m_text[m_pos];
        if (c == '{') {
            ++m_pos;
            value.kind = CJsonValue::Kind::Object;
            if (Take('}'))
                return;
            do {
                SkipBlanks();
                if (m_pos == m_text.size() || m_text[m_pos] != '"')
                    Fail("expected a member name in double quotes");
                CString name;
                String(name);
                value.names.push_back(ToUtf8(name.View()));
                Expect(':', "expected ':' after the member name");
                value.items.emplace_back();
                Value(value.items.back(), depth + 1);
            } while (Take(','));
            Expect('}', "expected ',' or '}'");
        } else if (c == '[') {
            ++m_pos;
            value.kind = CJsonValue::Kind::Array;
            if (Take(']'))
                return;
            do {
                value.items.emplace_back();
                Value(value.items.back(), depth + 1);
            } while (Take(','));
            Expect(']', "expected ',' or ']'");
        } else if (c == '"') {
            value.kind = CJsonValue::Kind::String;
            String(value.string);
        } else if (c == '-' || (c >= '0' && c <= '9')) {
            value.kind = CJsonValue::Kind::Number;
            Number(value.number);
        } else if (Word("true")) {
            value.kind = CJsonValue::Kind::Boolean;
            value.boolean = true;
        } else if (Word("false")) {
            value.kind = CJsonValue::Kind::Boolean;
        } else if (Word("null")) {
            value.kind = CJsonValue::Kind::Null;
        } else {
            Fail("expected a value");
        }
    }

    void Number(long long& number) {
        const bool negative = m_text[m_pos] == '-';
        if (negative)
            ++m_pos;
        auto digit = [&] {
            return m_pos < m_text.size() && m_text[m_pos] >= '0' && m_text[m_pos] <= '9';
        };
        if (!digit())
            Fail("expected a digit");
        const size_t first = m_pos;
        unsigned long long v = 0;
        while (digit()) {
            if (v > 100000000000000000ULL) // 18 digits already: no 64-bit value has more here
                Fail("number out of range");
            v = v * 10 + static_cast<unsigned>(m_text[m_pos++] - '0');
        }
        if (m_text[first] == '0' && m_pos - first > 1) {
            m_pos = first;
            Fail("a number has no leading zeros");
        }
        if (m_pos < m_text.size() &&
            (m_text[m_pos] == '.' || m_text[m_pos] == 'e' || m_text[m_pos] == 'E'))
            Fail("expected a whole number");
        number = negative ? -static_cast<long long>(v) : static_cast<long long>(v);
    }

    unsigned Hex4() {
        unsigned unit = 0;
        for (int i = 0; i < 4; ++i, ++m_pos) {
            const char c = m_pos < m_text.size() ? m_text[m_pos] : '\0';
            unsigned d = c >= '0' && c <= '9'   ? unsigned(c - '0')
                         : c >= 'a' && c <= 'f' ? unsigned(c - 'a' + 10)
                         : c >= 'A' && c <= 'F' ? unsigned(c - 'A' + 10)
                                                : 16;
            if (d == 16)
                Fail("expected four hexadecimal digits after \\u");
            unit = unit << 4 | d;
        }
        return unit;
    }

    // Appends the raw UTF-8 run [start, m_pos); refuses bytes that are not UTF-8.
    void AppendRun(CString& out, size_t start) {
        if (start == m_pos)
            return;
        const std::string_view run = m_text.substr(start, m_pos - start);
        const CString units = FromUtf8(run);
        // FromUtf8 puts U+FFFD in place of a bad sequence: valid text converts back unchanged.
        if (ToUtf8(units.View()) != run) {
            m_pos = start;
            Fail("a string is not valid UTF-8");
        }
        out += units;
    }

    void String(CString& out) {
        ++m_pos; // the opening quote
        size_t run = m_pos;
        for (;;) {
            if (m_pos == m_text.size())
                Fail("a string has no closing quote");
            const auto c = static_cast<unsigned char>(m_text[m_pos]);
            if (c == '"') {
                AppendRun(out, run);
                ++m_pos;
                return;
            }
            if (c < 0x20)
                Fail("a control character in a string must be written as an escape");
            if (c != '\\') {
                ++m_pos;
                continue;
            }
            AppendRun(out, run);
            ++m_pos;
            const char e = m_pos < m_text.size() ? m_text[m_pos++] : '\0';
            switch (e) {
            case '"':
            case '\\':
            case '/':
                out += static_cast<WCHAR16>(e);
                break;
            case 'b':
                out += static_cast<WCHAR16>(u'\b');
                break;
            case 'f':
                out += static_cast<WCHAR16>(u'\f');
                break;
            case 'n':
                out += static_cast<WCHAR16>(u'\n');
                break;
            case 'r':
                out += static_cast<WCHAR16>(u'\r');
                break;
            case 't':
                out += static_cast<WCHAR16>(u'\t');
                break;
            case 'u':
                // One UTF-16 unit each: a pair written as two escapes joins by itself.
                out += static_cast<WCHAR16>(Hex4());
                break;
            default:
                --m_pos;
                Fail("unknown escape in a string");
            }
            run = m_pos;
        }
    }

    std::string_view m_text;
    size_t m_pos = 0;
};

} // namespace

void AppendJsonString(std::string& out, StringView text) {
    out += '"';
    size_t run = 0; // start of units that convert as they are
    auto flush = [&](size_t end) {
        if (end > run)
            out += ToUtf8(text.substr(run, end - run));
    };
    for (size_t i = 0; i < text.size(); ++i) {
        const unsigned u = static_cast<std::uint16_t>(text[i]);
        if (IsHighSurrogate(u) || IsLowSurrogate(u)) {
            if (IsHighSurrogate(u) && i + 1 < text.size() &&
                IsLowSurrogate(static_cast<std::uint16_t>(text[i + 1]))) {
                ++i;
                continue;
            }
        } else if (u >= 0x20 && u != '"' && u != '\\') {
            continue;
        }
        flush(i);
        run = i + 1;
        switch (u) {
        case '"':
            out += "\\\"";
            break;
        case '\\':
            out += "\\\\";
            break;
        case '\n':
            out += "\\n";
            break;
        case '\r':
            out += "\\r";
            break;
        case '\t':
            out += "\\t";
            break;
        default:
            AppendEscape(out, u);
            break;
        }
    }
    flush(text.size());
    out += '"';
}

bool ParseJson(std::string_view text, CJsonValue& value, std::string& error) {
    value = CJsonValue();
    try {
        CParser(text).Document(value);
        return true;
    } catch (const CParseError& e) {
        size_t line = 1, column = 1;
        for (size_t i = 0; i < e.offset && i < text.size(); ++i) {
            if (text[i] == '\n') {
                ++line;
                column = 1;
            } else if ((static_cast<unsigned char>(text[i]) & 0xC0) != 0x80) {
                ++column; // characters, not the bytes of one
            }
        }
        error =
            "line " + std::to_string(line) + ", column " + std::to_string(column) + ": " + e.what;
        return false;
    }
}
