// The main dialog's part in when rules act: the history of what they did and its window, the
// rule list's "Closed" column, pausing every rule, closing the open windows that rules match,
// and the list keys (F5, Delete, Ctrl+C).
#include "QuellixDlg.h"

#include "engine/win/OpenWindows.h"
#include "framework/win/App.h"
#include "framework/win/MessageMap.h"
#include "res/resource.h"
#include "rules/RuleCells.h"
#include "ui/MatchText.h"
#include "ui/Policies.h"
#include "ui/win/HistoryDlg.h"
#include "ui/win/SettingsStore.h"

#include <shellapi.h>

#include <iterator>

namespace {

// As many captions as a confirmation can show on a screen.
constexpr int kListedInQuestion = 25;

// The cells of a list's row, or its column names, joined by tabs.
CString ListLine(const CListCtrl& list, int row, bool names) {
    HWND header = list.GetHeaderCtrl();
    const int columns = header != nullptr ? Header_GetItemCount(header) : 0;
    CString line;
    for (int c = 0; c < columns; ++c) {
        if (c > 0)
            line += _T('\t');
        if (!names) {
            line += list.GetItemText(row, c);
            continue;
        }
        WCHAR text[256] = {};
        HDITEMW item{};
        item.mask = HDI_TEXT;
        item.pszText = text;
        item.cchTextMax = static_cast<int>(std::size(text));
        if (Header_GetItem(header, c, &item))
            line += text;
    }
    return line;
}

// Ctrl+C: the selected row as one line, under the column names when Shift is held too.
void CopySelectedRow(const CListCtrl& list, HWND owner) {
    const int row = list.GetNextItem(-1, LVNI_SELECTED);
    if (row < 0)
        return;
    CString text;
    if (::GetKeyState(VK_SHIFT) < 0) {
        text = ListLine(list, row, true);
        text += _T("\r\n");
    }
    text += ListLine(list, row, false);
    CopyTextToClipboard(owner, text);
}

bool IsCopyKey(WORD key) {
    return key == 'C' && ::GetKeyState(VK_CONTROL) < 0;
}

} // namespace

bool CQuellixDlg::OnMomentsMsg(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) {
    using M = CMessageMap<CQuellixDlg>;
    static const M::Entry messageMap[] = {
        M::Command<&CQuellixDlg::OnApplyRules>(ID_POPUP_APPLY_RULES),
        M::Command<&CQuellixDlg::OnShowHistory>(ID_POPUP_HISTORY),
        M::Command<&CQuellixDlg::OnTogglePause>(ID_POPUP_PAUSE),
        M::Notify<&CQuellixDlg::OnRuleListKey>(LVN_KEYDOWN, IDC_LIST_RULES),
        M::Notify<&CQuellixDlg::OnWindowListKey>(LVN_KEYDOWN, IDC_LIST_WINDOWS),
    };
    return M::Dispatch(messageMap, *this, msg, wp, lp, result);
}

void CQuellixDlg::InitMoments() {
    m_pHistoryDlg = std::make_unique<CHistoryDlg>(m_history, this);
    m_watcher.SetActionLog(this);
    // A pause remembered from before a policy took Pause away is not honoured.
    m_watcher.SetPaused(m_policies.bAllowPause && ReadSetting(Settings::PauseAutoClose) != 0);
    ShowPauseState();
}

void CQuellixDlg::EndMoments() {
    m_watcher.SetActionLog(nullptr);
    m_pHistoryDlg.reset();
}

void CQuellixDlg::LogAction(const void* rule, CActionEntry entry) {
    for (int i = 0; i < m_nManagedRules; ++i)
        if (rule == &m_rules.GetAt(i))
            entry.strRuleName = ManagedRuleLabel(entry.strRuleName.View());
    m_history.LogAction(rule, std::move(entry));
}

void CQuellixDlg::ShowActions() {
    // The "Closed" column may have changed; it is drawn from the history. Only that column is
    // drawn again: drawing competes with the windows just asked to close.
    RECT cell{}, client{};
    ::GetClientRect(m_listRules, &client);
    if (ListView_GetSubItemRect(m_listRules, ListView_GetTopIndex(m_listRules), kRuleColumnCount,
                                LVIR_BOUNDS, &cell)) {
        client.left = cell.left;
        client.right = cell.right;
    }
    ::InvalidateRect(m_listRules, &client, FALSE);
    if (m_pHistoryDlg != nullptr)
        m_pHistoryDlg->Refresh();
}

