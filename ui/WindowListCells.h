// Window-list logic without the window system: the columns, a row's cell texts, the filter
// decision and the order in which a window's icon is looked up.
#pragma once

#include "framework/String.h"
#include "rules/RecordColumns.h"

#include <array>

// The window list shows the record's nine columns.
inline constexpr int kWindowListColumnCount = kRecordColumnCount;
inline constexpr const auto& kWindowListColumns = kRecordColumns;

// The four filter options of the window list, each 0 or 1.
struct CWindowListOptions {
    BOOL hideZeroDimensions = TRUE;
    BOOL hideDisabled = TRUE;
    BOOL hideHidden = TRUE;
    BOOL hideWithoutCaption = TRUE;
};

// What the filters look at. `enabled` and `visible` need only be read while their option is on.
struct CWindowFacts {
    RECT rect = {0, 0, 0, 0};
    BOOL enabled = TRUE;
    BOOL visible = TRUE;
    DWORD style = 0;
};

// The first filter that leaves a window out, in the order they are tried.
enum class WindowFilter { Listed, ZeroDimensions, Disabled, Hidden, NoCaption };

WindowFilter FilterWindow(const CWindowListOptions& options, const CWindowFacts& facts);

// One step of the icon lookup: a WM_GETICON message (value = its wParam) or a class icon
// (value = the GetClassLong index).
struct CIconLookupStep {
    enum class Kind { Message, ClassIcon };
    Kind kind;
    int value;
};

inline constexpr std::array<CIconLookupStep, 5> kIconLookupSteps = {{
    {CIconLookupStep::Kind::Message, 2},     // ICON_SMALL2
    {CIconLookupStep::Kind::Message, 0},     // ICON_SMALL
    {CIconLookupStep::Kind::Message, 1},     // ICON_BIG
    {CIconLookupStep::Kind::ClassIcon, -14}, // GCL_HICON
    {CIconLookupStep::Kind::ClassIcon, -34}, // GCL_HICONSM
}};

// The answer of one WM_GETICON: whether the window answered in time, and the icon.
template <class Icon> struct CIconAnswer {
    bool answered;
    Icon icon;
};

// Walks the steps; the first non-null icon wins. A window that fails to answer one message
// is asked no more (it would only make us wait again), but its class icons are still read.
template <class Icon, class SendGetIcon, class ReadClassIcon>
Icon LookUpIcon(SendGetIcon&& sendGetIcon, ReadClassIcon&& readClassIcon) {
    bool answers = true;
    for (const CIconLookupStep& step : kIconLookupSteps) {
        Icon icon{};
        if (step.kind == CIconLookupStep::Kind::Message) {
            if (!answers)
                continue;
            CIconAnswer<Icon> answer = sendGetIcon(step.value);
            answers = answer.answered;
            icon = answer.icon;
        } else {
            icon = readClassIcon(step.value);
        }
        if (icon)
            return icon;
    }
    return Icon{};
}
