// The window list: the desktop's top-level windows, filtered by the options.
#include "QuellixDlg.h"

#include "WindowListCells.h"
#include "app/SettingsStore.h"
#include "framework/App.h"
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

// The window's stored caption, whole. Unlike GetWindowText this never sends WM_GETTEXT, which
// would wait forever on a window of this process whose thread has stopped answering.
CString ReadWindowText(HWND hwnd) {
    CString text;
    for (int size = 256;; size *= 2) {
        int n = ::InternalGetWindowText(hwnd, text.GetBuffer(size), size);
        if (n < size - 1) {
            text.ReleaseBuffer();
            return text;
        }
    }
}

CString ReadClassName(HWND hwnd) {
    WCHAR name[512] = {};
    ::GetClassNameW(hwnd, name, 511);
    return CString(name);
}

} // namespace

void CQuellixDlg::SetupWindowListColumns() {
    SetupListColumns(m_listWindows, Settings::kWindowListNumber, kWindowListColumnCount);
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

void CQuellixDlg::OnGetWindowListDispInfo(NMHDR* nmhdr, LRESULT*) {
    LVITEMW& item = reinterpret_cast<NMLVDISPINFOW*>(nmhdr)->item;
    if ((item.mask & LVIF_IMAGE) == 0 || item.iSubItem != 0)
        return;
    // A row without an icon says so: image 0 would show another window's icon.
    const auto* record = reinterpret_cast<const CWindowInfo*>(item.lParam);
    item.iImage = record != nullptr && m_imageList.GetSafeHandle() != nullptr
                      ? ImageOfWindow(record->m_hWnd)
                      : I_IMAGENONE;
    // The list keeps the answer: a row is looked up once, not on every paint.
    item.mask |= LVIF_DI_SETITEM;
}

void CQuellixDlg::RefreshWindowList() {
    CWaitCursor wait;
    CRedrawOff redrawOff(m_listWindows);
    ClearRecordList(m_listWindows);
    ReleaseWindowIcons();
    if (m_bDisplayWindowIcon) {
        // Reserve room in steps: growing by one image re-copies the whole bitmap per icon.
        m_imageList.Create(16, 16, 0, 0, kImageListGrowth);
        m_listWindows.SetImageList(m_imageList.GetSafeHandle(), LVSIL_SMALL);
    }
    ::EnumWindows(EnumWindowsCallback, reinterpret_cast<LPARAM>(this));
}

BOOL CALLBACK CQuellixDlg::EnumWindowsCallback(HWND hwnd, LPARAM lParam) {
    auto* dlg = reinterpret_cast<CQuellixDlg*>(lParam);
    try {
        dlg->AddWindowToList(hwnd);
        return TRUE;
    } catch (const CException& e) {
        try {
            e.ReportError(MB_OK);
        } catch (...) {
        }
        return FALSE;
    } catch (...) {
        try {
            AfxMessageBox(L"Unknown Exception Adding Window to List.", MB_OK);
        } catch (...) {
        }
        return TRUE;
    }
}

void CQuellixDlg::AddWindowToList(HWND hwnd) {
    if (hwnd == m_hWnd)
        return;

    const CWindowListOptions options{m_bHideWindowWithZeroDimensions, m_bHideDisabledWindows,
                                     m_bHideHiddenWindows, m_bDisplayWindowIcon,
                                     m_bHideWindowsWithoutCaption};
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
    record->m_strTitle = ReadWindowText(hwnd);
    record->m_strClass = ReadClassName(hwnd);

    const int row = m_listWindows.GetItemCount();
    auto cells = FormatWindowCells(row, *record);

    LVITEMW item{};
    item.mask = LVIF_TEXT;
    item.iItem = row;
    item.pszText = const_cast<WCHAR*>(cells[0].GetString());
    if (options.displayIcon) {
        // Asked for when the row is first drawn: copying every window's icon up front would
        // cost far more than the rest of the refresh.
        item.mask |= LVIF_IMAGE;
        item.iImage = I_IMAGECALLBACK;
    }
    // The row owns its record from the moment it exists.
    item.mask |= LVIF_PARAM;
    item.lParam = reinterpret_cast<LPARAM>(record.get());
    if (m_listWindows.SendMessage(LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item)) < 0)
        return;
    record.release();
    for (int column = 1; column < kWindowListColumnCount; ++column)
        m_listWindows.SetItemText(row, column, cells[static_cast<size_t>(column)]);
}

void CQuellixDlg::ClearRecordList(CListCtrl& list) {
    if (list.m_hWnd == nullptr)
        return;
    // Every record first, then all rows at once: deleting the rows one by one from the top
    // shifts all the others each time.
    const int n = list.GetItemCount();
    for (int row = 0; row < n; ++row)
        delete reinterpret_cast<CWindowInfo*>(list.GetItemData(row));
    list.DeleteAllItems();
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
    if (auto* info = reinterpret_cast<CWindowInfo*>(m_listWindows.GetItemData(row)))
        ::PostMessageW(info->m_hWnd, WM_CLOSE, 0, 0);
    PostMessage(WM_COMMAND, MAKEWPARAM(IDC_REFRESH, BN_CLICKED), 0);
}
