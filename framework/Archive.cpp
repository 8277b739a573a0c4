#include "Archive.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <iterator>

UINT CMemFile::Read(void* buffer, UINT count) {
    const BYTE* data = m_pInPlace != nullptr ? m_pInPlace : m_data.data();
    const size_t size = m_pInPlace != nullptr ? m_nInPlace : m_data.size();
    const size_t n = std::min<size_t>(count, size - m_pos);
    if (n != 0)
        std::memcpy(buffer, data + m_pos, n);
    m_pos += n;
    return static_cast<UINT>(n);
}

void CMemFile::Write(const void* buffer, UINT count) {
    if (m_pInPlace != nullptr)
        throw CArchiveException(CArchiveException::badIndex);
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
            m_taken += m_fill;
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
    if (m_buffer.size() - m_pos >= 4) {
        std::memcpy(m_buffer.data() + m_pos, bytes, 4);
        m_pos += 4;
        return;
    }
    WriteBytes(bytes, 4);
}

std::uint32_t CArchive::ReadUInt32() {
    BYTE b[4];
    if (m_fill - m_pos >= 4) {
        std::memcpy(b, m_buffer.data() + m_pos, 4);
        m_pos += 4;
    } else if (ReadBytes(b, 4) != 4) {
        throw CArchiveException(CArchiveException::endOfFile);
    }
    return LoadU32(b);
}

void CArchive::WriteString(StringView text) {
    // Units are packed straight into the buffer: one call per string, not per unit.
    size_t i = 0;
    while (i < text.size()) {
        if (m_buffer.size() - m_pos < 2)
            Flush();
        size_t n = std::min(text.size() - i, (m_buffer.size() - m_pos) / 2);
        BYTE* out = m_buffer.data() + m_pos;
        if constexpr (std::endian::native == std::endian::little) {
            std::memcpy(out, text.data() + i, 2 * n);
        } else {
            for (size_t k = 0; k < n; ++k) {
                const WCHAR16 unit = text[i + k];
                out[2 * k] = BYTE(unit);
                out[2 * k + 1] = BYTE(unit >> 8);
            }
        }
        m_pos += 2 * n;
        i += n;
    }
}

bool CArchive::FillForUnit() {
    // Keep a split unit's first byte in front of the next read.
    size_t left = m_fill - m_pos;
    if (left != 0)
        m_buffer[0] = m_buffer[m_pos];
    m_pos = 0;
    m_fill = left;
    while (m_fill < 2) {
        UINT n =
            m_file->Read(m_buffer.data() + m_fill, static_cast<UINT>(m_buffer.size() - m_fill));
        if (n == 0)
            return false;
        m_taken += n;
        m_fill += n;
    }
    return true;
}

BOOL CArchive::ReadString(CString& text) {
    return ReadLineTo(text) != LineEnd::Nothing;
}

bool CArchive::ReadLine(CString& text) {
    return ReadLineTo(text) == LineEnd::Ended;
}

CArchive::LineEnd CArchive::ReadLineTo(CString& text) {
    text.Empty();
    bool any = false;
    for (;;) {
        if (m_fill - m_pos < 2 && !FillForUnit()) {
            // The end of the file ends the line; a lone last byte is no unit.
            m_pos = m_fill = 0;
            return any ? LineEnd::FileEnded : LineEnd::Nothing;
        }
        any = true;
        // Find the line end among the whole units in the buffer, then take the units before it
        // in one copy.
        const BYTE* p = m_buffer.data() + m_pos;
        const size_t units = (m_fill - m_pos) / 2;
        size_t k = 0;
        unsigned unit = 0;
        for (; k < units; ++k) {
            unit = p[2 * k] | p[2 * k + 1] << 8;
            if (unit <= 0x0D && (unit == 0x0D || unit == 0x0A))
                break;
        }
        if (k != 0) {
            const int old = text.GetLength();
            WCHAR16* dst = text.GetBuffer(old + static_cast<int>(k)) + old;
            if constexpr (std::endian::native == std::endian::little) {
                std::memcpy(dst, p, 2 * k);
            } else {
                for (size_t j = 0; j < k; ++j)
                    dst[j] = static_cast<WCHAR16>(p[2 * j] | p[2 * j + 1] << 8);
            }
        }
        m_pos += 2 * k;
        if (k == units)
            continue;
        m_pos += 2;
        if (unit == u'\r') {
            BYTE b[2];
            if (ReadBytes(b, 2) != 2) // the LF that follows a CR
                return LineEnd::FileEnded;
        }
        return LineEnd::Ended;
    }
}

void CArchive::Flush() {
    if (IsStoring() && m_pos != 0) {
        m_file->Write(m_buffer.data(), static_cast<UINT>(m_pos));
        m_pos = 0;
    }
}

void CArchive::Close() {
    // Only a stored image needs to reach the disk; a file opened for reading cannot be flushed.
    if (IsStoring()) {
        Flush();
        m_file->Flush();
    }
}

#include "Object.h"

void CObject::Serialize(CArchive&) {}
