#include "Controls.h"

#include "framework/Utf8.h"

#include <algorithm>

int CListCtrl::InsertColumn(int index, const WCHAR* caption, int format, int width) const {
    LVCOLUMNW col{};
    col.mask = LVCF_FMT | LVCF_WIDTH | LVCF_TEXT | LVCF_SUBITEM;
    col.fmt = format;
    col.cx = width;
    col.pszText = const_cast<WCHAR*>(caption);
    col.iSubItem = index;
    return static_cast<int>(
        SendMessage(LVM_INSERTCOLUMNW, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&col)));
}

CString CListCtrl::GetItemText(int row, int column) const {
    CString text;
    for (int size = 256;; size *= 2) {
        LVITEMW item{};
        item.iSubItem = column;
        item.cchTextMax = size;
        item.pszText = text.GetBuffer(size);
        int n = static_cast<int>(SendMessage(LVM_GETITEMTEXTW, static_cast<WPARAM>(row),
                                             reinterpret_cast<LPARAM>(&item)));
        if (n < size - 1) {
            text.ReleaseBuffer();
            return text;
        }
    }
}

void SetDispInfoText(LVITEMW& item, StringView text) {
    if (!(item.mask & LVIF_TEXT) || item.pszText == nullptr || item.cchTextMax <= 0)
        return;
    // A cut pair would show as two broken characters: the pair goes whole or not at all.
    const size_t n = UnitsThatFit(text, static_cast<size_t>(item.cchTextMax) - 1);
    std::copy_n(text.data(), n, item.pszText);
    item.pszText[n] = 0;
}

BOOL CMenu::LoadMenu(UINT id) {
    m_menu.Reset(::LoadMenuW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(id)));
    return m_menu ? TRUE : FALSE;
}
