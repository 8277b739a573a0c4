#include "QuellixDlg.h"

#include "ui/win/AboutDlg.h"
#include "ui/Placement.h"
#include "ui/win/SettingsStore.h"
#include "framework/win/App.h"
#include "framework/win/MessageMap.h"
#include "res/resource.h"
#include "rules/WindowInfo.h"

CQuellixDlg* g_pMainDlg = nullptr;
UINT g_uTaskbarCreatedMsg = 0;

CQuellixDlg::CQuellixDlg(CWnd* parent) : CDialog(IDD_QUELLIX_DIALOG, parent) {}

CQuellixDlg::~CQuellixDlg() = default;

bool CQuellixDlg::OnWndMsg(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) {
    using M = CMessageMap<CQuellixDlg>;
    static const M::Entry messageMap[] = {
        M::SysCommand<&CQuellixDlg::OnSysCommand>(),
        M::Message<&CQuellixDlg::OnPaint>(WM_PAINT),
        M::QueryDragIcon<&CQuellixDlg::OnQueryDragIcon>(),
        M::Message<&CQuellixDlg::OnDestroy>(WM_DESTROY),
        M::Command<&CQuellixDlg::RefreshWindowList>(IDC_REFRESH),
        M::Command<&CQuellixDlg::OnHideZeroDimensionsClicked>(IDC_HIDE_ZERO_DIMENSIONS),
        M::Command<&CQuellixDlg::OnHideDisabledClicked>(IDC_HIDE_DISABLED),
        M::Command<&CQuellixDlg::OnHideHiddenClicked>(IDC_HIDE_HIDDEN),
        M::ContextMenu<&CQuellixDlg::OnContextMenu>(),
        M::Command<&CQuellixDlg::OnExit>(ID_POPUP_EXIT),
        M::Command<&CQuellixDlg::OnDisplayIconClicked>(IDC_DISPLAY_ICON),
        M::Command<&CQuellixDlg::OnMenuButton>(IDC_MENU_BUTTON),
        M::Command<&CQuellixDlg::OnRefreshListCommand>(ID_POPUP_REFRESH),
        M::Command<&CQuellixDlg::OnCloseSelectedWindow>(ID_POPUP_CLOSE_SELECTED),
        M::GetMinMaxInfo<&CQuellixDlg::OnGetMinMaxInfo>(),
        M::Command<&CQuellixDlg::OnAutoCloseSelectedWindow>(ID_POPUP_AUTOCLOSE_SELECTED),
        M::Command<&CQuellixDlg::OnBnClickedAutoCloseSelected>(IDC_AUTOCLOSE_SELECTED),
        M::Command<&CQuellixDlg::OnBnClickedDeleteRecord>(IDC_DELETE_RECORD),
        M::HelpInfo<&CQuellixDlg::OnHelpInfo>(),
        M::Command<&CQuellixDlg::OnBnClickedEdit>(IDC_EDIT_RECORD),
        M::Notify<&CQuellixDlg::OnNMDblclkRuleList>(NM_DBLCLK, IDC_LIST_RULES),
        M::Notify<&CQuellixDlg::OnNMDblclkWindowList>(NM_DBLCLK, IDC_LIST_WINDOWS),
        M::Notify<&CQuellixDlg::OnGetWindowListDispInfo>(LVN_GETDISPINFOW, IDC_LIST_WINDOWS),
        M::Command<&CQuellixDlg::OnHelpButton>(IDC_HELP_BUTTON),
        M::Command<&CQuellixDlg::OnHelpTutorial>(ID_HELP_TUTORIAL),
        M::Command<&CQuellixDlg::OnHelpOtherSoftware>(ID_HELP_OTHER_SOFTWARE),
        M::Command<&CQuellixDlg::OnHelpContactSupport>(ID_HELP_CONTACT_SUPPORT),
        M::Command<&CQuellixDlg::OnHideToTray>(ID_POPUP_HIDE_TO_TRAY),
        M::Command<&CQuellixDlg::OnConfigure>(ID_TRAY_CONFIGURE),
        M::Raw<&CQuellixDlg::OnTrayNotify>(kTrayCallbackMsg),
        M::Registered<&CQuellixDlg::OnTaskbarCreated>(&g_uTaskbarCreatedMsg),
        M::Command<&CQuellixDlg::OnExit>(ID_TRAY_EXIT),
        M::Timer<&CQuellixDlg::OnTimer>(),
        M::Command<&CQuellixDlg::OnHideWithoutCaptionClicked>(IDC_HIDE_WITHOUT_CAPTION),
        M::Command<&CQuellixDlg::OnHelpKorvantSoftware>(ID_HELP_KORVANT_SOFTWARE),
        M::Command<&CQuellixDlg::OnStartInSystemTrayClicked>(IDC_START_IN_TRAY),
        M::Message<&CQuellixDlg::OnClose>(WM_CLOSE),
        M::Command<&CQuellixDlg::OnHideToTray>(ID_TRAY_HIDE_TO_TRAY),
        M::Command<&CQuellixDlg::OnHideToTray>(IDC_HIDE_BUTTON),
        M::Command<&CQuellixDlg::OnRememberLayoutClicked>(IDC_REMEMBER_LAYOUT),
        M::Notify<&CQuellixDlg::OnGetRuleCell>(LVN_GETDISPINFOW, IDC_LIST_RULES),
        M::Notify<&CQuellixDlg::OnRuleListCustomDraw>(NM_CUSTOMDRAW, IDC_LIST_RULES),
        M::Command<&CQuellixDlg::OnBnClickedEdit>(ID_RULE_EDIT),
        M::Command<&CQuellixDlg::OnToggleRule>(ID_RULE_TOGGLE),
        M::Command<&CQuellixDlg::OnBnClickedDeleteRecord>(ID_RULE_DELETE),
        M::Raw<&CQuellixDlg::OnQueryEndSession>(WM_QUERYENDSESSION),
        M::Raw<&CQuellixDlg::OnEndSession>(WM_ENDSESSION),
        M::Command<&CQuellixDlg::OnApplyRules>(ID_POPUP_APPLY_RULES),
        M::Command<&CQuellixDlg::OnShowHistory>(ID_POPUP_HISTORY),
        M::Command<&CQuellixDlg::OnTogglePause>(ID_POPUP_PAUSE),
        M::Notify<&CQuellixDlg::OnRuleListKey>(LVN_KEYDOWN, IDC_LIST_RULES),
        M::Notify<&CQuellixDlg::OnWindowListKey>(LVN_KEYDOWN, IDC_LIST_WINDOWS),
    };
    return M::Dispatch(messageMap, *this, msg, wp, lp, result) ||
           OnPolicyMsg(msg, wp, lp, result) ||
           CDialog::OnWndMsg(msg, wp, lp, result);
}

