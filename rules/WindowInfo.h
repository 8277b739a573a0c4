// CWindowInfo: the record of one window, and of one auto-close rule.
#pragma once

#include "framework/Object.h"
#include "framework/String.h"

#include <memory>

// The moments at which a rule is checked; a rule holds any non-empty set of them.
inline constexpr DWORD kTriggerForeground = 1, kTriggerTitleChange = 2, kTriggerShown = 4;

class CWindowInfo : public CObject {
public:
    CWindowInfo() = default;
    ~CWindowInfo() override = default;

    // A new rule made from this record: every member but the window handle.
    std::unique_ptr<CWindowInfo> CopyForRule() const {
        std::unique_ptr<CWindowInfo> copy(new CWindowInfo(*this));
        copy->m_hWnd = nullptr;
        copy->m_nTimerId = 0;
        return copy;
    }

    // Takes every member of `rule` but this record's window handle and pending-close timer.
    void TakeRuleOf(const CWindowInfo& rule) {
        const HWND hwnd = m_hWnd;
        const UINT_PTR timerId = m_nTimerId;
        *this = rule;
        m_hWnd = hwnd;
        m_nTimerId = timerId;
    }

    // Stores or loads the record in the rule file's layout; the window handle is never stored.
    void Serialize(CArchive& ar) override;
    void Store(CArchive& ar) const;

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
    BOOL m_bEnabled = TRUE;
    DWORD m_dwTriggers = kTriggerForeground;
    // The id of this rule's pending-close timer on the main dialog, given at its first delayed
    // match and kept for the record's life; 0 while it has none. Never stored in the file.
    UINT_PTR m_nTimerId = 0;

private:
    CWindowInfo(const CWindowInfo&) = default;
    CWindowInfo& operator=(const CWindowInfo&) = default;
};
