// Which button a press rule names: its text as the button shows it, in each compare mode.
#include "engine/ButtonText.h"
#include "engine/ProtectedPrograms.h"

#include <gtest/gtest.h>

namespace {

bool Matches(const WCHAR16* rule, TextMode mode, const WCHAR16* button) {
    const auto regex = mode == TextMode::Regex ? CRegex::Compile(StringView(rule)) : nullptr;
    return ButtonTextMatches(StringView(rule), mode, regex.get(), StringView(button));
}

TEST(Press, AButtonIsNamedByTheTextItShows) {
    EXPECT_EQ(ShownButtonText(_T("&No")), _T("No"));
    EXPECT_EQ(ShownButtonText(_T("Save && &Quit")), _T("Save & Quit"));
    EXPECT_EQ(ShownButtonText(_T("  Don't Save&  ")), _T("Don't Save"));
    EXPECT_EQ(ComparedButtonText(_T(" &Browse... ")), _T("Browse"));
    EXPECT_EQ(ComparedButtonText(_T("Options \u2026")), _T("Options"));
    EXPECT_EQ(ComparedButtonText(_T("Wait..")), _T("Wait.."));

    EXPECT_TRUE(Matches(_T("no"), TextMode::Is, _T("&No")));
    EXPECT_TRUE(Matches(_T("&Save..."), TextMode::Is, _T("Save\u2026")));
    EXPECT_TRUE(Matches(_T(" R&&D "), TextMode::Is, _T("R&&D")));
    EXPECT_FALSE(Matches(_T("RD"), TextMode::Is, _T("R&&D")));
    EXPECT_FALSE(Matches(_T("No"), TextMode::Is, _T("&Not now")));
    EXPECT_TRUE(Matches(_T("not"), TextMode::Contains, _T("&Not now")));
    EXPECT_FALSE(Matches(_T("t n"), TextMode::Contains, _T("Yes")));
    // A pattern is taken as written, against the shown text.
    EXPECT_TRUE(Matches(_T("d*save"), TextMode::Wildcard, _T("&Don't save...")));
    EXPECT_FALSE(Matches(_T("&d*"), TextMode::Wildcard, _T("&Don't save")));
    EXPECT_TRUE(Matches(_T("^(yes|ok)$"), TextMode::Regex, _T("&OK")));
    EXPECT_FALSE(Matches(_T("^(yes|ok)$"), TextMode::Regex, _T("&Okay")));
}

} // namespace

namespace {

TEST(Press, TheProgramsThatAskForConsentAreKnownByFileNameInAnyCase) {
    EXPECT_TRUE(IsProtectedProgram(StringView(_T("C:\\Windows\\System32\\consent.exe"))));
    EXPECT_TRUE(
        IsProtectedProgram(StringView(_T("c:\\windows\\system32\\CREDENTIALUIBROKER.EXE"))));
    EXPECT_TRUE(IsProtectedProgram(StringView(_T("LogonUI.exe"))));
    EXPECT_FALSE(IsProtectedProgram(StringView(_T("C:\\consent.exe\\notes.exe"))));
    EXPECT_FALSE(IsProtectedProgram(StringView(_T("C:\\Tools\\myconsent.exe"))));
    EXPECT_FALSE(IsProtectedProgram(StringView()));
}

} // namespace
