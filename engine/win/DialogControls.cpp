#include "DialogControls.h"

#include "engine/ButtonText.h"

#include <commctrl.h>

#include <algorithm>

namespace {

std::uint64_t g_nMessageSends = 0;

bool HasClass(HWND hwnd, const wchar_t* name) {
    wchar_t cls[16] = {};
    return ::GetClassNameW(hwnd, cls, 16) > 0 && ::lstrcmpiW(cls, name) == 0;
}

bool IsPushButton(HWND hwnd, DWORD style) {
    switch (style & BS_TYPEMASK) {
    case BS_PUSHBUTTON:
    case BS_DEFPUSHBUTTON:
    case BS_SPLITBUTTON:
    case BS_DEFSPLITBUTTON:
    case BS_COMMANDLINK:
    case BS_DEFCOMMANDLINK:
        return HasClass(hwnd, L"Button");
    default:
        return false;
    }
}

// The stored text: no message, so a hung program cannot hold us.
CString StoredText(HWND hwnd) {
    WCHAR text[512] = {};
    const int n = ::InternalGetWindowText(hwnd, text, 512);
    return CString(text, n > 0 ? n : 0);
}

// Calls visit(child, style) for each direct child window, in Z order.
template <class Visit> void ForEachChild(HWND hwnd, Visit&& visit) {
    for (HWND child = ::GetWindow(hwnd, GW_CHILD); child != nullptr;
         child = ::GetWindow(child, GW_HWNDNEXT))
        visit(child, static_cast<DWORD>(::GetWindowLongW(child, GWL_STYLE)));
}

// Reads a dialog's message into `buffer` (kMaxMessageUnits + 1 units); its length, or -1 when
// the window is no dialog or a text did not come in time.
long ReadMessageInto(HWND hwnd, WCHAR* buffer) {
    if (!HasClass(hwnd, L"#32770"))
        return -1;
    const ULONGLONG start = ::GetTickCount64();
    size_t length = 0;
    bool answered = true;
    // Appends one child's text, within what is left of the room and of the time.
    const auto append = [&](HWND child) {
        const ULONGLONG spent = ::GetTickCount64() - start;
        const size_t room = kMaxMessageUnits - length;
        if (!answered || room == 0 || spent >= kMessageBudgetMs) {
            answered = answered && room == 0;
            return;
        }
        ++g_nMessageSends;
        DWORD_PTR copied = 0;
        buffer[length] = 0;
        // SMTO_BLOCK: no other message of ours is handled meanwhile, so nothing re-enters.
        if (!::SendMessageTimeoutW(child, WM_GETTEXT, room + 1,
                                   reinterpret_cast<LPARAM>(buffer + length),
                                   SMTO_ABORTIFHUNG | SMTO_BLOCK,
                                   static_cast<UINT>(kMessageBudgetMs - spent), &copied)) {
            answered = false;
            return;
        }
        length += std::min(static_cast<size_t>(copied), room);
    };
    HWND text = ::GetDlgItem(hwnd, 0xFFFF);
    if (text != nullptr && HasClass(text, L"Static")) {
        append(text);
    } else {
        ForEachChild(hwnd, [&](HWND child, DWORD style) {
            if ((style & WS_VISIBLE) == 0 ||
                !(HasClass(child, L"Static") || HasClass(child, L"Button")))
                return;
            if (length > 0 && length < kMaxMessageUnits)
                buffer[length++] = L'\n';
            append(child);
        });
    }
    buffer[length] = 0;
    return answered ? static_cast<long>(length) : -1;
}

} // namespace

std::vector<CDialogButton> ListButtons(HWND hwnd) {
    std::vector<CDialogButton> buttons;
    ForEachChild(hwnd, [&](HWND child, DWORD style) {
        if (!IsPushButton(child, style))
            return;
        CDialogButton button;
        button.strText = StoredText(child);
        button.nId = ::GetDlgCtrlID(child);
        button.bVisible = (style & WS_VISIBLE) != 0;
        button.bEnabled = (style & WS_DISABLED) == 0;
        buttons.push_back(std::move(button));
    });
    return buttons;
}

CActOutcome PressButton(HWND hwnd, const CRule& rule, const CRegex* buttonPattern) {
    CActOutcome outcome;
    HWND found = nullptr;
    int matches = 0;
    CString foundText;
    ForEachChild(hwnd, [&](HWND child, DWORD style) {
        if ((style & WS_VISIBLE) == 0 || !IsPushButton(child, style))
            return;
        CString text = StoredText(child);
        const bool named = rule.m_nButtonId != 0
                               ? ::GetDlgCtrlID(child) == rule.m_nButtonId
                               : ButtonTextMatches(rule.m_strButton.View(), rule.m_buttonMode,
                                                   buttonPattern, text.View());
        if (!named)
            return;
        ++matches;
        found = child;
        foundText = std::move(text);
    });
    if (matches != 1) {
        outcome.result = matches == 0 ? EActResult::NoSuchButton : EActResult::SeveralButtons;
        return outcome;
    }
    outcome.strButton = ShownButtonText(foundText.View());
    if (!::IsWindowEnabled(found)) {
        outcome.result = EActResult::ButtonDisabled;
        return outcome;
    }
    // What the button tells its dialog when clicked; a message box ends with the button's id.
    const int id = ::GetDlgCtrlID(found);
    if (!::PostMessageW(hwnd, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                        reinterpret_cast<LPARAM>(found)))
        outcome.result = EActResult::Refused;
    return outcome;
}

bool ReadDialogMessage(HWND hwnd, CString& message) {
    std::vector<WCHAR> buffer(kMaxMessageUnits + 1);
    const long length = ReadMessageInto(hwnd, buffer.data());
    if (length < 0)
        return false;
    message = CString(buffer.data(), static_cast<int>(length));
    return true;
}

bool CDialogMessageSource::Read(StringView& text) {
    if (!m_bRead) {
        m_bRead = true;
        if (m_buffer.empty())
            m_buffer.resize(kMaxMessageUnits + 1);
        const long length = ReadMessageInto(m_hwnd, m_buffer.data());
        m_bReadable = length >= 0;
        m_nLength = m_bReadable ? static_cast<size_t>(length) : 0;
    }
    text = StringView(m_buffer.data(), m_nLength);
    return m_bReadable;
}

std::uint64_t MessageTextSends() {
    return g_nMessageSends;
}
