#include "framework/DiskFile.h"

CDiskFile::~CDiskFile() = default;

BOOL CDiskFile::Open(const CString& path, UINT flags) {
    m_hFile.Reset();
    const DWORD access = (flags & modeWrite) ? GENERIC_WRITE : GENERIC_READ;
    const DWORD share = (flags & shareExclusive)   ? 0
                        : (flags & shareDenyWrite) ? FILE_SHARE_READ | FILE_SHARE_DELETE
                                                   : FILE_SHARE_READ | FILE_SHARE_WRITE;
    const DWORD disposition = (flags & modeCreateNew) ? CREATE_NEW
                              : (flags & modeCreate)  ? CREATE_ALWAYS
                                                      : OPEN_EXISTING;
    m_hFile.Reset(
        ::CreateFileW(path, access, share, nullptr, disposition, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!m_hFile) {
        const DWORD error = ::GetLastError();
        m_openError = error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND
                          ? OpenError::Missing
                      : error == ERROR_FILE_EXISTS ? OpenError::Exists
                                                   : OpenError::Other;
        return FALSE;
    }
    m_openError = OpenError::None;
    m_strFileName = path;
    return TRUE;
}

bool CDiskFile::IsOpen() const {
    return static_cast<bool>(m_hFile);
}

CFileException LastFileError(const CString& path) {
    const DWORD error = ::GetLastError();
    CFileException::Cause cause = CFileException::genericException;
    if (error == ERROR_ACCESS_DENIED)
        cause = CFileException::accessDenied;
    else if (error == ERROR_DISK_FULL || error == ERROR_HANDLE_DISK_FULL)
        cause = CFileException::diskFull;
    else if (error == ERROR_HANDLE_EOF)
        cause = CFileException::endOfFile;
    return CFileException(cause, error, path);
}

void CDiskFile::ThrowLastError() const {
    throw LastFileError(m_strFileName);
}

UINT CDiskFile::Read(void* buffer, UINT count) {
    DWORD read = 0;
    if (!::ReadFile(m_hFile.Get(), buffer, count, &read, nullptr))
        ThrowLastError();
    return read;
}

void CDiskFile::Write(const void* buffer, UINT count) {
    DWORD written = 0;
    if (!::WriteFile(m_hFile.Get(), buffer, count, &written, nullptr))
        ThrowLastError();
    if (written != count) {
        ::SetLastError(ERROR_DISK_FULL);
        ThrowLastError();
    }
}

std::uint64_t CDiskFile::GetLength() const {
    LARGE_INTEGER size{};
    if (!::GetFileSizeEx(m_hFile.Get(), &size))
        ThrowLastError();
    return static_cast<std::uint64_t>(size.QuadPart);
}

void CDiskFile::KeepModeOf(const CString&) {}

void CDiskFile::Flush() {
    if (!::FlushFileBuffers(m_hFile.Get()))
        ThrowLastError();
}

void CDiskFile::Close() {
    HANDLE h = m_hFile.Release();
    if (h != INVALID_HANDLE_VALUE && !::CloseHandle(h))
        ThrowLastError();
}

namespace DiskFiles {

bool Exists(const CString& path) {
    return ::GetFileAttributesW(path) != INVALID_FILE_ATTRIBUTES;
}

bool Replace(const CString& source, const CString& target) {
    return ::MoveFileExW(source, target, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
}

bool Rename(const CString& source, const CString& target) {
    return ::MoveFileExW(source, target, MOVEFILE_WRITE_THROUGH) != 0;
}

void Remove(const CString& path) {
    ::DeleteFileW(path);
}

} // namespace DiskFiles
