// CWinApp: the application object, its message loop and its registry profile.
#pragma once

#include "Handle.h"
#include "Wnd.h"
#include "framework/IniText.h"

#include <vector>

class CWinApp {
public:
    CWinApp();
    virtual ~CWinApp();
    CWinApp(const CWinApp&) = delete;
    CWinApp& operator=(const CWinApp&) = delete;

    virtual BOOL InitInstance();
    // The message loop; it ends when the main window is destroyed.
    virtual int Run();
    virtual int ExitInstance();

    // Profile under HKCU\Software\<key>\<application name>\<section>.
    void SetRegistryKey(const WCHAR* company);
    // The profile in the INI file at `path` instead, read once here; every write then saves
    // the whole file, unless `writable` is false: then values change in memory only.
    void SetProfileFile(const CString& path, bool writable);
    bool IsProfileFile() const { return !m_strProfileFile.IsEmpty(); }
    UINT GetProfileIntW(const WCHAR* section, const WCHAR* entry, int defaultValue) const;
    BOOL WriteProfileInt(const WCHAR* section, const WCHAR* entry, int value);
    // FALSE when the value is missing; otherwise its bytes.
    BOOL GetProfileBinary(const WCHAR* section, const WCHAR* entry, std::vector<BYTE>& data) const;
    BOOL WriteProfileBinary(const WCHAR* section, const WCHAR* entry, const BYTE* data, UINT size);

    void BeginWaitCursor();
    void EndWaitCursor();

    HINSTANCE m_hInstance = nullptr;
    CWnd* m_pMainWnd = nullptr;
    int m_nCmdShow = SW_SHOWNORMAL;
    CString m_strAppName;
    CString m_strRegistryKey;
    DWORD m_dwRestartManagerSupportFlags = 0;

private:
    CRegKey OpenSectionKey(const WCHAR* section, bool create) const;
    void SaveProfileFile() const;

    CString m_strProfileFile;
    bool m_bProfileFileWritable = false;
    CIniText m_iniProfile;

    int m_nWaitCursor = 0;
    HCURSOR m_hcurWaitRestore = nullptr;
};

#define AFX_RESTART_MANAGER_SUPPORT_RESTART 0x01

CWinApp* AfxGetApp();

// The boundary of every system callback (window, dialog, hook, timer and enumeration
// procedures): nothing escapes into the system's frame, and no box is shown inside the
// callback. An error caught there is recorded and reported once (the same words are never
// said twice), after the callback, from the message loop. False when the work failed.
template <class F> bool AfxCallbackBoundary(F&& work) noexcept;
// Records the exception being handled, from inside a catch block.
void AfxRecordCurrentError() noexcept;
// Records an error's words for the loop to report; they are cut at 255 units.
void AfxRecordCallbackError(const WCHAR* text) noexcept;
// Shows the errors recorded and not yet shown. The main window's dialog procedure and the
// application's loop call it when the recording's message arrives.
void AfxReportCallbackErrors();
// The message that a recording posts to the main window, or to the thread without one.
UINT AfxCallbackErrorMessage();

template <class F> bool AfxCallbackBoundary(F&& work) noexcept {
    try {
        work();
        return true;
    } catch (...) {
        AfxRecordCurrentError();
        return false;
    }
}
// Message box captioned with the application title, owned by the active main window.
int AfxMessageBox(const WCHAR* text, UINT type = MB_OK);
BOOL AfxOleInit();
void AfxEnableControlContainer();

// Keeps the wait cursor on for its scope, exceptions included.
class CWaitCursor {
public:
    CWaitCursor() { AfxGetApp()->BeginWaitCursor(); }
    ~CWaitCursor() { AfxGetApp()->EndWaitCursor(); }
    CWaitCursor(const CWaitCursor&) = delete;
    CWaitCursor& operator=(const CWaitCursor&) = delete;
};
