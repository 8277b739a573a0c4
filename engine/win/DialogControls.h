// A dialog's buttons and message, read from another program's window: which push buttons it
// has, pressing one as its click would, and the message a message box shows.
#pragma once

#include "engine/AutoClose.h"
#include "engine/Match.h"
#include "framework/String.h"
#include "rules/Regex.h"

#include <windows.h>

#include <cstdint>
#include <vector>

struct CDialogButton {
    CString strText; // as the button holds it, with its marks (ShownButtonText shows it)
    int nId = 0;
    bool bVisible = false;
    bool bEnabled = false;
};

// The window's child push buttons (class Button, a push-button style), in Z order, visible or
// not. Reads their stored texts: sends them no message.
std::vector<CDialogButton> ListButtons(HWND hwnd);

// The one visible push button that the rule names (by its standard id, else by its text as
// shown) is pressed as its click would be: the dialog is posted its WM_COMMAND BN_CLICKED, so
// that neither the foreground nor the input changes and nothing waits for the target. None,
// several or a disabled one: not pressed. Refused leaves the system's error in GetLastError.
CActOutcome PressButton(HWND hwnd, const CRule& rule, const CRegex* buttonPattern);

// The message of a dialog (class #32770): the text of its static control 0xFFFF (a message
// box's message) when it has one, else the texts of its visible static and button children,
// one a line. At most kMaxMessageUnits units, read in at most kMessageBudgetMs; false when the
// window is no dialog or did not answer in time.
inline constexpr size_t kMaxMessageUnits = 8192; // 16 KiB
inline constexpr DWORD kMessageBudgetMs = 50;
bool ReadDialogMessage(HWND hwnd, CString& message);

// The lazy message of a snapshot: read at the first rule that asks for it, then kept.
class CDialogMessageSource : public IWindowMessage {
public:
    // A new window: nothing read yet.
    void Reset(HWND hwnd) {
        m_hwnd = hwnd;
        m_bRead = false;
    }
    bool Read(StringView& text) override;

private:
    HWND m_hwnd = nullptr;
    bool m_bRead = false;
    bool m_bReadable = false;
    std::vector<WCHAR> m_buffer; // kMaxMessageUnits + 1, made at the first read
    size_t m_nLength = 0;
};

// How many WM_GETTEXT the message reads sent since the program started.
std::uint64_t MessageTextSends();
