// CQuellixDlg: the main dialog. Its members are implemented in the files of the subsystem
// they serve: the dialog, the window list, the tray, the rule list and its file. It hosts the
// rule set and the engine's watcher, which knows it only as the receiver of its reports.
#pragma once

#include "framework/win/Controls.h"
#include "framework/win/Dialog.h"
#include "engine/History.h"
#include "engine/win/Watcher.h"
#include "ui/win/HistoryDlg.h"
#include "framework/win/Handle.h"
#include "rules/RecordColumns.h"
#include "rules/RuleFile.h"
#include "rules/RuleSet.h"
#include "ui/Policies.h"

#include <map>
#include <memory>
#include <unordered_map>
#include <vector>

class CWindowInfo;
struct CIntSetting;

class CQuellixDlg : public CDialog,
                    private IForegroundReport,
                    private IActionLog,
                    private IEndQuestion {
public:
    explicit CQuellixDlg(CWnd* parent = nullptr);
    ~CQuellixDlg() override;

    // Window list (ui/win/WindowList.cpp)
    void SetupWindowListColumns();
    void RefreshWindowList();
    void AddWindowToList(HWND hwnd);
    static BOOL CALLBACK EnumWindowsCallback(HWND hwnd, LPARAM lParam);
    // Empties the window list and deletes its records (the rule list holds no records).
    void ClearRecordList();
    // The record that a window-list row shows, or null.
    CWindowInfo* GetListedWindow(int row);
    // Detaches the window list's image list and destroys it.
    void ReleaseWindowIcons();

    // Tray icon and showing (ui/win/TrayIcon.cpp)
    // Lets the shell's announcement through, loads the tray menu and adds the icon.
    void SetupTray();
    void AddTrayIcon();
    void ShowMainDialog();

    // Rule list (ui/win/RuleList.cpp): shows m_rules.
    void SetupRuleListColumns();
    // Adds the rule to the rule set and shows it; saving is the caller's.
    void AppendRuleRow(const CRule& rule);
    // Redraws the row of a rule whose values changed.
    void UpdateRuleRow(int row);
    // Gives the rule at `row` the values of `values`, and shows them.
    void ReplaceRuleRow(int row, const CRule& values);
    // Repaints the rule list: its numbers are drawn from the row, so nothing else changes.
    void RenumberRuleRows();
    // The rule at a row, or null.
    const CRule* GetRule(int row) const;
    const CRuleSet& Rules() const { return m_rules; }

    // Rule file (ui/win/RuleListFile.cpp)
    // Loads Data.dat at start, saying so when it was not read whole; saving is SaveRules.
    void SerializeRuleFile();
    // Saves the rule set to Data.dat; a failure is shown when `report` is set.
    bool SaveRules(bool report);
    // After a policy changed which rules there are: the rule set is loaded again.
    void ReloadRules();
    // The first rules of the set come from the organisation's rule file: Quellix neither
    // changes nor saves them.
    bool IsManagedRule(int row) const { return row >= 0 && row < m_nManagedRules; }

    // Policies (ui/win/Policies.cpp)
    // Puts policies in force that differ from those in force: Pause, and which rules load.
    void ApplyPolicies(const CPolicies& policies);
    const CPolicies& GetPolicies() const { return m_policies; }

    // The history of what the rules did (ui/win/ActionLog.cpp)
    // After the rules are loaded and the watcher installed.
    void InitHistory();
    // Closes the history window with the dialog.
    void EndHistory();
    void OnShowHistory();
    // Apply Rules (ui/win/ApplyRules.cpp): asks which open windows the rules match and closes
    // them after a confirmation.
    void OnApplyRules();
    // Pause (ui/win/Pause.cpp): the stored pause, the command, and its marks.
    void RestorePause();
    void OnTogglePause();
    // The pause check marks of both menus and the tray tip, as the watcher is.
    void ShowPauseState();
    // The text of the rule list's "Closed" column for a row (ui/win/RuleList.cpp).
    CString ClosedCellText(int row) const;
    const CHistory& History() const { return m_history; }

    CWatcher& Watcher() { return m_watcher; }
    CListCtrl& WindowList() { return m_listWindows; }
    CListCtrl& RuleList() { return m_listRules; }

protected:
    bool OnWndMsg(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;
    void DoDataExchange(CDataExchange* pDX) override;
    BOOL OnInitDialog() override;
    void OnOK() override;

    // Main dialog (ui/win/QuellixDlg.cpp)
    void OnSysCommand(UINT id, LPARAM lParam);
    void OnPaint();
    HCURSOR OnQueryDragIcon();
    void OnDestroy();
    void OnGetMinMaxInfo(MINMAXINFO* info);
    void OnExit();
    void OnClose();
    void OnTimer(UINT_PTR id);
    void OnStartInSystemTrayClicked();
    void OnRememberLayoutClicked();
    void SavePlacement();
    void RestorePlacement();
    // What the end of the program keeps: placement, column widths and the rules.
    void SaveState(bool report);
    LRESULT OnQueryEndSession(WPARAM wParam, LPARAM lParam);
    LRESULT OnEndSession(WPARAM wParam, LPARAM lParam);

    // Columns of both lists (ui/win/ListColumns.cpp): the record's nine, then the delay.
    void SetupListColumns(CListCtrl& list, int listNumber, int columnCount);
    // Column i with the width the user stored, or its default for the list's DPI.
    void InsertListColumn(CListCtrl& list, int listNumber, int i, const CListColumn& column,
                          int dpi);
    StringView ProgramOfListedWindow(int row);
    void SaveColumnWidths(CListCtrl& list, int listNumber);

    // Help links (ui/win/HelpLinks.cpp)
    BOOL OnHelpInfo(HELPINFO* info);
    void OnHelpTutorial();
    void OnHelpOtherSoftware();
    void OnHelpContactSupport();
    void OnHelpKorvantSoftware();

    // Window list (ui/win/WindowList.cpp)
    void OnListOptionClicked(const CIntSetting& setting, const BOOL& member);
    void OnHideZeroDimensionsClicked();
    void OnHideDisabledClicked();
    void OnHideHiddenClicked();
    void OnDisplayIconClicked();
    void OnHideWithoutCaptionClicked();
    void OnRefreshListCommand();
    void OnCloseSelectedWindow();
    // Whether the row's handle still names the window that the row shows.
    bool IsStillListedWindow(int row);
    void OnGetWindowListDispInfo(NMHDR* nmhdr, LRESULT* result);
    // The image of the window's icon, added on first use; I_IMAGENONE when it has none.
    int ImageOfWindow(HWND hwnd);

    // Tray icon and menus (ui/win/TrayIcon.cpp)
    void OnContextMenu(HWND hwnd, POINT point);
    void OnMenuButton();
    void OnHelpButton();
    void OnHideToTray();
    void OnConfigure();
    LRESULT OnTrayNotify(WPARAM wParam, LPARAM lParam);
    LRESULT OnTaskbarCreated(WPARAM wParam, LPARAM lParam);
    void RemoveTrayIcon();

    // Rule commands (ui/win/RuleList.cpp)
    void OnAutoCloseSelectedWindow();
    void OnBnClickedAutoCloseSelected();
    void OnBnClickedEdit();
    void OnBnClickedDeleteRecord();
    void OnNMDblclkRuleList(NMHDR* nmhdr, LRESULT* result);
    void OnNMDblclkWindowList(NMHDR* nmhdr, LRESULT* result);
    void OnGetRuleCell(NMHDR* nmhdr, LRESULT* result);
    // A disabled rule's row is drawn grey.
    void OnRuleListCustomDraw(NMHDR* nmhdr, LRESULT* result);
    // The rule list's own menu: Edit, Enable/Disable, Delete.
    void OnRuleListMenu(POINT point);
    void OnToggleRule();
    void ShowRuleCount();

    // Foreground watcher (ui/win/QuellixDlg.cpp): the status line shows its reports.
    void ShowForegroundReport(const CString& report) override;

    // Policies (ui/win/Policies.cpp)
    bool OnPolicyMsg(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result);
    LRESULT OnSettingChange(WPARAM wParam, LPARAM lParam);
    LRESULT OnReloadRules(WPARAM wParam, LPARAM lParam);
    LRESULT OnEnable(WPARAM wParam, LPARAM lParam);
    // True, after saying so, when the user may have no rules of their own.
    bool RefuseUserRules();
    // True, after saying so, when the rule at `row` is managed and cannot be `what`.
    bool RefuseManagedRule(int row, const WCHAR* what);
    // Loads the organisation's rule file named by the policy, if any, as the first rules; a
    // file that cannot be read completely is said once and left out.
    void LoadManagedRules();

    // The watcher's action log (ui/win/ActionLog.cpp)
    void LogAction(RuleId rule, CActionEntry entry) override;
    void ShowActions() override;
    // The box before a program that stopped answering is ended (ui/win/EndProgram.cpp).
    bool AskToEnd(const CProgramToEnd& program) override;
    // List keys (ui/win/ListKeys.cpp)
    void OnRuleListKey(NMHDR* nmhdr, LRESULT* result);
    void OnWindowListKey(NMHDR* nmhdr, LRESULT* result);

    CMenu m_menuTray;
    CMenu m_menuHelp;
    CString m_strColumnKey;
    RECT m_rcInitialWindow = {0, 0, 0, 0};
    CMenu m_menuPopup;
    CImageList m_imageList;
    std::map<HICON, int> m_iconImages; // the image of each icon in m_imageList
    // The window list's rows: the list view itself holds none (owner data).
    std::vector<std::unique_ptr<CWindowInfo>> m_windowRecords;
    std::vector<int> m_windowImages;                        // each row's image, once it was drawn
    std::vector<bool> m_windowProgramRead;                  // each row's program, once drawn
    std::unordered_map<DWORD, CString> m_programsByProcess; // this refresh's images by process
    CSnapshotReader m_windowTexts; // reads each listed window's caption and class
    // Each row's thread and process, read when the row was listed.
    std::vector<CWindowOwner> m_windowOwners;
    HICON m_hIcon = nullptr;
    CListCtrl m_listWindows;
    BOOL m_bHideWindowWithZeroDimensions = 0;
    BOOL m_bHideDisabledWindows = 0;
    BOOL m_bHideHiddenWindows = 0;
    BOOL m_bDisplayWindowIcon = 0;
    CListCtrl m_listRules;
    CEdit m_editStatus;
    BOOL m_bHideWindowsWithoutCaption = 0;
    BOOL m_bStartInSystemTray = 0;
    BOOL m_bRememberLayout = 0;
    // Set when the system ends the program: the state is saved then, and no message may show.
    bool m_bEndedBySystem = false;
    CPolicies m_policies;
    int m_nManagedRules = 0;
    bool m_bReloadPending = false;    // a policy changed the rules while a modal window was open
    CString m_strReportedManagedFile; // the managed file whose failure was said
    CRuleSet m_rules;
    CRuleFile m_ruleFile{CString()};
    CWatcher m_watcher{m_rules, *this};
    CHistory m_history;
    std::unique_ptr<CHistoryDlg> m_pHistoryDlg;
};

// The one main dialog; callbacks without context reach it through this pointer.
extern CQuellixDlg* g_pMainDlg;
// The tray icon's id, and the message that it sends the main dialog.
inline constexpr UINT kTrayIconId = 90;
inline constexpr UINT kTrayCallbackMsg = WM_USER + 1;
// Posted to itself when a policy changed which rules there are.
inline constexpr UINT kReloadRulesMsg = WM_APP + 1;
// The id of the shell's registered "TaskbarCreated" message.
extern UINT g_uTaskbarCreatedMsg;
// The policies under HKEY_LOCAL_MACHINE, as they are now.
CPolicies ReadPolicies();
