// CString: a string of UTF-16 code units with typed printf-style formatting.
#pragma once

#include "WinTypes.h"

#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>

using StringView = std::basic_string_view<WCHAR16>;

// One argument of CString::Format: an integer or a string, kept with its type.
class CFormatArg {
public:
    enum class Kind { Signed, Unsigned, String };
    CFormatArg(int v) : m_kind(Kind::Signed), m_int(v) {}
    CFormatArg(long v) : m_kind(Kind::Signed), m_int(v) {}
    CFormatArg(long long v) : m_kind(Kind::Signed), m_int(v) {}
    CFormatArg(unsigned v) : m_kind(Kind::Unsigned), m_int(static_cast<long long>(v)) {}
    CFormatArg(unsigned long v) : m_kind(Kind::Unsigned), m_int(static_cast<long long>(v)) {}
    CFormatArg(const WCHAR16* s) : m_kind(Kind::String), m_str(s ? StringView(s) : StringView()) {}
    CFormatArg(StringView s) : m_kind(Kind::String), m_str(s) {}
    template <class S>
    requires requires(const S& s) { s.View(); }
    CFormatArg(const S& s) : m_kind(Kind::String), m_str(s.View()) {}

    Kind GetKind() const { return m_kind; }
    long long GetInt() const { return m_int; }
    StringView GetString() const { return m_str; }

private:
    Kind m_kind;
    long long m_int = 0;
    StringView m_str;
};

class CString {
public:
    CString() = default;
    CString(const WCHAR16* s) : m_str(s ? s : _T("")) {}
    CString(const WCHAR16* s, int n) : m_str(s, static_cast<size_t>(n)) {}
    explicit CString(StringView s) : m_str(s) {}

    int GetLength() const { return static_cast<int>(m_str.size()); }
    bool IsEmpty() const { return m_str.empty(); }
    void Empty() { m_str.clear(); }
    const WCHAR16* GetString() const { return m_str.c_str(); }
    operator const WCHAR16*() const { return m_str.c_str(); }
    StringView View() const { return m_str; }
    WCHAR16 GetAt(int i) const { return m_str[static_cast<size_t>(i)]; }

    CString& operator=(const WCHAR16* s) {
        m_str = s ? s : _T("");
        return *this;
    }
    CString& operator+=(StringView s) {
        m_str += s;
        return *this;
    }
    CString& operator+=(const CString& s) { return *this += s.View(); }
    CString& operator+=(const WCHAR16* s) { return *this += StringView(s); }
    CString& operator+=(WCHAR16 c) {
        m_str += c;
        return *this;
    }
    friend bool operator==(const CString& a, const CString& b) { return a.m_str == b.m_str; }
    friend bool operator==(const CString& a, const WCHAR16* b) { return a.View() == StringView(b); }

    // Replaces every occurrence of `from`, scanning once from left to right.
    int Replace(StringView from, StringView to);
    // Gives room for n units plus a terminator; ReleaseBuffer trims at the first zero.
    WCHAR16* GetBuffer(int n);
    void ReleaseBuffer();

    // Supports %d (signed decimal), %x (lower-case hexadecimal), %s and %%.
    template <class... A> void Format(const WCHAR16* format, const A&... args) {
        FormatList(format, {CFormatArg(args)...});
    }
    void FormatList(StringView format, std::initializer_list<CFormatArg> args);

#ifdef _WIN32
    // Loads a string resource of this module; FALSE when it is missing.
    BOOL LoadString(UINT id);
#endif

private:
    std::basic_string<WCHAR16> m_str;
};

inline CString operator+(CString a, StringView b) {
    a += b;
    return a;
}

// Longer texts from other programs are cut to this many units where they are shown.
inline constexpr int kShownTextUnits = 256;

// The text as it can be shown or copied as one cell of one line: every control character (C0,
// C1), line or paragraph separator and bidirectional control becomes a visible escape (`\t`,
// `\n`, `\r`, `\u202E`), so that another program's text can break no line, no column and no
// reading order. With `maxUnits` > 0, a longer result is cut there and ends with "…".
CString VisibleText(StringView text, int maxUnits = 0);
