#include "IniText.h"

#include "Parse.h"
#include "Utf8.h"

namespace {

bool IsBlank(WCHAR16 c) {
    return c == _T(' ') || c == _T('\t');
}

StringView Trim(StringView s) {
    while (!s.empty() && IsBlank(s.front()))
        s.remove_prefix(1);
    while (!s.empty() && IsBlank(s.back()))
        s.remove_suffix(1);
    return s;
}

WCHAR16 FoldAscii(WCHAR16 c) {
    return c >= _T('A') && c <= _T('Z') ? static_cast<WCHAR16>(c - _T('A') + _T('a')) : c;
}

bool SameName(StringView a, StringView b) {
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (FoldAscii(a[i]) != FoldAscii(b[i]))
            return false;
    return true;
}

// The name of a "[name]" line; nothing for any other line.
std::optional<StringView> SectionOf(StringView line) {
    line = Trim(line);
    if (line.empty() || line.front() != _T('['))
        return std::nullopt;
    const size_t end = line.find(_T(']'));
    if (end == StringView::npos)
        return std::nullopt;
    return Trim(line.substr(1, end - 1));
}

bool IsComment(StringView line) {
    line = Trim(line);
    return !line.empty() && (line.front() == _T(';') || line.front() == _T('#'));
}

// The name of a "name=value" line, with the value; nothing for any other line.
std::optional<StringView> NameOf(StringView line, StringView* value = nullptr) {
    if (IsComment(line))
        return std::nullopt;
    const size_t equals = line.find(_T('='));
    if (equals == StringView::npos)
        return std::nullopt;
    if (value != nullptr)
        *value = Trim(line.substr(equals + 1));
    return Trim(line.substr(0, equals));
}

int HexDigit(WCHAR16 c) {
    if (c >= _T('0') && c <= _T('9'))
        return c - _T('0');
    if (c >= _T('a') && c <= _T('f'))
        return c - _T('a') + 10;
    if (c >= _T('A') && c <= _T('F'))
        return c - _T('A') + 10;
    return -1;
}

} // namespace

CIniText::CIniText(StringView text) {
    while (!text.empty()) {
        const size_t end = text.find(_T('\n'));
        StringView line = text.substr(0, end);
        if (!line.empty() && line.back() == _T('\r'))
            line.remove_suffix(1);
        m_lines.emplace_back(line);
        if (end == StringView::npos)
            break;
        text.remove_prefix(end + 1);
    }
}

size_t CIniText::Find(StringView section, StringView name) const {
    bool inSection = false;
    for (size_t i = 0; i < m_lines.size(); ++i) {
        const StringView line = m_lines[i].View();
        if (const auto header = SectionOf(line)) {
            inSection = SameName(*header, section);
            if (inSection && name.empty())
                return i;
        } else if (inSection && !name.empty()) {
            const auto lineName = NameOf(line);
            if (lineName && SameName(*lineName, name))
                return i;
        }
    }
    return StringView::npos;
}

std::optional<CString> CIniText::Get(StringView section, StringView name) const {
    const size_t i = Find(section, name);
    if (i == StringView::npos || name.empty())
        return std::nullopt;
    StringView value;
    NameOf(m_lines[i].View(), &value);
    return CString(value);
}

void CIniText::Set(StringView section, StringView name, StringView value) {
    CString line(name);
    line += _T("=");
    line += value;
    const size_t found = Find(section, name);
    if (found != StringView::npos) {
        m_lines[found] = std::move(line);
        return;
    }
    const size_t header = Find(section, {});
    if (header == StringView::npos) {
        if (!m_lines.empty() && !Trim(m_lines.back().View()).empty())
            m_lines.emplace_back();
        CString title(_T("["));
        title += section;
        title += _T("]");
        m_lines.push_back(std::move(title));
        m_lines.push_back(std::move(line));
        return;
    }
    // After the section's last line that is not blank.
    size_t after = header + 1, end = header + 1;
    for (; end < m_lines.size() && !SectionOf(m_lines[end].View()); ++end)
        if (!Trim(m_lines[end].View()).empty())
            after = end + 1;
    m_lines.insert(m_lines.begin() + static_cast<std::ptrdiff_t>(after), std::move(line));
}

CString CIniText::Text() const {
    CString text;
    for (const CString& line : m_lines) {
        text += line;
        text += _T("\r\n");
    }
    return text;
}

std::optional<int> CIniText::GetInt(StringView section, StringView name) const {
    const auto text = Get(section, name);
    int value = 0;
    if (!text || !ParseInt32(text->View(), value))
        return std::nullopt;
    return value;
}

void CIniText::SetInt(StringView section, StringView name, int value) {
    CString text;
    text.Format(_T("%d"), value);
    Set(section, name, text.View());
}

bool CIniText::GetBinary(StringView section, StringView name, std::vector<BYTE>& data) const {
    data.clear();
    const auto text = Get(section, name);
    if (!text || text->GetLength() % 2 != 0)
        return false;
    const StringView hex = text->View();
    std::vector<BYTE> bytes;
    bytes.reserve(hex.size() / 2);
    for (size_t i = 0; i < hex.size(); i += 2) {
        const int high = HexDigit(hex[i]), low = HexDigit(hex[i + 1]);
        if (high < 0 || low < 0)
            return false;
        bytes.push_back(static_cast<BYTE>(high * 16 + low));
    }
    data = std::move(bytes);
    return true;
}

void CIniText::SetBinary(StringView section, StringView name, const BYTE* data, size_t size) {
    static constexpr WCHAR16 kDigits[] = _T("0123456789ABCDEF");
    CString text;
    for (size_t i = 0; i < size; ++i) {
        text += kDigits[data[i] >> 4];
        text += kDigits[data[i] & 15];
    }
    Set(section, name, text.View());
}

CString IniTextFromBytes(std::string_view bytes) {
    if (bytes.size() >= 2 && static_cast<unsigned char>(bytes[0]) == 0xFF &&
        static_cast<unsigned char>(bytes[1]) == 0xFE) {
        CString text;
        for (size_t i = 2; i + 1 < bytes.size(); i += 2)
            text += static_cast<WCHAR16>(static_cast<unsigned char>(bytes[i]) |
                                         static_cast<unsigned char>(bytes[i + 1]) << 8);
        return text;
    }
    if (bytes.substr(0, 3) == "\xEF\xBB\xBF")
        bytes.remove_prefix(3);
    return FromUtf8(bytes);
}

std::string IniBytesFromText(const CString& text) {
    return ToUtf8(text.View());
}
