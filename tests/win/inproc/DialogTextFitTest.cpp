// Every label, check box and button of the dialogs has room for its whole text in the font the
// dialog gets: a label whose text is wider than its rectangle is cut or wrapped out of sight.
// The text is measured as the controls lay it out (Wine measures some fonts wider than it
// draws them, and a label wraps by the measured width).
#include "res/resource.h"

#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <type_traits>

namespace {

INT_PTR CALLBACK PlainDialogProc(HWND, UINT, WPARAM, LPARAM) {
    return FALSE;
}

std::wstring TextOf(HWND hwnd) {
    wchar_t text[256] = {};
    ::GetWindowTextW(hwnd, text, 256);
    return text;
}

std::wstring ClassOf(HWND hwnd) {
    wchar_t name[64] = {};
    ::GetClassNameW(hwnd, name, 64);
    return name;
}

// Size the control's text needs in the control's font, laid out within `width` pixels.
SIZE TextExtent(HWND control, int width, UINT flags) {
    struct ControlDC {
        HWND hwnd;
        HDC dc;
        ~ControlDC() { ::ReleaseDC(hwnd, dc); }
    } owner{control, ::GetDC(control)};
    ::SelectObject(owner.dc, reinterpret_cast<HFONT>(::SendMessageW(control, WM_GETFONT, 0, 0)));
    RECT rc{0, 0, width, 0};
    ::DrawTextW(owner.dc, TextOf(control).c_str(), -1, &rc, flags | DT_CALCRECT);
    return {rc.right, rc.bottom};
}

bool TextFits(HWND control) {
    if (TextOf(control).empty())
        return true;
    const LONG style = ::GetWindowLongW(control, GWL_STYLE);
    RECT rc{};
    ::GetClientRect(control, &rc);
    const std::wstring cls = ClassOf(control);
    if (cls == L"Static") {
        if ((style & SS_TYPEMASK) > SS_RIGHT)
            return true; // icons and frames
        const UINT prefix = (style & SS_NOPREFIX) ? DT_NOPREFIX : 0;
        const SIZE need = TextExtent(control, rc.right, DT_WORDBREAK | prefix);
        return need.cx <= rc.right && need.cy <= rc.bottom;
    }
    if (cls != L"Button")
        return true;
    int room = rc.right;
    switch (style & BS_TYPEMASK) {
    case BS_CHECKBOX:
    case BS_AUTOCHECKBOX:
    case BS_RADIOBUTTON:
    case BS_AUTORADIOBUTTON:
        room -= ::GetSystemMetrics(SM_CXMENUCHECK) + 4; // the box and the gap after it
        break;
    case BS_GROUPBOX:
        room -= 16; // the frame's corners and the caption's indent
        break;
    default:
        room -= 8; // edges and focus rectangle of a push button
        break;
    }
    return TextExtent(control, 0, DT_SINGLELINE).cx <= room;
}

TEST(DialogTextFit, EveryLabelOfTheDialogsHasRoomForItsText) {
    INITCOMMONCONTROLSEX icc{sizeof(icc), ICC_WIN95_CLASSES};
    ::InitCommonControlsEx(&icc);
    for (int id : {IDD_ABOUTBOX, IDD_QUELLIX_DIALOG, IDD_AUTOCLOSE_WINDOW, IDD_HISTORY}) {
        std::unique_ptr<std::remove_pointer_t<HWND>, decltype(&::DestroyWindow)> owner(
            ::CreateDialogParamW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(id), nullptr,
                                 PlainDialogProc, 0),
            &::DestroyWindow);
        HWND dialog = owner.get();
        ASSERT_NE(dialog, nullptr) << id;
        int labels = 0;
        for (HWND c = ::GetWindow(dialog, GW_CHILD); c; c = ::GetWindow(c, GW_HWNDNEXT)) {
            const std::wstring text = TextOf(c);
            labels += text.empty() ? 0 : 1;
            EXPECT_TRUE(TextFits(c)) << "dialog " << id << ", control " << ::GetDlgCtrlID(c) << ": "
                                     << testing::PrintToString(text);
        }
        EXPECT_GE(labels, 3) << id;
    }
}

} // namespace
