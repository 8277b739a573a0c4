// CQuellixApp: the application object; it owns the main dialog.
#pragma once

#include "framework/win/App.h"
#include "ui/win/QuellixDlg.h"
#include "SingleInstance.h"

#include <memory>

class CQuellixApp : public CWinApp {
public:
    CQuellixApp();
    BOOL InitInstance() override;

    CQuellixDlg m_dlgMain;
    // Held from the start to the end of the run: while it lives, no other copy starts.
    std::unique_ptr<CSingleInstance> m_instance;
};

extern CQuellixApp theApp;
