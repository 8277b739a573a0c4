// CDiskFile: a CFile on disk, and the few file operations that saving needs. Failures of
// reading, writing, flushing and closing throw CFileException; a failed open returns FALSE and
// leaves the system's error code for LastOpenError().
#pragma once

#include "Archive.h"

#ifdef _WIN32
#include "framework/win/Handle.h"
#endif

class CDiskFile : public CFile {
public:
    enum OpenFlags : UINT {
        modeRead = 0x0000,
        modeWrite = 0x0001,
        shareExclusive = 0x0010,
        // Others may read the file, and delete or rename it, but not write it meanwhile.
        shareDenyWrite = 0x0020,
        modeCreate = 0x1000, // create, or truncate to zero length
        // Create a new file; fails when anything, a link included, has the name.
        modeCreateNew = 0x2000,
    };
    // Why an open failed.
    enum class OpenError { None, Missing, Exists, Other };

    CDiskFile() = default;
    // Closes without reporting: use Close() to learn whether the last writes reached the disk.
    ~CDiskFile() override;
    CDiskFile(const CDiskFile&) = delete;
    CDiskFile& operator=(const CDiskFile&) = delete;

    BOOL Open(const CString& path, UINT flags);
    OpenError LastOpenError() const { return m_openError; }
    UINT Read(void* buffer, UINT count) override;
    void Write(const void* buffer, UINT count) override;
    // Writes the system's buffers to the disk.
    void Flush() override;
    void Close();
    bool IsOpen() const;
    // The file's size in bytes; throws when the system cannot tell it.
    std::uint64_t GetLength() const;
    // Gives the open file the access mode of the file at `path`, if there is one there. Only
    // POSIX systems have such modes; elsewhere this does nothing.
    void KeepModeOf(const CString& path);

private:
    [[noreturn]] void ThrowLastError() const;

#ifdef _WIN32
    CFileHandle m_hFile;
#else
    int m_fd = -1;
#endif
    CString m_strFileName;
    OpenError m_openError = OpenError::None;
};

// The system's last error (GetLastError, errno) about `path`, as the exception that reports it.
CFileException LastFileError(const CString& path);

namespace DiskFiles {

bool Exists(const CString& path);
// Replaces `target` with `source` in one step: a reader sees the old file or the new one. On
// POSIX systems the folder is flushed after, so that the new name survives a crash.
bool Replace(const CString& source, const CString& target);
// Renames `source` to `target`; fails when `target` exists.
bool Rename(const CString& source, const CString& target);
void Remove(const CString& path);

} // namespace DiskFiles
