// Every registry setting of the program, declared once: name and default.
#pragma once

#include "rules/RecordColumns.h"

#include "framework/String.h"

struct CIntSetting {
    const WCHAR16* name;
    int defaultValue;
};

namespace Settings {

inline constexpr const WCHAR16* kSection = _T("Settings");

inline constexpr CIntSetting HideWindowWithZeroDimensions{_T("HideWindowWithZeroDimensions"), 1};
inline constexpr CIntSetting HideDisabledWindows{_T("HideDisabledWindows"), 1};
inline constexpr CIntSetting HideHiddenWindows{_T("HideHiddenWindows"), 1};
inline constexpr CIntSetting DisplayWindowIcon{_T("DisplayWindowIcon"), 1};
inline constexpr CIntSetting HideWindowsWithoutCaption{_T("HideWindowsWithoutCaption"), 1};
inline constexpr CIntSetting StartInSystemTray{_T("StartInSystemTray"), 0};
inline constexpr CIntSetting RememberLayout{_T("RememberLayout"), 1};
// While set, no rule acts.
inline constexpr CIntSetting PauseAutoClose{_T("PauseAutoClose"), 0};

// The main dialog's WINDOWPLACEMENT, as its 44 raw bytes.
inline constexpr const WCHAR16* kLastLocation = _T("QuellixLastLocation");

// Column widths: "Column <index from 0> Of <list number>" for the first columns of each list,
// "Column <name> Of <list number>" for those added later, so that a column inserted before
// them never takes their widths.
inline constexpr const WCHAR16* kColumnWidthFormat = _T("Column %d Of %d");
inline constexpr const WCHAR16* kNamedColumnWidthFormat = _T("Column %s Of %d");
inline constexpr int kWindowListNumber = 1;
inline constexpr int kRuleListNumber = 2;
// The named columns whose width an older version stored by position: each takes that width
// over once. A column added since has no such place.
struct CStoredPosition {
    int listNumber;
    const WCHAR16* widthName;
    int position;
};
inline constexpr CStoredPosition kStoredPositions[] = {{kWindowListNumber, _T("Program"), 9},
                                                       {kRuleListNumber, _T("Program"), 10},
                                                       {kRuleListNumber, _T("Name"), 11},
                                                       {kRuleListNumber, _T("Closed"), 12}};

} // namespace Settings

// The registry value name of a column's width by its position; lists are numbered from 1.
CString ColumnWidthValueName(int column, int listNumber);
// ... by the column's own name where it has one.
CString ColumnWidthValueName(const CListColumn& column, int position, int listNumber);
// A stored width, or `defaultWidth` when the stored one cannot be right (outside 0..4096).
int StoredColumnWidth(UINT stored, int defaultWidth);
