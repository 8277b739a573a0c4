// CDiskFile: a CFile on disk (Win32). Failures of reading, writing, flushing and closing
// throw CFileException; a failed open returns FALSE.
#pragma once

#include "Archive.h"
#include "Handle.h"

class CDiskFile : public CFile {
public:
    enum OpenFlags : UINT {
        modeRead = 0x0000,
        modeWrite = 0x0001,
        shareExclusive = 0x0010,
        modeCreate = 0x1000, // create, or truncate to zero length
    };

    CDiskFile() = default;
    // Closes without reporting: use Close() to learn whether the last writes reached the disk.
    ~CDiskFile() override = default;

    BOOL Open(const WCHAR* path, UINT flags);
    UINT Read(void* buffer, UINT count) override;
    void Write(const void* buffer, UINT count) override;
    // Writes the system's buffers to the disk.
    void Flush() override;
    void Close();
    bool IsOpen() const { return static_cast<bool>(m_hFile); }

private:
    [[noreturn]] void ThrowLastError() const;

    CFileHandle m_hFile;
    CString m_strFileName;
};
