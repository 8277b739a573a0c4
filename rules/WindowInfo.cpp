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
    std::uint64_t cutAt = 0;
    if (Load(ar, cutAt) != LoadResult::Whole)
        throw CArchiveException(CArchiveException::endOfFile);
}

CWindowInfo::LoadResult CWindowInfo::Load(CArchive& ar, std::uint64_t& cutAt) {
    cutAt = ar.GetPosition();
    try {
        ar >> m_rcWindow.left >> m_rcWindow.top >> m_rcWindow.right >> m_rcWindow.bottom;
        ar >> m_dwStyle >> m_dwExStyle;
        ar >> m_bMatchTitle >> m_bMatchClass >> m_bMatchDimensions >> m_bMatchLocation;
        ar >> m_bMatchStyle >> m_bMatchExStyle >> m_nDelayMs;
    } catch (const CArchiveException& e) {
        if (e.GetCause() != CArchiveException::endOfFile)
            throw;
        return LoadResult::CutInNumbers;
    }
    // A text that the file's end cuts short is not the text: a rule with it could match
    // windows that the rule never meant.
    cutAt = ar.GetPosition();
    if (!ar.ReadLine(m_strTitle))
        return LoadResult::CutInTitle;
    cutAt = ar.GetPosition();
    if (!ar.ReadLine(m_strClass))
        return LoadResult::CutInClass;
    return LoadResult::Whole;
}
