#include "Exception.h"

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
        text.Format(_T("An error occurred while accessing %s (system error %d)."), m_fileName,
                    m_osError);
        break;
    }
    return text;
}

CString CMemoryException::GetErrorMessage() const {
    return CString(_T("Out of memory."));
}
