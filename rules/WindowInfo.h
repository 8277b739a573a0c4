// CWindowInfo: the record of one window, as the window list shows it and as the rule file
// stores a rule's record (rules/Rule.h maps a rule to it).
#pragma once

#include "framework/Object.h"
#include "framework/String.h"

#include <cstdint>

class CWindowInfo : public CObject {
public:
    CWindowInfo() = default;
    ~CWindowInfo() override = default;

    // Stores or loads the record in the rule file's layout; the window handle is never stored.
    // Loading throws CArchiveException when the record is not whole.
    void Serialize(CArchive& ar) override;
    void Store(CArchive& ar) const;
    enum class LoadResult { Whole, CutInNumbers, CutInTitle, CutInClass };
    // Loads the record; when it is not whole, `cutAt` is where the cut part starts.
    LoadResult Load(CArchive& ar, std::uint64_t& cutAt);
    // The members that layout has no place for are in the rule block (rules/RuleBlock.h).

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
    // The window's process image, full path; empty where it was not read.
    CString m_strProcess;
};
