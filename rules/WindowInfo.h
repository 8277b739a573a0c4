// CWindowInfo: the record of one window, and of one auto-close rule.
#pragma once

#include "framework/Object.h"
#include "framework/String.h"

#include <cstdint>
#include <memory>

// How a rule's text is compared with a window's: equal (title and class with case, the program
// without), contained, a whole-text wildcard (`*` any run, `?` one character), or a regular
// expression searched anywhere. All but `Is` ignore case.
enum class TextMode : std::uint8_t { Is = 0, Contains = 1, Wildcard = 2, Regex = 3 };
inline constexpr int kTextModeCount = 4;

// The window events at which a rule is checked.
inline constexpr DWORD kTriggerForeground = 1, kTriggerTitleChange = 2, kTriggerShown = 4;
inline constexpr DWORD kTriggerAll = kTriggerForeground | kTriggerTitleChange | kTriggerShown;

// A rule's name is at most this many units.
inline constexpr int kMaxRuleName = 256;

class CWindowInfo : public CObject {
public:
    CWindowInfo() = default;
    ~CWindowInfo() override = default;

    // A new rule made from this record: every member but the window handle.
    std::unique_ptr<CWindowInfo> CopyForRule() const {
        std::unique_ptr<CWindowInfo> copy(new CWindowInfo(*this));
        copy->m_hWnd = nullptr;
        copy->m_nTimerId = 0;
        copy->m_dwThreadId = copy->m_dwProcessId = 0;
        return copy;
    }

    // Takes every member of `rule` but this record's window (handle and owner) and
    // pending-close timer.
    void TakeRuleOf(const CWindowInfo& rule) {
        const HWND hwnd = m_hWnd;
        const UINT_PTR timerId = m_nTimerId;
        const DWORD threadId = m_dwThreadId;
        const DWORD processId = m_dwProcessId;
        *this = rule;
        m_hWnd = hwnd;
        m_nTimerId = timerId;
        m_dwThreadId = threadId;
        m_dwProcessId = processId;
    }

    // Stores or loads the record in the rule file's layout; the window handle is never stored.
    // Loading throws CArchiveException when the record is not whole.
    void Serialize(CArchive& ar) override;
    void Store(CArchive& ar) const;
    enum class LoadResult { Whole, CutInNumbers, CutInTitle, CutInClass };
    // Loads the record; when it is not whole, `cutAt` is where the cut part starts.
    LoadResult Load(CArchive& ar, std::uint64_t& cutAt);
    // The members that layout has no place for are in the rule block (rules/RuleBlock.h).
    // True when the record's layout says exactly what the rule does: enabled, exact texts, no
    // program, checked at the foreground only.
    bool FitsRecord() const {
        return m_bEnabled && !m_bMatchProcess && m_titleMode == TextMode::Is &&
               m_classMode == TextMode::Is && m_dwTriggers == kTriggerForeground;
    }

    CString m_strTitle;
    CString m_strClass;
    HWND m_hWnd = nullptr;
    RECT m_rcWindow = {0, 0, 0, 0};
    DWORD m_dwStyle = 0;
    DWORD m_dwExStyle = 0;
    BOOL m_bMatchTitle = FALSE;
    BOOL m_bMatchClass = TRUE;
    BOOL m_bMatchLocation = FALSE;
    BOOL m_bMatchDimensions = TRUE;
    BOOL m_bMatchStyle = TRUE;
    BOOL m_bMatchExStyle = TRUE;
    int m_nDelayMs = 100;
    // The window's process image, full path (in a rule: a file name or a full path).
    CString m_strProcess;
    BOOL m_bMatchProcess = FALSE;
    TextMode m_titleMode = TextMode::Is;
    TextMode m_classMode = TextMode::Is;
    TextMode m_processMode = TextMode::Is;
    BOOL m_bEnabled = TRUE;
    CString m_strName;
    DWORD m_dwTriggers = kTriggerForeground;
    // The id of this rule's pending-close timer on the main dialog, given at its first delayed
    // match and kept for the record's life; 0 while it has none. Never stored in the file.
    UINT_PTR m_nTimerId = 0;
    // The thread and process of the window m_hWnd named when the rule matched it: a handle
    // can name another program's window by the time the delay is over.
    DWORD m_dwThreadId = 0;
    DWORD m_dwProcessId = 0;

private:
    CWindowInfo(const CWindowInfo&) = default;
    CWindowInfo& operator=(const CWindowInfo&) = default;
};
