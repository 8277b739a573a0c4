// The Help pages, opened in the default browser.
#include "QuellixDlg.h"

#include "framework/win/App.h"

#include <exdisp.h>
#include <shldisp.h>
#include <shlguid.h>
#include <shlobj.h>
#include <shellapi.h>

#include <utility>

namespace {

const wchar_t kTutorialPage[] = L"https://www.velmora.example/quellix/tutorial/";
const wchar_t kOtherSoftwarePage[] = L"https://www.velmora.example/automation/";
const wchar_t kSupportPage[] = L"https://www.velmora.example/support/";
const wchar_t kKorvantSite[] = L"https://www.korvant.example/";

// One reference to a COM object, released by its destructor.
template <class T> class CComRef {
public:
    CComRef() = default;
    ~CComRef() {
        if (m_p != nullptr)
            m_p->Release();
    }
    CComRef(const CComRef&) = delete;
    CComRef& operator=(const CComRef&) = delete;
    T* operator->() const { return m_p; }
    T* Get() const { return m_p; }
    T** Put() { return &m_p; }
    void** PutVoid() { return reinterpret_cast<void**>(&m_p); }

private:
    T* m_p = nullptr;
};

// A BSTR and a VARIANT, freed by their destructors.
struct CBstr {
    BSTR value;
    explicit CBstr(const wchar_t* text) : value(::SysAllocString(text)) {}
    ~CBstr() { ::SysFreeString(value); }
    CBstr(const CBstr&) = delete;
    CBstr& operator=(const CBstr&) = delete;
};

struct CVariant {
    VARIANT value;
    CVariant() { ::VariantInit(&value); }
    ~CVariant() { ::VariantClear(&value); }
    CVariant(const CVariant&) = delete;
    CVariant& operator=(const CVariant&) = delete;
};

// Whether this process runs with more rights than the user's shell: with UI access (the
// signed build) or elevated. A browser started from here would inherit them.
bool RunsAboveTheShell() {
    HANDLE raw = nullptr;
    if (!::OpenProcessToken(::GetCurrentProcess(), TOKEN_QUERY, &raw))
        return true; // unknown: take the safe way
    const CKernelHandle token(raw);
    DWORD uiAccess = 0, size = 0;
    if (::GetTokenInformation(token.Get(), TokenUIAccess, &uiAccess, sizeof(uiAccess), &size) &&
        uiAccess != 0)
        return true;
    TOKEN_ELEVATION elevation{};
    return ::GetTokenInformation(token.Get(), TokenElevation, &elevation, sizeof(elevation),
                                 &size) &&
           elevation.TokenIsElevated != 0;
}

// Asks the desktop's shell process to open the address, so that the browser runs with the
// shell's rights, not ours: the shell view of the desktop window hands out the shell's
// IShellDispatch2.
HRESULT OpenThroughShell(const wchar_t* address) {
    CComRef<IShellWindows> windows;
    HRESULT hr = ::CoCreateInstance(CLSID_ShellWindows, nullptr, CLSCTX_LOCAL_SERVER,
                                    IID_IShellWindows, windows.PutVoid());
    if (FAILED(hr))
        return hr;
    CVariant location, root;
    location.value.vt = VT_I4;
    location.value.lVal = CSIDL_DESKTOP;
    LONG hwnd = 0;
    CComRef<IDispatch> desktop;
    hr = windows->FindWindowSW(&location.value, &root.value, SWC_DESKTOP, &hwnd, SWFO_NEEDDISPATCH,
                               desktop.Put());
    if (hr != S_OK || desktop.Get() == nullptr)
        return FAILED(hr) ? hr : E_FAIL;
    CComRef<IServiceProvider> services;
    if (FAILED(hr = desktop->QueryInterface(IID_IServiceProvider, services.PutVoid())))
        return hr;
    CComRef<IShellBrowser> browser;
    if (FAILED(hr = services->QueryService(SID_STopLevelBrowser, IID_IShellBrowser,
                                           browser.PutVoid())))
        return hr;
    CComRef<IShellView> view;
    if (FAILED(hr = browser->QueryActiveShellView(view.Put())))
        return hr;
    CComRef<IDispatch> background;
    if (FAILED(hr = view->GetItemObject(SVGIO_BACKGROUND, IID_IDispatch, background.PutVoid())))
        return hr;
    CComRef<IShellFolderViewDual> folderView;
    if (FAILED(hr = background->QueryInterface(IID_IShellFolderViewDual, folderView.PutVoid())))
        return hr;
    CComRef<IDispatch> application;
    if (FAILED(hr = folderView->get_Application(application.Put())))
        return hr;
    CComRef<IShellDispatch2> shell;
    if (FAILED(hr = application->QueryInterface(IID_IShellDispatch2, shell.PutVoid())))
        return hr;
    CBstr file(address);
    if (file.value == nullptr)
        return E_OUTOFMEMORY;
    CVariant arguments, directory, operation, show;
    show.value.vt = VT_I4;
    show.value.lVal = SW_SHOWMAXIMIZED;
// shellapi.h's ShellExecute macro would rename the interface's method.
#pragma push_macro("ShellExecute")
#undef ShellExecute
    return shell->ShellExecute(file.value, arguments.value, directory.value, operation.value,
                               show.value);
#pragma pop_macro("ShellExecute")
}

void OpenPage(const wchar_t* address) {
    if (!RunsAboveTheShell()) {
        ::ShellExecuteW(nullptr, nullptr, address, nullptr, nullptr, SW_SHOWMAXIMIZED);
        return;
    }
    // Never the raised launch: without the shell the page is not opened, and the user is told.
    if (FAILED(OpenThroughShell(address))) {
        CString text;
        text.Format(L"The page %s could not be opened: the Windows shell (Explorer) did not "
                    L"answer. Open it in your browser yourself.",
                    address);
        AfxMessageBox(text, MB_OK | MB_ICONEXCLAMATION);
    }
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
