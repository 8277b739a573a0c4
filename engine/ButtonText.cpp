#include "ButtonText.h"

#include "engine/Match.h"

namespace {

bool IsBlank(WCHAR16 unit) {
    return unit == _T(' ') || unit == _T('\t') || unit == _T('\r') || unit == _T('\n') ||
           unit == 0x00A0;
}

StringView Trimmed(StringView text) {
    while (!text.empty() && IsBlank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && IsBlank(text.back()))
        text.remove_suffix(1);
    return text;
}

} // namespace

CString ShownButtonText(StringView text) {
    CString shown;
    for (size_t i = 0; i < text.size(); ++i) {
        // A mark underlines the next character and is not shown; doubled, it is shown once.
        if (text[i] == _T('&')) {
            if (i + 1 == text.size() || text[i + 1] != _T('&'))
                continue;
            ++i;
        }
        shown += text[i];
    }
    return CString(Trimmed(shown.View()));
}

CString ComparedButtonText(StringView text) {
    const CString shown = ShownButtonText(text);
    StringView view = shown.View();
    if (view.size() >= 3 && view.substr(view.size() - 3) == StringView(_T("...")))
        view.remove_suffix(3);
    else if (!view.empty() && view.back() == 0x2026)
        view.remove_suffix(1);
    return CString(Trimmed(view));
}

bool ButtonTextMatches(StringView ruleText, TextMode mode, const CRegex* regex,
                       StringView buttonText) {
    const CString button = ComparedButtonText(buttonText);
    if (mode == TextMode::Is || mode == TextMode::Contains) {
        const CString rule = ComparedButtonText(ruleText);
        return TextMatches(rule.View(), mode, nullptr, button.View(), true);
    }
    return TextMatches(ruleText, mode, regex, button.View(), true);
}

const WCHAR16* StandardButtonName(int id) {
    switch (id) {
    case 1:
        return _T("OK");
    case 2:
        return _T("Cancel");
    case 3:
        return _T("Abort");
    case 4:
        return _T("Retry");
    case 5:
        return _T("Ignore");
    case 6:
        return _T("Yes");
    case 7:
        return _T("No");
    case 10:
        return _T("Try Again");
    case 11:
        return _T("Continue");
    default:
        return _T("");
    }
}