CString CQuellixDlg::ClosedCellText(int row) const {
    CString text;
    if (row >= 0 && row < m_rules.GetCount())
        text.Format(L"%d", m_history.CloseCount(&m_rules.GetAt(row)));
    return text;
}

void CQuellixDlg::SetupClosedColumn() {
    InsertListColumn(m_listRules, Settings::kRuleListNumber, kRuleColumnCount,
                     {L"Closed", 55, LVCFMT_RIGHT}, WindowDpi(m_listRules));
}

void CQuellixDlg::OnShowHistory() {
    if (m_pHistoryDlg != nullptr)
        m_pHistoryDlg->Open();
}

void CQuellixDlg::OnTogglePause() {
    if (!m_policies.bAllowPause)
        return; // greyed, but a command may still come (a posted one, an old menu)
    m_watcher.SetPaused(!m_watcher.IsPaused());
    WriteSetting(Settings::PauseAutoClose, m_watcher.IsPaused() ? 1 : 0);
    ShowPauseState();
}

void CQuellixDlg::ShowPauseState() {
    const UINT check = m_watcher.IsPaused() ? MF_CHECKED : MF_UNCHECKED;
    const UINT enable = m_policies.bAllowPause ? MF_ENABLED : MF_GRAYED;
    for (HMENU menu : {m_menuPopup.GetSubMenu(0), m_menuTray.GetSubMenu(0)}) {
        ::CheckMenuItem(menu, ID_POPUP_PAUSE, MF_BYCOMMAND | check);
        ::EnableMenuItem(menu, ID_POPUP_PAUSE, MF_BYCOMMAND | enable);
    }
    if (m_hWnd == nullptr)
        return;
    NOTIFYICONDATAW nid{};
    nid.cbSize = sizeof(nid);
    nid.hWnd = m_hWnd;
    nid.uID = kTrayIconId;
    nid.uFlags = NIF_TIP;
    CString tip = AfxGetApp()->m_strAppName;
    if (m_watcher.IsPaused())
        tip += L" (paused)";
    ::lstrcpynW(nid.szTip, tip, static_cast<int>(std::size(nid.szTip)));
    ::Shell_NotifyIconW(NIM_MODIFY, &nid);
}

void CQuellixDlg::OnApplyRules() {
    std::vector<COpenMatch> matches = FindOpenMatches(m_rules, true);
    std::erase_if(matches, [](const COpenMatch& m) { return m.bOwn; });
    if (matches.empty()) {
        MessageBox(L"No open window of another program matches an enabled rule.", nullptr,
                   MB_OK | MB_ICONINFORMATION);
        return;
    }
    std::vector<CString> captions;
    captions.reserve(matches.size());
    for (const COpenMatch& m : matches)
        captions.push_back(m.strCaption);
    if (MessageBox(ApplyQuestionText(captions, kListedInQuestion), L"Apply Rules - Quellix",
                   MB_OKCANCEL | MB_ICONQUESTION) != IDOK)
        return;
    m_watcher.CloseOpenWindows(matches);
}

void CQuellixDlg::OnRuleListKey(NMHDR* nmhdr, LRESULT* result) {
    const WORD key = reinterpret_cast<NMLVKEYDOWN*>(nmhdr)->wVKey;
    *result = 0;
    if (key == VK_DELETE)
        OnBnClickedDeleteRecord();
    else if (key == VK_F5)
        RefreshWindowList();
    else if (IsCopyKey(key))
        CopySelectedRow(m_listRules, m_hWnd);
}

void CQuellixDlg::OnWindowListKey(NMHDR* nmhdr, LRESULT* result) {
    const WORD key = reinterpret_cast<NMLVKEYDOWN*>(nmhdr)->wVKey;
    *result = 0;
    if (key == VK_F5)
        RefreshWindowList();
    else if (IsCopyKey(key))
        CopySelectedRow(m_listWindows, m_hWnd);
}
