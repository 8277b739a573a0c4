#include "Dialog.h"

#include "App.h"
#include "framework/Parse.h"

#include <stdexcept>
#include <utility>

namespace {

// Messages whose result a dialog procedure returns directly instead of through DWLP_MSGRESULT.
bool ReturnsDirectly(UINT msg) {
    switch (msg) {
    case WM_INITDIALOG:
    case WM_QUERYDRAGICON:
    case WM_CTLCOLORMSGBOX:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORDLG:
    case WM_CTLCOLORSCROLLBAR:
    case WM_CTLCOLORSTATIC:
    case WM_COMPAREITEM:
    case WM_VKEYTOITEM:
    case WM_CHARTOITEM:
        return true;
    default:
        return false;
    }
}

} // namespace

HWND CDataExchange::PrepareCtrl(int id) {
    HWND h = ::GetDlgItem(m_pDlgWnd->m_hWnd, id);
    if (h == nullptr)
        throw std::logic_error("dialog data exchange names a control the template lacks");
    m_hLastCtrl = h;
    return h;
}

void CDataExchange::Fail() {
    if (m_hLastCtrl != nullptr) {
        ::SetFocus(m_hLastCtrl);
        ::SendMessageW(m_hLastCtrl, EM_SETSEL, 0, -1);
    }
    throw CUserException();
}

void DDX_Control(CDataExchange* pDX, int id, CWnd& control) {
    if (control.m_hWnd == nullptr)
        control.m_hWnd = pDX->PrepareCtrl(id);
}

void DDX_Check(CDataExchange* pDX, int id, BOOL& value) {
    HWND h = pDX->PrepareCtrl(id);
    if (pDX->m_bSaveAndValidate)
        value = ::SendMessageW(h, BM_GETCHECK, 0, 0) == BST_CHECKED ? 1 : 0;
    else
        ::SendMessageW(h, BM_SETCHECK, value ? BST_CHECKED : BST_UNCHECKED, 0);
}

void DDX_Text(CDataExchange* pDX, int id, CString& value) {
    CWnd ctrl;
    ctrl.m_hWnd = pDX->PrepareCtrl(id);
    if (pDX->m_bSaveAndValidate)
        value = ctrl.GetWindowText();
    else
        ctrl.SetWindowText(value);
}

void DDX_Text(CDataExchange* pDX, int id, int& value) {
    CWnd ctrl;
    ctrl.m_hWnd = pDX->PrepareCtrl(id);
    if (!pDX->m_bSaveAndValidate) {
        CString text;
        text.Format(L"%d", value);
        ctrl.SetWindowText(text);
        return;
    }
    int parsed = 0;
    if (!ParseInt32(ctrl.GetWindowText().View(), parsed)) {
        pDX->m_pDlgWnd->MessageBox(L"Please enter a whole number from -2147483648 to 2147483647.",
                                   nullptr, MB_OK | MB_ICONEXCLAMATION);
        pDX->Fail();
    }
    value = parsed;
}

CDialog::~CDialog() {
    if (m_hWnd != nullptr && !m_bModal)
        ::DestroyWindow(m_hWnd);
}

BOOL CDialog::Create(UINT templateId, CWnd* parent) {
    m_nIDTemplate = templateId;
    m_pParent = parent;
    m_bModal = false;
    HWND h = ::CreateDialogParamW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(templateId),
                                  parent ? parent->m_hWnd : nullptr, DialogProc,
                                  reinterpret_cast<LPARAM>(this));
    return h != nullptr ? TRUE : FALSE;
}

INT_PTR CDialog::DoModal() {
    m_bModal = true;
    // Without a parent the main window owns it, so that it stays in front and the main window
    // is disabled while it runs.
    HWND owner = m_pParent ? m_pParent->m_hWnd : nullptr;
    if (owner == nullptr && AfxGetApp() != nullptr && AfxGetApp()->m_pMainWnd != nullptr)
        owner = AfxGetApp()->m_pMainWnd->m_hWnd;
    INT_PTR r = ::DialogBoxParamW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(m_nIDTemplate),
                                  owner, DialogProc, reinterpret_cast<LPARAM>(this));
    m_hWnd = nullptr;
    return r;
}

void CDialog::EndDialog(int result) {
    ::EndDialog(m_hWnd, result);
}

BOOL CDialog::UpdateData(BOOL save) {
    CDataExchange dx(this, save);
    try {
        DoDataExchange(&dx);
    } catch (const CUserException&) {
        return FALSE;
    }
    return TRUE;
}

BOOL CDialog::OnInitDialog() {
    UpdateData(FALSE);
    InitLayout();
    return TRUE;
}

void CDialog::OnOK() {
    if (!UpdateData(TRUE))
        return;
    EndDialog(IDOK);
}

