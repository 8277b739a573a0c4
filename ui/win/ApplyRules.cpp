// "Apply Rules to Open Windows Now": the open windows of other programs that the enabled rules
// match, closed after the user confirms them.
#include "QuellixDlg.h"

#include "engine/win/OpenWindows.h"
#include "ui/MatchText.h"

#include <algorithm>

namespace {

// At most this many captions in the question.
constexpr int kListedInQuestion = 25;

// The screen DC with the message font selected, for measuring.
struct CMessageFontDC {
    HDC dc = ::GetDC(nullptr);
    HFONT font = nullptr;
    HGDIOBJ old = nullptr;
    CMessageFontDC() {
        NONCLIENTMETRICSW metrics{};
        metrics.cbSize = sizeof metrics;
        if (::SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0))
            font = ::CreateFontIndirectW(&metrics.lfMessageFont);
        if (dc != nullptr && font != nullptr)
            old = ::SelectObject(dc, font);
    }
    ~CMessageFontDC() {
        if (old != nullptr)
            ::SelectObject(dc, old);
        if (font != nullptr)
            ::DeleteObject(font);
        if (dc != nullptr)
            ::ReleaseDC(nullptr, dc);
    }
    CMessageFontDC(const CMessageFontDC&) = delete;
    CMessageFontDC& operator=(const CMessageFontDC&) = delete;
};

// As many captions as the question can list with its box still within the screen of `owner`:
// each caption is one line cut at kShownTextUnits, but the box wraps a long one over several.
int QuestionCaptionsThatFit(const std::vector<CString>& captions, HWND owner) {
    MONITORINFO monitor{};
    monitor.cbSize = sizeof monitor;
    if (!::GetMonitorInfoW(::MonitorFromWindow(owner, MONITOR_DEFAULTTONEAREST), &monitor))
        return 1;
    const RECT& work = monitor.rcWork;
    // The box wraps its text at more than half the screen's width; narrower is taller, so the
    // measure errs on the safe side. A quarter of the height is left for its frame, icon and
    // buttons.
    const int width = (work.right - work.left) / 2;
    const int room = (work.bottom - work.top) * 3 / 4;
    CMessageFontDC measure;
    int listed = std::min(kListedInQuestion, static_cast<int>(captions.size()));
    for (; listed > 1; --listed) {
        RECT rc{0, 0, width, 0};
        ::DrawTextW(measure.dc, ApplyQuestionText(captions, listed), -1, &rc,
                    DT_CALCRECT | DT_WORDBREAK | DT_EDITCONTROL | DT_EXPANDTABS | DT_NOPREFIX);
        if (rc.bottom <= room)
            break;
    }
    return listed;
}

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
    if (MessageBox(ApplyQuestionText(captions, QuestionCaptionsThatFit(captions, m_hWnd)),
                   L"Apply Rules - Quellix", MB_OKCANCEL | MB_ICONQUESTION) != IDOK)
        return;
    m_watcher.CloseOpenWindows(matches);
}
