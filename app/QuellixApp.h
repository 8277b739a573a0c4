// CQuellixApp: the application object; it owns the main dialog.
#pragma once

#include "framework/win/App.h"
#include "ui/win/QuellixDlg.h"

class CQuellixApp : public CWinApp {
public:
    CQuellixApp();
    BOOL InitInstance() override;

    CQuellixDlg m_dlgMain;
};

extern CQuellixApp theApp;
