// The window list: the desktop's top-level windows, filtered by the options.
#include "QuellixDlg.h"

#include "ui/WindowListCells.h"
#include "ui/win/SettingsStore.h"
#include "framework/win/App.h"
#include "res/resource.h"
#include "rules/WindowInfo.h"

#include <memory>

static_assert(kColumnAlignLeft == LVCFMT_LEFT && kColumnAlignCenter == LVCFMT_CENTER);
static_assert(kIconLookupSteps[0].value == ICON_SMALL2 && kIconLookupSteps[1].value == ICON_SMALL &&
              kIconLookupSteps[2].value == ICON_BIG && kIconLookupSteps[3].value == GCLP_HICON &&
              kIconLookupSteps[4].value == GCLP_HICONSM);

namespace {

// Longest wait for one WM_GETICON answer; a window that misses it is asked no more.
constexpr UINT kIconTimeoutMs = 100;
constexpr int kImageListGrowth = 32;
// A row whose icon has not been looked up yet.
constexpr int kImageNotAsked = -3;
static_assert(kImageNotAsked != I_IMAGENONE && kImageNotAsked != I_IMAGECALLBACK);

HICON FindWindowIcon(HWND hwnd) {
    return LookUpIcon<HICON>(
        [hwnd](int which) {
            DWORD_PTR icon = 0;
            LRESULT ok = ::SendMessageTimeoutW(hwnd, WM_GETICON, static_cast<WPARAM>(which), 0,
                                               SMTO_ABORTIFHUNG, kIconTimeoutMs, &icon);
            return CIconAnswer<HICON>{ok != 0, reinterpret_cast<HICON>(icon)};
        },
        [hwnd](int index) { return reinterpret_cast<HICON>(::GetClassLongPtrW(hwnd, index)); });
}

} // namespace

void CQuellixDlg::SetupWindowListColumns() {
    SetupListColumns(m_listWindows, Settings::kWindowListNumber, kWindowListColumnCount + 1);
}

void CQuellixDlg::ReleaseWindowIcons() {
    // The list view would destroy an image list it still holds when it is destroyed itself:
    // detach first, so that only m_imageList ever destroys it.
    if (m_listWindows.m_hWnd != nullptr)
        m_listWindows.SetImageList(nullptr, LVSIL_SMALL);
    m_imageList.DeleteImageList();
    m_iconImages.clear();
}

int CQuellixDlg::ImageOfWindow(HWND hwnd) {
    HICON icon = FindWindowIcon(hwnd);
    if (icon == nullptr)
        return I_IMAGENONE;
    // Windows of one program often share an icon: one copy serves all their rows. Keyed by
    // handle, so the map lives only as long as one refresh's image list.
    auto found = m_iconImages.find(icon);
    if (found != m_iconImages.end())
        return found->second;
    const int image = m_imageList.Add(icon);
    if (image < 0)
        return I_IMAGENONE;
    m_iconImages.emplace(icon, image);
    return image;
}

// The list view holds no rows (owner data): it asks for each cell and icon it draws. A row's
// icon is looked up when the row is first drawn, then kept.
void CQuellixDlg::OnGetWindowListDispInfo(NMHDR* nmhdr, LRESULT* result) {
    LVITEMW& item = reinterpret_cast<NMLVDISPINFOW*>(nmhdr)->item;
    *result = 0;
    const CWindowInfo* record = GetListedWindow(item.iItem);
    if (record == nullptr)
        return;
    if (item.iSubItem == kWindowListColumnCount) {
        SetDispInfoText(item, ProgramOfListedWindow(item.iItem));
    } else {
        SetDispInfoText(item, (item.iSubItem == 0 ? RowNumberText(item.iItem)
                                                  : RecordCellText(*record, item.iSubItem))
                                  .View());
    }
    if ((item.mask & LVIF_IMAGE) != 0 && item.iSubItem == 0) {
        int& image = m_windowImages[static_cast<size_t>(item.iItem)];
        // A row without an icon says so: image 0 would show another window's icon.
        if (image == kImageNotAsked)
            image = m_imageList.GetSafeHandle() != nullptr ? ImageOfWindow(record->m_hWnd)
                                                           : I_IMAGENONE;
        item.iImage = image;
    }
}

// The image's file name, looked up when the row is first drawn, once per process per refresh;
// the record keeps the full path for the rule editor.
StringView CQuellixDlg::ProgramOfListedWindow(int row) {
    CWindowInfo& record = *m_windowRecords[static_cast<size_t>(row)];
    if (!m_windowProgramRead[static_cast<size_t>(row)]) {
        m_windowProgramRead[static_cast<size_t>(row)] = true;
        DWORD pid = 0;
        ::GetWindowThreadProcessId(record.m_hWnd, &pid);
        auto known = m_programsByProcess.find(pid);
        if (known == m_programsByProcess.end())
            known =
                m_programsByProcess.emplace(pid, CString(m_windowTexts.ReadProcess(record.m_hWnd)))
                    .first;
        record.m_strProcess = known->second;
    }
    return ProcessTextFor(StringView(), false, record.m_strProcess.View());
}

CWindowInfo* CQuellixDlg::GetListedWindow(int row) {
    return row >= 0 && static_cast<size_t>(row) < m_windowRecords.size()
               ? m_windowRecords[static_cast<size_t>(row)].get()
               : nullptr;
}

