// "Apply Rules to Open Windows Now": the open windows of other programs that the enabled rules
// match, closed after the user confirms them.
#include "QuellixDlg.h"

#include "engine/win/OpenWindows.h"
#include "ui/MatchText.h"

namespace {

// As many captions as a confirmation can show on a screen.
constexpr int kListedInQuestion = 25;

} // namespace

void CQuellixDlg::OnApplyRules() {
    std::vector<COpenMatch> matches = FindOpenMatches(m_rules);
    std::erase_if(matches, [](const COpenMatch& m) { return m.bOwn; });
    if (matches.empty()) {
        MessageBox(L"No open window of another program matches an enabled rule.", nullptr,
                   MB_OK | MB_ICONINFORMATION);
        return;
    }
    std::vector<CString> captions;
    captions.reserve(matches.size());
    for (const COpenMatch& m : matches)
        captions.push_back(m.strCaption);
    if (MessageBox(ApplyQuestionText(captions, kListedInQuestion), L"Apply Rules - Quellix",
                   MB_OKCANCEL | MB_ICONQUESTION) != IDOK)
        return;
    m_watcher.CloseOpenWindows(matches);
}
