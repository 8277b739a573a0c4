#include "MatchText.h"

namespace {

CString ShownCaption(const CString& caption) {
    return caption.IsEmpty() ? CString(_T("(no caption)")) : caption;
}

// Ends the text's sentence once, so that a warning can follow it.
void EndSentence(CString& text) {
    if (text.IsEmpty() || text.GetAt(text.GetLength() - 1) != _T('.'))
        text += _T('.');
}

} // namespace

CString MatchLineText(const std::vector<CString>& captions, int ownCount) {
    constexpr size_t kListed = 5; // the line is one line: the first few say enough
    const int count = static_cast<int>(captions.size());
    CString text;
    if (count == 0) {
        text = _T("Matches no open window");
    } else {
        text.Format(count == 1 ? _T("Matches %d open window: ") : _T("Matches %d open windows: "),
                    count);
        for (size_t i = 0; i < captions.size() && i < kListed; ++i) {
            if (i > 0)
                text += _T("; ");
            text += ShownCaption(captions[i]);
        }
        if (captions.size() > kListed)
            text += _T("; ...");
    }
    if (ownCount > 0) {
        EndSentence(text);
        text += _T(" Warning: it matches Quellix's own windows (never closed)");
    }
    if (count > kManyMatches) {
        EndSentence(text);
        CString warning;
        warning.Format(_T(" Warning: it matches more than %d windows"), kManyMatches);
        text += warning;
    }
    return text;
}

CString ApplyQuestionText(const std::vector<CString>& captions, int maxListed) {
    const int count = static_cast<int>(captions.size());
    CString text;
    text.Format(count == 1 ? _T("The rules match %d open window. Close it now?\r\n")
                           : _T("The rules match %d open windows. Close them now?\r\n"),
                count);
    for (int i = 0; i < count && i < maxListed; ++i) {
        text += _T("\r\n");
        text += ShownCaption(captions[static_cast<size_t>(i)]);
    }
    if (count > maxListed) {
        CString more;
        more.Format(_T("\r\n... and %d more"), count - maxListed);
        text += more;
    }
    return text;
}
