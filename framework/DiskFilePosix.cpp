// CDiskFile on POSIX systems, for the native builds of the rule tools and their tests.
#include "DiskFile.h"

#include "Utf8.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

std::string NativePath(const CString& path) {
    return ToUtf8(path.View());
}

} // namespace

CDiskFile::~CDiskFile() {
    if (m_fd >= 0)
        ::close(m_fd);
}

BOOL CDiskFile::Open(const CString& path, UINT flags) {
    if (m_fd >= 0)
        ::close(m_fd);
    int mode = (flags & modeWrite) ? O_WRONLY : O_RDONLY;
    if (flags & modeCreateNew)
        mode |= O_CREAT | O_EXCL | O_NOFOLLOW; // O_EXCL never follows a link at the name
    else if (flags & modeCreate)
        mode |= O_CREAT | O_TRUNC;
    m_fd = ::open(NativePath(path).c_str(), mode | O_CLOEXEC, 0644);
    const int lock = (flags & shareExclusive) ? LOCK_EX : (flags & shareDenyWrite) ? LOCK_SH : 0;
    if (m_fd >= 0 && lock != 0 && ::flock(m_fd, lock | LOCK_NB) != 0) {
        const int error = errno;
        ::close(m_fd);
        m_fd = -1;
        errno = error;
    }
    if (m_fd < 0) {
        m_openError = errno == ENOENT || errno == ENOTDIR ? OpenError::Missing
                      : errno == EEXIST                   ? OpenError::Exists
                                                          : OpenError::Other;
        return FALSE;
    }
    m_openError = OpenError::None;
    m_strFileName = path;
    return TRUE;
}

bool CDiskFile::IsOpen() const {
    return m_fd >= 0;
}

CFileException LastFileError(const CString& path) {
    const int error = errno;
    CFileException::Cause cause = CFileException::genericException;
    if (error == EACCES || error == EPERM)
        cause = CFileException::accessDenied;
    else if (error == ENOSPC || error == EDQUOT)
        cause = CFileException::diskFull;
    return CFileException(cause, static_cast<DWORD>(error), path);
}

void CDiskFile::ThrowLastError() const {
    throw LastFileError(m_strFileName);
}

UINT CDiskFile::Read(void* buffer, UINT count) {
    ssize_t n;
    do
        n = ::read(m_fd, buffer, count);
    while (n < 0 && errno == EINTR);
    if (n < 0)
        ThrowLastError();
    return static_cast<UINT>(n);
}

void CDiskFile::Write(const void* buffer, UINT count) {
    const char* p = static_cast<const char*>(buffer);
    while (count > 0) {
        const ssize_t n = ::write(m_fd, p, count);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            if (n == 0)
                errno = ENOSPC;
            ThrowLastError();
        }
        p += n;
        count -= static_cast<UINT>(n);
    }
}

std::uint64_t CDiskFile::GetLength() const {
    struct stat st;
    if (::fstat(m_fd, &st) != 0)
        ThrowLastError();
    return static_cast<std::uint64_t>(st.st_size);
}

void CDiskFile::KeepModeOf(const CString& path) {
    struct stat st;
    if (::stat(NativePath(path).c_str(), &st) == 0 && ::fchmod(m_fd, st.st_mode & 07777) != 0)
        ThrowLastError();
}

void CDiskFile::Flush() {
    if (::fsync(m_fd) != 0)
        ThrowLastError();
}

void CDiskFile::Close() {
    const int fd = m_fd;
    m_fd = -1;
    if (fd >= 0 && ::close(fd) != 0)
        ThrowLastError();
}

namespace DiskFiles {

bool Exists(const CString& path) {
    struct stat st;
    return ::stat(NativePath(path).c_str(), &st) == 0;
}

bool Replace(const CString& source, const CString& target) {
    const std::string to = NativePath(target);
    if (::rename(NativePath(source).c_str(), to.c_str()) != 0)
        return false;
    // The rename is an entry of the folder: flush the folder too.
    const size_t slash = to.find_last_of('/');
    const std::string folder = slash == std::string::npos ? "." : to.substr(0, slash + 1);
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
    return true;
}

bool Rename(const CString& source, const CString& target) {
    // A hard link fails when the target exists; the source name is then dropped.
    const std::string from = NativePath(source);
    if (::link(from.c_str(), NativePath(target).c_str()) != 0)
        return false;
    ::unlink(from.c_str());
    return true;
}

void Remove(const CString& path) {
    ::unlink(NativePath(path).c_str());
}

} // namespace DiskFiles
