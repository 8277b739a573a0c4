#include "DiskFile.h"

BOOL CDiskFile::Open(const WCHAR* path, UINT flags) {
    m_hFile.Reset();
    const DWORD access = (flags & modeWrite) ? GENERIC_WRITE : GENERIC_READ;
    const DWORD share = (flags & shareExclusive) ? 0 : FILE_SHARE_READ | FILE_SHARE_WRITE;
    const DWORD disposition = (flags & modeCreate) ? CREATE_ALWAYS : OPEN_EXISTING;
    m_hFile.Reset(
        ::CreateFileW(path, access, share, nullptr, disposition, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!m_hFile)
        return FALSE;
    m_strFileName = path;
    return TRUE;
}

void CDiskFile::ThrowLastError() const {
    const DWORD error = ::GetLastError();
    CFileException::Cause cause = CFileException::genericException;
    if (error == ERROR_ACCESS_DENIED)
        cause = CFileException::accessDenied;
    else if (error == ERROR_DISK_FULL || error == ERROR_HANDLE_DISK_FULL)
        cause = CFileException::diskFull;
    else if (error == ERROR_HANDLE_EOF)
        cause = CFileException::endOfFile;
    throw CFileException(cause, error, m_strFileName);
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

void CDiskFile::Flush() {
    if (!::FlushFileBuffers(m_hFile.Get()))
        ThrowLastError();
}

void CDiskFile::Close() {
    HANDLE h = m_hFile.Release();
    if (h != INVALID_HANDLE_VALUE && !::CloseHandle(h))
        ThrowLastError();
}