void CDialog::OnCancel() {
    // A modeless dialog is only hidden; it lives on.
    if (m_bModal)
        EndDialog(IDCANCEL);
    else
        ShowWindow(SW_HIDE);
}

bool CDialog::OnWndMsg(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) {
    switch (msg) {
    case WM_INITDIALOG:
        result = OnInitDialog();
        return true;
    case WM_COMMAND:
        if (lp == 0 || HIWORD(wp) == BN_CLICKED) {
            if (LOWORD(wp) == IDOK) {
                OnOK();
                return true;
            }
            if (LOWORD(wp) == IDCANCEL) {
                OnCancel();
                return true;
            }
        }
        return false;
    case WM_SIZE:
        if (wp != SIZE_MINIMIZED)
            ApplyLayout();
        return false;
    case WM_NCDESTROY:
        if (AfxGetApp() != nullptr && AfxGetApp()->m_pMainWnd == this)
            ::PostQuitMessage(0);
        m_hWnd = nullptr;
        return false;
    default:
        if (msg == AfxCallbackErrorMessage()) {
            AfxReportCallbackErrors();
            return true;
        }
        return false;
    }
}

INT_PTR CALLBACK CDialog::DialogProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    CDialog* self = nullptr;
    if (msg == WM_INITDIALOG) {
        self = reinterpret_cast<CDialog*>(lp);
        self->m_hWnd = hwnd;
        ::SetWindowLongPtrW(hwnd, DWLP_USER, reinterpret_cast<LONG_PTR>(self));
    } else {
        self = reinterpret_cast<CDialog*>(::GetWindowLongPtrW(hwnd, DWLP_USER));
    }
    if (self == nullptr)
        return FALSE;
    if (msg == WM_NCDESTROY)
        ::SetWindowLongPtrW(hwnd, DWLP_USER, 0);

    LRESULT result = 0;
    bool handled = false;
    // Handlers can send messages to this dialog: keep the outer message's request.
    const bool outerDefault = std::exchange(self->m_bDefault, false);
    if (!AfxCallbackBoundary([&] { handled = self->OnWndMsg(msg, wp, lp, result); }))
        handled = true;
    const bool wantsDefault = std::exchange(self->m_bDefault, outerDefault);
    if (!handled || wantsDefault)
        return FALSE;
    if (ReturnsDirectly(msg))
        return static_cast<INT_PTR>(result);
    ::SetWindowLongPtrW(hwnd, DWLP_MSGRESULT, result);
    return TRUE;
}

void CDialog::InitLayout() {
    m_layout.clear();
    HRSRC res = ::FindResourceW(nullptr, MAKEINTRESOURCEW(m_nIDTemplate), L"AFX_DIALOG_LAYOUT");
    if (res == nullptr)
        return;
    HGLOBAL data = ::LoadResource(nullptr, res);
    const WORD* words = data ? static_cast<const WORD*>(::LockResource(data)) : nullptr;
    DWORD count = ::SizeofResource(nullptr, res) / sizeof(WORD);
    if (words == nullptr || count < 1 || words[0] != 0)
        return;
    RECT client;
    ::GetClientRect(m_hWnd, &client);
    m_initialClient = {client.right, client.bottom};
    DWORD next = 1;
    for (HWND child = ::GetWindow(m_hWnd, GW_CHILD); child != nullptr && next + 4 <= count;
         child = ::GetWindow(child, GW_HWNDNEXT), next += 4) {
        LayoutItem item;
        item.hwnd = child;
        item.anchor = {words[next], words[next + 1], words[next + 2], words[next + 3]};
        ::GetWindowRect(child, &item.initial);
        ::MapWindowPoints(nullptr, m_hWnd, reinterpret_cast<POINT*>(&item.initial), 2);
        m_layout.push_back(item);
    }
}

void CDialog::ApplyLayout() {
    if (m_layout.empty())
        return;
    RECT client;
    ::GetClientRect(m_hWnd, &client);
    const int dx = client.right - m_initialClient.cx;
    const int dy = client.bottom - m_initialClient.cy;
    HDWP dwp = ::BeginDeferWindowPos(static_cast<int>(m_layout.size()));
    for (const LayoutItem& item : m_layout) {
        const CLayoutAnchor& a = item.anchor;
        if (a.moveX == 0 && a.moveY == 0 && a.sizeX == 0 && a.sizeY == 0)
            continue;
        RECT rc = LayoutRect(item.initial, a, dx, dy);
        if (dwp != nullptr)
            dwp = ::DeferWindowPos(dwp, item.hwnd, nullptr, rc.left, rc.top, rc.right - rc.left,
                                   rc.bottom - rc.top, SWP_NOZORDER | SWP_NOACTIVATE);
    }
    if (dwp != nullptr)
        ::EndDeferWindowPos(dwp);
    ::InvalidateRect(m_hWnd, nullptr, TRUE);
}
