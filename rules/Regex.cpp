#include "Regex.h"

#include "framework/Utf8.h"

#include <re2/re2.h>

#include <string>

namespace {

// Of the part of the pattern an error names, in units.
constexpr int kShownFragment = 64;

// The engine's own messages name its internals; these name what the user wrote.
const WCHAR16* Why(re2::RE2::ErrorCode code, std::string_view fragment, std::string_view pattern) {
    using E = re2::RE2;
    switch (code) {
    case E::ErrorBadEscape:
        if (fragment.size() >= 2 && fragment[1] >= '1' && fragment[1] <= '9')
            return _T("back-references (\\1 and the like) are not supported");
        return _T("invalid escape sequence");
    case E::ErrorBadCharClass:
        return _T("invalid character class");
    case E::ErrorBadCharRange:
        return _T("invalid character class or range");
    case E::ErrorMissingBracket:
        return _T("missing closing ]");
    case E::ErrorMissingParen:
        return _T("missing closing parenthesis");
    case E::ErrorUnexpectedParen:
        return _T("unmatched closing parenthesis");
    case E::ErrorTrailingBackslash:
        return _T("a \\ at the end of the pattern");
    case E::ErrorRepeatArgument:
        return _T("nothing to repeat");
    case E::ErrorRepeatSize:
        return _T("a repeat count above 1000");
    case E::ErrorRepeatOp:
        return _T("invalid repetition");
    case E::ErrorBadPerlOp:
        if (fragment == "(?=" || fragment == "(?!" ||
            pattern.find("(?<=") != std::string_view::npos ||
            pattern.find("(?<!") != std::string_view::npos)
            return _T("look-ahead and look-behind are not supported");
        if (fragment == "(?<")
            return _T("a named group is written (?P<name>...)");
        return _T("invalid group syntax");
    case E::ErrorBadNamedCapture:
        return _T("invalid group name");
    case E::ErrorPatternTooLarge:
        return _T("the pattern is too large");
    default:
        return _T("invalid pattern");
    }
}

} // namespace

std::unique_ptr<CRegex> CRegex::Compile(StringView pattern, CString* error) {
    if (pattern.size() > kMaxPatternLength) {
        if (error != nullptr)
            error->Format(_T("the pattern is too long (more than %d characters)"),
                          kMaxPatternLength);
        return nullptr;
    }
    re2::RE2::Options options;
    options.set_case_sensitive(false);
    options.set_never_capture(true); // only whether it occurs is asked
    options.set_max_mem(kMaxMemory);
    options.set_log_errors(false);
    std::unique_ptr<CRegex> regex(new CRegex);
    regex->m_pRe = std::make_unique<re2::RE2>(ToUtf8(pattern), options);
    if (!regex->m_pRe->ok()) {
        if (error != nullptr) {
            const std::string& fragment = regex->m_pRe->error_arg();
            CString shown = FromUtf8(fragment);
            if (shown.GetLength() > kShownFragment) {
                const auto kept = UnitsThatFit(shown.View(), kShownFragment);
                shown = CString(shown.GetString(), static_cast<int>(kept));
                shown += _T("...");
            }
            error->Format(_T("%s (at \"%s\")"),
                          Why(regex->m_pRe->error_code(), fragment, regex->m_pRe->pattern()),
                          shown);
        }
        return nullptr;
    }
    return regex;
}

CRegex::~CRegex() = default;

bool CRegex::Search(StringView text) const {
    // The text as UTF-8, in one buffer for every pattern of the thread: no allocation once it
    // has grown to the longest text.
    thread_local std::string utf8;
    utf8.clear();
    utf8.reserve(text.size() * 3); // a unit is at most 3 bytes, a pair 4
    AppendUtf8(utf8, text);
    re2::SetSearchWork(kSearchWork);
    const bool found = re2::RE2::PartialMatch(utf8, *m_pRe);
    m_bRanOut = re2::SearchWorkRanOut();
    re2::SetSearchWork(-1);
    return found && !m_bRanOut;
}
