// The Help pages, opened in the default browser.
#include "QuellixDlg.h"

#include <shellapi.h>

namespace {

const wchar_t kTutorialPage[] = L"https://www.velmora.example/quellix/tutorial/";
const wchar_t kOtherSoftwarePage[] = L"https://www.velmora.example/automation/";
const wchar_t kSupportPage[] = L"https://www.velmora.example/support/";
const wchar_t kKorvantSite[] = L"https://www.korvant.example/";

void OpenPage(const wchar_t* address) {
    ::ShellExecuteW(nullptr, nullptr, address, nullptr, nullptr, SW_SHOWMAXIMIZED);
}

} // namespace

BOOL CQuellixDlg::OnHelpInfo(HELPINFO*) {
    OpenPage(kTutorialPage);
    return TRUE;
}

void CQuellixDlg::OnHelpTutorial() {
    OpenPage(kTutorialPage);
}

void CQuellixDlg::OnHelpOtherSoftware() {
    OpenPage(kOtherSoftwarePage);
}

void CQuellixDlg::OnHelpContactSupport() {
    OpenPage(kSupportPage);
}

void CQuellixDlg::OnHelpKorvantSoftware() {
    OpenPage(kKorvantSite);
}