void CQuellixDlg::RefreshWindowList() {
    CWaitCursor wait;
    CDrawLater drawLater(m_listWindows);
    ClearRecordList();
    ReleaseWindowIcons();
    if (m_bDisplayWindowIcon) {
        // Reserve room in steps: growing by one image re-copies the whole bitmap per icon.
        // Full colour with a mask, so icons keep their colours and transparent parts, at the
        // small-icon size of the system's DPI (the process is system-DPI aware, so that is
        // the list's DPI too).
        m_imageList.Create(::GetSystemMetrics(SM_CXSMICON), ::GetSystemMetrics(SM_CYSMICON),
                           ILC_COLOR32 | ILC_MASK, 0, kImageListGrowth);
        m_listWindows.SetImageList(m_imageList.GetSafeHandle(), LVSIL_SMALL);
    }
    ::EnumWindows(EnumWindowsCallback, reinterpret_cast<LPARAM>(this));
    m_windowImages.assign(m_windowRecords.size(), kImageNotAsked);
    m_windowProgramRead.assign(m_windowRecords.size(), false);
    m_programsByProcess.clear();
    m_listWindows.SetItemCountEx(static_cast<int>(m_windowRecords.size()), 0);
}

BOOL CALLBACK CQuellixDlg::EnumWindowsCallback(HWND hwnd, LPARAM lParam) {
    // An error ends the enumeration: the list shows the windows read so far.
    return AfxCallbackBoundary(
        [&] { reinterpret_cast<CQuellixDlg*>(lParam)->AddWindowToList(hwnd); });
}

void CQuellixDlg::AddWindowToList(HWND hwnd) {
    if (hwnd == m_hWnd)
        return;

    const CWindowListOptions options{m_bHideWindowWithZeroDimensions, m_bHideDisabledWindows,
                                     m_bHideHiddenWindows, m_bHideWindowsWithoutCaption};
    CWindowFacts facts;
    ::GetWindowRect(hwnd, &facts.rect);
    if (options.hideDisabled)
        facts.enabled = ::IsWindowEnabled(hwnd);
    if (options.hideHidden)
        facts.visible = ::IsWindowVisible(hwnd);
    facts.style = static_cast<DWORD>(::GetWindowLongW(hwnd, GWL_STYLE));
    if (FilterWindow(options, facts) != WindowFilter::Listed)
        return;

    auto record = std::make_unique<CWindowInfo>();
    record->m_hWnd = hwnd;
    record->m_rcWindow = facts.rect;
    record->m_dwStyle = facts.style;
    record->m_dwExStyle = static_cast<DWORD>(::GetWindowLongW(hwnd, GWL_EXSTYLE));
    record->m_strTitle = CString(m_windowTexts.ReadCaption(hwnd));
    record->m_strClass = CString(m_windowTexts.ReadClass(hwnd));

    CWindowOwner owner;
    owner.threadId = ::GetWindowThreadProcessId(hwnd, &owner.processId);
    m_windowRecords.push_back(std::move(record));
    m_windowOwners.push_back(owner);
}

void CQuellixDlg::ClearRecordList() {
    // The rows go first, so that the list never asks for a record that is gone.
    if (m_listWindows.m_hWnd != nullptr)
        m_listWindows.DeleteAllItems();
    m_windowRecords.clear();
    m_windowOwners.clear();
    m_windowImages.clear();
}

// Every check box is read at once; the clicked one's value is stored and the list refilled.
void CQuellixDlg::OnListOptionClicked(const CIntSetting& setting, const BOOL& member) {
    UpdateData(TRUE);
    WriteSetting(setting, member);
    RefreshWindowList();
}

void CQuellixDlg::OnHideZeroDimensionsClicked() {
    OnListOptionClicked(Settings::HideWindowWithZeroDimensions, m_bHideWindowWithZeroDimensions);
}

void CQuellixDlg::OnHideDisabledClicked() {
    OnListOptionClicked(Settings::HideDisabledWindows, m_bHideDisabledWindows);
}

void CQuellixDlg::OnHideHiddenClicked() {
    OnListOptionClicked(Settings::HideHiddenWindows, m_bHideHiddenWindows);
}

void CQuellixDlg::OnDisplayIconClicked() {
    OnListOptionClicked(Settings::DisplayWindowIcon, m_bDisplayWindowIcon);
}

void CQuellixDlg::OnHideWithoutCaptionClicked() {
    OnListOptionClicked(Settings::HideWindowsWithoutCaption, m_bHideWindowsWithoutCaption);
}

void CQuellixDlg::OnRefreshListCommand() {
    RefreshWindowList();
}

void CQuellixDlg::OnCloseSelectedWindow() {
    const int row = m_listWindows.GetNextItem(-1, LVNI_SELECTED);
    if (row < 0) {
        MessageBox(L"Please Select a Window to Close and then try Again.", nullptr,
                   MB_OK | MB_ICONINFORMATION);
        return;
    }
    CString why;
    if (!IsStillListedWindow(row) ||
        !m_watcher.CloseChosen(GetListedWindow(row)->m_hWnd,
                               m_windowOwners[static_cast<size_t>(row)], why)) {
        RefreshWindowList();
        MessageBox(L"The selected window no longer exists, so nothing was closed. The list of "
                   L"windows has been refreshed.",
                   nullptr, MB_OK | MB_ICONINFORMATION);
        return;
    }
    PostMessage(WM_COMMAND, MAKEWPARAM(IDC_REFRESH, BN_CLICKED), 0);
}

// A handle is reused once its window is gone: the row's window is still there only when the
// handle names a window of the process and class that the row was listed with.
bool CQuellixDlg::IsStillListedWindow(int row) {
    const CWindowInfo* info = GetListedWindow(row);
    if (info == nullptr || !::IsWindow(info->m_hWnd))
        return false;
    DWORD pid = 0;
    ::GetWindowThreadProcessId(info->m_hWnd, &pid);
    return pid != 0 && pid == m_windowOwners[static_cast<size_t>(row)].processId &&
           m_windowTexts.ReadClass(info->m_hWnd) == info->m_strClass.View();
}