void CQuellixDlg::DoDataExchange(CDataExchange* pDX) {
    DDX_Control(pDX, IDC_LIST_WINDOWS, m_listWindows);
    DDX_Check(pDX, IDC_HIDE_ZERO_DIMENSIONS, m_bHideWindowWithZeroDimensions);
    DDX_Check(pDX, IDC_HIDE_DISABLED, m_bHideDisabledWindows);
    DDX_Check(pDX, IDC_HIDE_HIDDEN, m_bHideHiddenWindows);
    DDX_Check(pDX, IDC_DISPLAY_ICON, m_bDisplayWindowIcon);
    DDX_Control(pDX, IDC_LIST_RULES, m_listRules);
    DDX_Control(pDX, IDC_STATUS, m_editStatus);
    DDX_Check(pDX, IDC_HIDE_WITHOUT_CAPTION, m_bHideWindowsWithoutCaption);
    DDX_Check(pDX, IDC_START_IN_TRAY, m_bStartInSystemTray);
    DDX_Check(pDX, IDC_REMEMBER_LAYOUT, m_bRememberLayout);
}

BOOL CQuellixDlg::OnInitDialog() {
    g_uTaskbarCreatedMsg = ::RegisterWindowMessageW(L"TaskbarCreated");

    // Before the base call, so that its data exchange shows them.
    m_bHideWindowWithZeroDimensions = ReadSetting(Settings::HideWindowWithZeroDimensions);
    m_bHideDisabledWindows = ReadSetting(Settings::HideDisabledWindows);
    m_bHideHiddenWindows = ReadSetting(Settings::HideHiddenWindows);
    m_bDisplayWindowIcon = ReadSetting(Settings::DisplayWindowIcon);
    m_bHideWindowsWithoutCaption = ReadSetting(Settings::HideWindowsWithoutCaption);
    m_bStartInSystemTray = ReadSetting(Settings::StartInSystemTray);
    m_bRememberLayout = ReadSetting(Settings::RememberLayout);

    CDialog::OnInitDialog();

    m_hIcon = ::LoadIconW(AfxGetApp()->m_hInstance, MAKEINTRESOURCEW(IDR_MAINFRAME));
    SetWindowText(AfxGetApp()->m_strAppName);
    ::GetWindowRect(m_hWnd, &m_rcInitialWindow);

    if (HMENU sysMenu = ::GetSystemMenu(m_hWnd, FALSE)) {
        CString about;
        about.LoadString(IDS_ABOUTBOX);
        if (!about.IsEmpty()) {
            ::AppendMenuW(sysMenu, MF_SEPARATOR, 0, nullptr);
            ::AppendMenuW(sysMenu, MF_STRING, IDM_ABOUTBOX, about);
        }
    }
    SetIcon(m_hIcon, TRUE);
    SetIcon(m_hIcon, FALSE);

    SetupWindowListColumns();
    SetupRuleListColumns();
    RefreshWindowList();

    m_menuPopup.LoadMenu(IDR_POPUP);
    ::SetMenuDefaultItem(m_menuPopup.GetSubMenu(0), ID_POPUP_AUTOCLOSE_SELECTED, FALSE);
    m_menuHelp.LoadMenu(IDR_HELP);

    RestorePlacement();
    m_policies = ReadPolicies();
    SerializeRuleFile();
    m_watcher.Install(m_hWnd);
    InitHistory();
    RestorePause();
    SetupTray();
    return TRUE;
}

