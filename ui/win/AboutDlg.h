// CAboutDlg: the About box, opened from the system menu.
#pragma once

#include "framework/win/Dialog.h"
#include "res/resource.h"

class CAboutDlg : public CDialog {
public:
    CAboutDlg() : CDialog(IDD_ABOUTBOX) {}
};
