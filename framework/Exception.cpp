#include "Exception.h"

#include "Utf8.h"

#ifndef _WIN32
#include <cstring>
#endif

CString SystemErrorText(DWORD error) {
    CString text;
#ifdef _WIN32
    WCHAR buffer[512];
    const DWORD length = ::FormatMessageW(
        FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS | FORMAT_MESSAGE_MAX_WIDTH_MASK,
        nullptr, error, 0, buffer, static_cast<DWORD>(std::size(buffer)), nullptr);
    text = CString(buffer, static_cast<int>(length));
#else
    text = FromUtf8(std::strerror(static_cast<int>(error)));
#endif
    // The system ends its texts with a period and spaces; the caller adds its own.
    StringView view = text.View();
    while (!view.empty() && (view.back() == u' ' || view.back() == u'.' || view.back() == u'\r' ||
                             view.back() == u'\n'))
        view.remove_suffix(1);
    if (view.empty())
        text.Format(_T("system error %d"), error);
    else
        text = CString(view);
    return text;
}

CString CArchiveException::GetErrorMessage() const {
    if (m_cause == endOfFile)
        return CString(_T("An attempt was made to read past the end of the file."));
    return CString(_T("The file holds data that could not be read."));
}

CString CFileException::GetErrorMessage() const {
    CString text;
    switch (m_cause) {
    case accessDenied:
        text.Format(_T("Access to %s was denied."), m_fileName);
        break;
    case diskFull:
        text.Format(_T("There is not enough space on the disk to write %s."), m_fileName);
        break;
    case endOfFile:
        text.Format(_T("An attempt was made to read past the end of %s."), m_fileName);
        break;
    default:
        text.Format(_T("An error occurred while accessing %s (%s)."), m_fileName,
                    SystemErrorText(m_osError));
        break;
    }
    return text;
}

CString CMemoryException::GetErrorMessage() const {
    return CString(_T("Out of memory."));
}
