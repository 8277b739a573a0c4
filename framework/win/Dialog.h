// CDialog: modal and modeless dialogs from .rc templates, with data exchange and a
// dynamic layout read from the template's layout resource.
#pragma once

#include "framework/Exception.h"
#include "framework/LayoutMath.h"
#include "Wnd.h"

#include <vector>

class CDialog;

// Thrown by a data exchange that refused a value; UpdateData turns it into FALSE.
struct CUserException {};

class CDataExchange {
public:
    CDataExchange(CDialog* dlg, BOOL save) : m_pDlgWnd(dlg), m_bSaveAndValidate(save) {}
    // The control's window; throws when the template has no such control.
    HWND PrepareCtrl(int id);
    // Puts the focus on the last prepared control and refuses the exchange.
    [[noreturn]] void Fail();

    CDialog* m_pDlgWnd;
    BOOL m_bSaveAndValidate;

private:
    HWND m_hLastCtrl = nullptr;
};

void DDX_Control(CDataExchange* pDX, int id, CWnd& control);
void DDX_Check(CDataExchange* pDX, int id, BOOL& value);
void DDX_Text(CDataExchange* pDX, int id, CString& value);
// A whole number in the 32-bit signed range; anything else is refused with a prompt.
void DDX_Text(CDataExchange* pDX, int id, int& value);

class CDialog : public CWnd {
public:
    CDialog(UINT templateId, CWnd* parent = nullptr)
        : m_nIDTemplate(templateId), m_pParent(parent) {}
    ~CDialog() override;

    // Modeless: creates the window from the template; TRUE on success.
    BOOL Create(UINT templateId, CWnd* parent = nullptr);
    // Modeless, from the template and parent given at construction.
    BOOL Create() { return Create(m_nIDTemplate, m_pParent); }
    // Modal: runs the dialog and returns its end code.
    INT_PTR DoModal();
    void EndDialog(int result);

    BOOL UpdateData(BOOL save = TRUE);

    virtual BOOL OnInitDialog();
    virtual void OnOK();
    virtual void OnCancel();
    virtual void DoDataExchange(CDataExchange*) {}

    // Handles one message; false lets the dialog manager's default processing run.
    virtual bool OnWndMsg(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result);
    // Lets the default processing run for the message being handled.
    void Default() { m_bDefault = true; }

protected:
    void OnDestroy() {}

private:
    static INT_PTR CALLBACK DialogProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
    void InitLayout();
    void ApplyLayout();

    struct LayoutItem {
        HWND hwnd;
        RECT initial;
        CLayoutAnchor anchor;
    };

    UINT m_nIDTemplate;
    CWnd* m_pParent;
    bool m_bModal = false;
    bool m_bDefault = false;
    SIZE m_initialClient = {0, 0};
    std::vector<LayoutItem> m_layout;
};
