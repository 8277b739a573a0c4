#include "WindowInfo.h"

#include "framework/Archive.h"

namespace {

// Writes one line. The reader ends a line at any CR or LF, so such units inside the text are
// stored as spaces: every file written loads back record for record.
void WriteLine(CArchive& ar, StringView text) {
    size_t start = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == u'\r' || text[i] == u'\n') {
            ar.WriteString(text.substr(start, i - start));
            ar.WriteString(_T(" "));
            start = i + 1;
        }
    }
    ar.WriteString(text.substr(start));
    ar.WriteString(_T("\r\n"));
}

} // namespace

void CWindowInfo::Store(CArchive& ar) const {
    // Dimensions before Location: the file's order, not the members'.
    ar << m_rcWindow.left << m_rcWindow.top << m_rcWindow.right << m_rcWindow.bottom;
    ar << m_dwStyle << m_dwExStyle;
    ar << m_bMatchTitle << m_bMatchClass << m_bMatchDimensions << m_bMatchLocation;
    ar << m_bMatchStyle << m_bMatchExStyle << m_nDelayMs;
    WriteLine(ar, m_strTitle.View());
    WriteLine(ar, m_strClass.View());
}

void CWindowInfo::Serialize(CArchive& ar) {
    if (ar.IsStoring()) {
        Store(ar);
        return;
    }
    ar >> m_rcWindow.left >> m_rcWindow.top >> m_rcWindow.right >> m_rcWindow.bottom;
    ar >> m_dwStyle >> m_dwExStyle;
    ar >> m_bMatchTitle >> m_bMatchClass >> m_bMatchDimensions >> m_bMatchLocation;
    ar >> m_bMatchStyle >> m_bMatchExStyle >> m_nDelayMs;
    ar.ReadString(m_strTitle);
    ar.ReadString(m_strClass);
}
