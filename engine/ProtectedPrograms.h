// The programs whose windows no rule presses or ends: what they show is the system asking the
// user for consent or credentials, which only the user may answer.
#pragma once

#include "framework/String.h"
#include "rules/TextMatch.h"

// The file name of a process image's full path.
inline StringView ImageFileName(StringView imagePath) {
    const size_t slash = imagePath.find_last_of(_T("\\/"));
    return slash == StringView::npos ? imagePath : imagePath.substr(slash + 1);
}

// True for the image of a program that asks for consent or credentials (any case).
inline bool IsProtectedProgram(StringView imagePath) {
    const StringView name = ImageFileName(imagePath);
    for (const WCHAR16* protectedName :
         {_T("consent.exe"), _T("CredentialUIBroker.exe"), _T("LogonUI.exe")})
        if (EqualNoCase(name, StringView(protectedName)))
            return true;
    return false;
}
