#include "MatchText.h"

namespace {

// Another program's caption on one line of ours, cut where it is long.
CString ShownCaption(const CString& caption) {
    return caption.IsEmpty() ? CString(_T("(no caption)"))
                             : VisibleText(caption.View(), kShownTextUnits);
}

} // namespace

CString MatchLineText(const std::vector<CString>& captions, int ownCount, bool ifEnabled,
                      const CString& action) {
    constexpr size_t kListed = 5; // the line is one line: the first few say enough
    const int count = static_cast<int>(captions.size());
    // The warnings first: the line may be too short for all of it, and they matter most.
    CString text;
    if (ownCount > 0)
        text += _T("Warning: it matches Quellix's own windows (never closed). ");
    if (count > kManyMatches) {
        CString warning;
        warning.Format(_T("Warning: it matches more than %d windows. "), kManyMatches);
        text += warning;
    }
    const WCHAR16* const condition = ifEnabled ? _T(" if enabled") : _T("");
    CString counted;
    if (count == 0)
        counted.Format(_T("Matches no open window%s"), condition);
    else if (action.IsEmpty())
        counted.Format(count == 1 ? _T("Matches %d open window%s: ")
                                  : _T("Matches %d open windows%s: "),
                       count, condition);
    else
        counted.Format(count == 1 ? _T("Matches %d open window%s (%s): ")
                                  : _T("Matches %d open windows%s (%s): "),
                       count, condition, action);
    text += counted;
    for (size_t i = 0; i < captions.size() && i < kListed; ++i) {
        if (i > 0)
            text += _T("; ");
        text += ShownCaption(captions[i]);
    }
    if (captions.size() > kListed)
        text += _T("; ...");
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
