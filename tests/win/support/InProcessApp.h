// The application object of a test program that creates the real dialogs in its own process:
// the program's title and profile key, as Quellix.exe has them.
#pragma once

#include "framework/win/App.h"

class CInProcessTestApp : public CWinApp {
public:
    explicit CInProcessTestApp(const wchar_t* registryKey = L"Velmora") {
        m_strAppName = L"Quellix by Velmora";
        m_hInstance = ::GetModuleHandleW(nullptr);
        SetRegistryKey(registryKey);
    }
};