void CQuellixDlg::RestorePlacement() {
    if (m_bRememberLayout != 1)
        return;
    std::vector<BYTE> bytes;
    WINDOWPLACEMENT wp;
    if (!AfxGetApp()->GetProfileBinary(Settings::kSection, Settings::kLastLocation, bytes) ||
        !DecodePlacement(bytes.data(), bytes.size(), wp))
        return;
    if (m_bStartInSystemTray == 1)
        wp.showCmd = SW_HIDE;
    ::SetWindowPlacement(m_hWnd, &wp);
}

void CQuellixDlg::SavePlacement() {
    if (m_bRememberLayout != 1 || IsIconic())
        return;
    WINDOWPLACEMENT wp{};
    wp.length = sizeof(wp);
    if (!::GetWindowPlacement(m_hWnd, &wp))
        return;
    auto bytes = EncodePlacement(wp);
    AfxGetApp()->WriteProfileBinary(Settings::kSection, Settings::kLastLocation, bytes.data(),
                                    static_cast<UINT>(bytes.size()));
}

void CQuellixDlg::SaveState(bool report) {
    SavePlacement();
    if (m_listWindows.m_hWnd != nullptr && ::IsWindow(m_listWindows.m_hWnd))
        SaveColumnWidths(m_listWindows, Settings::kWindowListNumber);
    if (m_listRules.m_hWnd != nullptr && ::IsWindow(m_listRules.m_hWnd))
        SaveColumnWidths(m_listRules, Settings::kRuleListNumber);
    SaveRules(report);
}

void CQuellixDlg::OnDestroy() {
    m_watcher.Remove();
    EndHistory();
    if (!m_bEndedBySystem)
        SaveState(true);
    ClearRecordList();
    ReleaseWindowIcons();
    if (m_listRules.m_hWnd != nullptr)
        m_listRules.SetItemCountEx(0);
    m_rules.Clear();
    RemoveTrayIcon();
    CDialog::OnDestroy();
}

void CQuellixDlg::ShowForegroundReport(const CString& report) {
    m_editStatus.SetWindowText(report);
}

LRESULT CQuellixDlg::OnQueryEndSession(WPARAM, LPARAM) {
    return TRUE;
}

// The system may end the process at any moment after this returns: everything is on the disk
// by then, and no message box may hold the session up.
// With ENDSESSION_CLOSEAPP only this program is asked to go (an installer replacing it, the
// Restart Manager): it must end, or the files it holds need a reboot to be replaced.
LRESULT CQuellixDlg::OnEndSession(WPARAM ending, LPARAM flags) {
    if (ending) {
        SaveState(false);
        RemoveTrayIcon();
        if ((flags & ENDSESSION_CLOSEAPP) != 0) {
            m_bEndedBySystem = true;
            ::DestroyWindow(m_hWnd);
        }
    }
    return 0;
}

void CQuellixDlg::OnSysCommand(UINT id, LPARAM) {
    if ((id & 0xFFF0) == IDM_ABOUTBOX) {
        CAboutDlg about;
        about.DoModal();
        return;
    }
    Default();
}

void CQuellixDlg::OnPaint() {
    if (!IsIconic()) {
        Default();
        return;
    }
    PAINTSTRUCT ps;
    HDC dc = ::BeginPaint(m_hWnd, &ps);
    SendMessage(WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
    RECT rc;
    ::GetClientRect(m_hWnd, &rc);
    int x = (rc.right - rc.left - ::GetSystemMetrics(SM_CXICON) + 1) / 2;
    int y = (rc.bottom - rc.top - ::GetSystemMetrics(SM_CYICON) + 1) / 2;
    ::DrawIcon(dc, x, y, m_hIcon);
    ::EndPaint(m_hWnd, &ps);
}

HCURSOR CQuellixDlg::OnQueryDragIcon() {
    return static_cast<HCURSOR>(m_hIcon);
}

void CQuellixDlg::OnGetMinMaxInfo(MINMAXINFO* info) {
    info->ptMinTrackSize.x = m_rcInitialWindow.right - m_rcInitialWindow.left;
    info->ptMinTrackSize.y = m_rcInitialWindow.bottom - m_rcInitialWindow.top;
}

void CQuellixDlg::OnExit() {
    PostMessage(WM_CLOSE);
}

void CQuellixDlg::OnClose() {
    // Closing ends the program; only Hide and Esc keep it in the tray.
    ::DestroyWindow(m_hWnd);
}

void CQuellixDlg::OnTimer(UINT_PTR) {
    Default();
}

void CQuellixDlg::OnStartInSystemTrayClicked() {
    UpdateData(TRUE);
    WriteSetting(Settings::StartInSystemTray, m_bStartInSystemTray);
}

void CQuellixDlg::OnRememberLayoutClicked() {
    UpdateData(TRUE);
    WriteSetting(Settings::RememberLayout, m_bRememberLayout);
}
