#include "Archive.h"

#include <algorithm>
#include <cstring>

UINT CMemFile::Read(void* buffer, UINT count) {
    size_t n = std::min<size_t>(count, m_data.size() - m_pos);
    if (n != 0)
        std::memcpy(buffer, m_data.data() + m_pos, n);
    m_pos += n;
    return static_cast<UINT>(n);
}

void CMemFile::Write(const void* buffer, UINT count) {
    const BYTE* p = static_cast<const BYTE*>(buffer);
    m_data.insert(m_data.end(), p, p + count);
    m_pos = m_data.size();
}

CArchive::CArchive(CFile* file, UINT mode, int bufferSize)
    : m_file(file), m_mode(mode), m_buffer(static_cast<size_t>(bufferSize < 16 ? 16 : bufferSize)) {
}

void CArchive::WriteBytes(const BYTE* data, size_t count) {
    while (count != 0) {
        if (m_pos == m_buffer.size())
            Flush();
        size_t n = std::min(count, m_buffer.size() - m_pos);
        std::memcpy(m_buffer.data() + m_pos, data, n);
        m_pos += n;
        data += n;
        count -= n;
    }
}

size_t CArchive::ReadBytes(BYTE* data, size_t count) {
    size_t done = 0;
    while (done < count) {
        if (m_pos == m_fill) {
            m_pos = 0;
            m_fill = m_file->Read(m_buffer.data(), static_cast<UINT>(m_buffer.size()));
            if (m_fill == 0)
                break;
        }
        size_t n = std::min(count - done, m_fill - m_pos);
        std::memcpy(data + done, m_buffer.data() + m_pos, n);
        m_pos += n;
        done += n;
    }
    return done;
}

void CArchive::WriteUInt32(std::uint32_t value) {
    const BYTE bytes[4] = {BYTE(value), BYTE(value >> 8), BYTE(value >> 16), BYTE(value >> 24)};
    WriteBytes(bytes, 4);
}

std::uint32_t CArchive::ReadUInt32() {
    BYTE b[4];
    if (ReadBytes(b, 4) != 4)
        throw CArchiveException(CArchiveException::endOfFile);
    return std::uint32_t(b[0]) | std::uint32_t(b[1]) << 8 | std::uint32_t(b[2]) << 16 |
           std::uint32_t(b[3]) << 24;
}

void CArchive::WriteString(StringView text) {
    for (WCHAR16 unit : text) {
        const BYTE bytes[2] = {BYTE(unit), BYTE(unit >> 8)};
        WriteBytes(bytes, 2);
    }
}

BOOL CArchive::ReadString(CString& text) {
    text.Empty();
    bool any = false;
    BYTE b[2];
    while (ReadBytes(b, 2) == 2) {
        any = true;
        WCHAR16 unit = static_cast<WCHAR16>(b[0] | b[1] << 8);
        if (unit == u'\r') {
            ReadBytes(b, 2);
            break;
        }
        if (unit == u'\n')
            break;
        text += unit;
    }
    return any ? TRUE : FALSE;
}

void CArchive::Flush() {
    if (IsStoring() && m_pos != 0) {
        m_file->Write(m_buffer.data(), static_cast<UINT>(m_pos));
        m_pos = 0;
    }
}

void CArchive::Close() {
    Flush();
    m_file->Flush();
}

#include "Object.h"

void CObject::Serialize(CArchive&) {}
