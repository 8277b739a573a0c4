// The program's entry point: the application object's start-up and its message loop.
#include "framework/win/App.h"
#include "res/resource.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, LPWSTR, int nCmdShow) {
    CWinApp* app = AfxGetApp();
    if (app == nullptr)
        return 1;
    app->m_hInstance = instance;
    app->m_nCmdShow = nCmdShow;
    if (app->m_strAppName.IsEmpty())
        app->m_strAppName.LoadString(AFX_IDS_APP_TITLE);
    if (!app->InitInstance())
        return app->ExitInstance();
    return app->Run();
}
