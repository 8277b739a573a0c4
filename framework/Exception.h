// Errors raised by the framework; each carries the description that the error report shows.
#pragma once

#include "String.h"

// The system's own description of an error code (GetLastError, errno), without a final period.
CString SystemErrorText(DWORD error);

class CException {
public:
    virtual ~CException() = default;
    virtual CString GetErrorMessage() const = 0;
#ifdef _WIN32
    // Shows the description in a message box captioned with the application title.
    int ReportError(UINT nType = MB_OK) const;
#endif
};

class CArchiveException : public CException {
public:
    enum Cause { endOfFile, badIndex };
    explicit CArchiveException(Cause cause) : m_cause(cause) {}
    Cause GetCause() const { return m_cause; }
    CString GetErrorMessage() const override;

private:
    Cause m_cause;
};

class CFileException : public CException {
public:
    enum Cause { genericException, accessDenied, diskFull, endOfFile };
    CFileException(Cause cause, DWORD osError, CString fileName)
        : m_cause(cause), m_osError(osError), m_fileName(std::move(fileName)) {}
    Cause GetCause() const { return m_cause; }
    DWORD GetOsError() const { return m_osError; }
    CString GetErrorMessage() const override;

private:
    Cause m_cause;
    DWORD m_osError;
    CString m_fileName;
};

class CMemoryException : public CException {
public:
    CString GetErrorMessage() const override;
};
