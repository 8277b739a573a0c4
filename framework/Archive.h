// CArchive: buffered little-endian serialisation over a CFile.
#pragma once

#include "Exception.h"

#include <cstdint>
#include <memory>
#include <type_traits>
#include <vector>

// A byte stream that an archive reads or writes.
class CFile {
public:
    virtual ~CFile() = default;
    // Reads up to count bytes; returns the number read, 0 at the end.
    virtual UINT Read(void* buffer, UINT count) = 0;
    // Writes all count bytes or throws.
    virtual void Write(const void* buffer, UINT count) = 0;
    virtual void Flush() {}
};

// A file held in memory.
class CMemFile : public CFile {
public:
    CMemFile() = default;
    // A copy of the bytes.
    CMemFile(const void* data, size_t size)
        : m_data(static_cast<const BYTE*>(data), static_cast<const BYTE*>(data) + size) {}
    // Reads the bytes where they are, without a copy: they must outlive the file, which cannot
    // be written.
    struct InPlace {};
    CMemFile(InPlace, const void* data, size_t size)
        : m_pInPlace(static_cast<const BYTE*>(data)), m_nInPlace(size) {}
    UINT Read(void* buffer, UINT count) override;
    void Write(const void* buffer, UINT count) override;
    const std::vector<BYTE>& Data() const { return m_data; }

private:
    std::vector<BYTE> m_data;
    const BYTE* m_pInPlace = nullptr;
    size_t m_nInPlace = 0;
    size_t m_pos = 0;
};

// The little-endian 32-bit value at p, as every layout of ours stores its integers.
inline std::uint32_t LoadU32(const BYTE* p) {
    return std::uint32_t(p[0]) | std::uint32_t(p[1]) << 8 | std::uint32_t(p[2]) << 16 |
           std::uint32_t(p[3]) << 24;
}

class CArchive {
public:
    enum Mode { store = 0, load = 1 };
    CArchive(CFile* file, UINT mode, int bufferSize = 4096);
    // An archive that was not closed is dropped without flushing: its data may be incomplete.
    ~CArchive() = default;
    CArchive(const CArchive&) = delete;
    CArchive& operator=(const CArchive&) = delete;

    bool IsStoring() const { return m_mode == store; }
    bool IsLoading() const { return m_mode == load; }

    template <class T>
    requires(std::is_integral_v<T> && sizeof(T) == 4) CArchive& operator<<(T value) {
        WriteUInt32(static_cast<std::uint32_t>(value));
        return *this;
    }
    template <class T>
    requires(std::is_integral_v<T> && sizeof(T) == 4) CArchive& operator>>(T& value) {
        // Inline while the buffer holds the bytes; ReadUInt32 refills it.
        if (m_fill - m_pos >= 4) {
            const BYTE* p = m_buffer.data() + m_pos;
            m_pos += 4;
            value = static_cast<T>(LoadU32(p));
        } else {
            value = static_cast<T>(ReadUInt32());
        }
        return *this;
    }

    // Writes the string's UTF-16LE units, with no length and no terminator.
    void WriteString(StringView text);
    // Reads units up to a CR or LF (after a CR one more unit is consumed). The end of the
    // file ends the line. Returns FALSE when nothing at all was left to read.
    BOOL ReadString(CString& text);
    // Reads a line as ReadString does; true only when it ended with its line end (after a CR,
    // with the unit that follows), false when the file ran out first.
    bool ReadLine(CString& text);
    // Loading: the number of bytes taken from the file so far.
    std::uint64_t GetPosition() const { return m_taken - (m_fill - m_pos); }

    // Raw bytes. Read returns how many it read: fewer at the end of the file.
    void Write(const void* data, size_t count) {
        WriteBytes(static_cast<const BYTE*>(data), count);
    }
    size_t Read(void* data, size_t count) { return ReadBytes(static_cast<BYTE*>(data), count); }

    void Flush();
    // Storing: writes the buffer to the file and flushes the file.
    void Close();

private:
    void WriteUInt32(std::uint32_t value);
    std::uint32_t ReadUInt32();
    void WriteBytes(const BYTE* data, size_t count);
    // Reads exactly count bytes unless the file ends; returns the number read.
    size_t ReadBytes(BYTE* data, size_t count);
    // Makes at least one whole unit available in the buffer; false at the end of the file.
    bool FillForUnit();
    enum class LineEnd { Ended, FileEnded, Nothing };
    LineEnd ReadLineTo(CString& text);

    CFile* m_file;
    UINT m_mode;
    std::vector<BYTE> m_buffer;
    size_t m_pos = 0;          // next byte in the buffer
    size_t m_fill = 0;         // bytes valid in the buffer (loading)
    std::uint64_t m_taken = 0; // bytes read from the file (loading)
};
