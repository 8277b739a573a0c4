// CRule: one auto-close rule, as a value. It says which windows it matches, at which moments,
// after what delay, and what it does to them; it holds no window, timer or owner: what a rule
// owes a window (a pending close) belongs to the decisions that made it.
#pragma once

#include "framework/String.h"
#include "rules/WindowInfo.h"

#include <cstdint>
#include <vector>

// How a rule's text is compared with a window's: equal (title and class with case, the program
// without), contained, a whole-text wildcard (`*` any run, `?` one character), or a regular
// expression searched anywhere. All but `Is` ignore case.
enum class TextMode : std::uint8_t { Is = 0, Contains = 1, Wildcard = 2, Regex = 3 };
inline constexpr int kTextModeCount = 4;

// The window events at which a rule is checked.
inline constexpr DWORD kTriggerForeground = 1, kTriggerTitleChange = 2, kTriggerShown = 4;
inline constexpr DWORD kTriggerAll = kTriggerForeground | kTriggerTitleChange | kTriggerShown;

// The moments' and the modes' names, as the tool and its JSON write them.
struct CTriggerName {
    DWORD bit;
    const WCHAR16* name;
};
inline constexpr CTriggerName kTriggerNames[] = {{kTriggerForeground, _T("foreground")},
                                                 {kTriggerTitleChange, _T("titleChange")},
                                                 {kTriggerShown, _T("shown")}};
const WCHAR16* TextModeName(TextMode mode);

// A rule's name is at most this many units.
inline constexpr int kMaxRuleName = 256;

// A rule's identity: given by the rule set when the rule is added, stable for the run and
// never given twice, so that a late timer or a History line can never name another rule.
using RuleId = std::uint32_t;

// What a rule does to a window it matched: asks it to close (WM_CLOSE), presses one of its
// buttons, or minimizes it.
enum class ERuleAction : std::uint8_t { Close = 0, Press = 1, Minimize = 2 };
inline constexpr int kRuleActionCount = 3;

// What a close rule does when its window is still there after m_nEscalateAfterMs: nothing, the
// window menu's Close, or that and then, if the program does not respond and the user agrees,
// ending the program.
enum class EEscalate : std::uint8_t { None = 0, SysClose = 1, End = 2 };
inline constexpr int kEscalateCount = 3;

class CRule {
public:
    RuleId m_nId = 0;
    CString m_strName;
    BOOL m_bEnabled = TRUE;

    // The criteria, each checked or not: the window's text, class and program (each with its
    // compare mode), its location and dimensions (of m_rcWindow), its style and extended style.
    CString m_strTitle;
    BOOL m_bMatchTitle = FALSE;
    TextMode m_titleMode = TextMode::Is;
    CString m_strClass;
    BOOL m_bMatchClass = TRUE;
    TextMode m_classMode = TextMode::Is;
    // A file name or a full path.
    CString m_strProcess;
    BOOL m_bMatchProcess = FALSE;
    TextMode m_processMode = TextMode::Is;
    RECT m_rcWindow = {0, 0, 0, 0};
    BOOL m_bMatchLocation = FALSE;
    BOOL m_bMatchDimensions = TRUE;
    DWORD m_dwStyle = 0;
    BOOL m_bMatchStyle = TRUE;
    DWORD m_dwExStyle = 0;
    BOOL m_bMatchExStyle = TRUE;

    // A dialog's message (class #32770): its message text, or its visible texts.
    CString m_strMessage;
    BOOL m_bMatchMessage = FALSE;
    TextMode m_messageMode = TextMode::Contains;

    // The moments it is checked at (kTrigger*), its delay and its action.
    DWORD m_dwTriggers = kTriggerForeground;
    int m_nDelayMs = 100;
    ERuleAction m_action = ERuleAction::Close;
    // Press: the button, by its standard id (IDOK 1 ... IDCONTINUE 11) or, when that is 0, by
    // its text compared in m_buttonMode.
    CString m_strButton;
    TextMode m_buttonMode = TextMode::Is;
    int m_nButtonId = 0;
    // Close: what follows when the window is still open after m_nEscalateAfterMs.
    EEscalate m_escalate = EEscalate::None;
    int m_nEscalateAfterMs = 3000;

    // Read from a file of a newer Quellix: the block's tagged fields this copy does not know,
    // as they were, so that saving keeps them; and whether one of them must be understood, in
    // which case the rule matches nothing here.
    std::vector<BYTE> m_unknownFields;
    bool m_bNeedsNewer = false;

    // True when the file's record says exactly what the rule does: enabled, exact texts, no
    // program, checked at the foreground only, closing.
    bool FitsRecord() const {
        return m_bEnabled && !m_bMatchProcess && m_titleMode == TextMode::Is &&
               m_classMode == TextMode::Is && m_dwTriggers == kTriggerForeground &&
               m_action == ERuleAction::Close && !m_bMatchMessage &&
               m_escalate == EEscalate::None && m_unknownFields.empty();
    }
};

// A new rule for a listed window: its values, and the criteria the window's record proposes.
CRule RuleFromWindow(const CWindowInfo& window);
// The rule's part that the file's record holds, and back.
CWindowInfo RecordOf(const CRule& rule);
void TakeRecord(CRule& rule, const CWindowInfo& record);

// The one check of what a rule may be, for every way a rule is made, changed, switched on or
// read: at least one criterion that not every window passes, whatever its on/off state (an
// empty pattern, `*` alone, or a regular expression that matches the empty text passes every
// window), patterns that work, a name of at most kMaxRuleName units and a moment. Empty when the
// rule may be kept; otherwise why not, in words. `allowMatchAll` lets a rule without such a
// criterion through, for a user who asked for exactly that.
CString RuleProblem(const CRule& rule, bool allowMatchAll = false);
// IDOK 1 to IDNO 7, IDTRYAGAIN 10, IDCONTINUE 11: the ids a button is pressed by.
bool IsStandardButtonId(int id);
