#include "History.h"

#include <utility>

namespace {

bool IsActionTaken(EAction action) {
    switch (action) {
    case EAction::CloseAsked:
    case EAction::ScheduledDone:
    case EAction::Applied:
    case EAction::Pressed:
    case EAction::Minimized:
    case EAction::SysCloseSent:
    case EAction::ProgramEnded:
        return true;
    default:
        return false;
    }
}

} // namespace

void CHistory::LogAction(RuleId rule, CActionEntry entry) {
    if (IsActionTaken(entry.action))
        ++m_actionCounts[rule];
    m_entries.push_front(std::move(entry));
    if (m_entries.size() > kCapacity)
        m_entries.pop_back();
}

int CHistory::ActionCount(RuleId rule) const {
    const auto it = m_actionCounts.find(rule);
    return it == m_actionCounts.end() ? 0 : it->second;
}

const WCHAR16* HistoryColumnCaption(int column) {
    static const WCHAR16* const kCaptions[kHistoryColumnCount] = {
        _T("Time"), _T("Caption"), _T("Class"),        _T("Program"),
        _T("Rule"), _T("Name"),    _T("What Happened")};
    return column >= 0 && column < kHistoryColumnCount ? kCaptions[column] : _T("");
}

CString ActionText(const CActionEntry& entry) {
    CString text;
    switch (entry.action) {
    case EAction::CloseAsked:
        text = _T("Asked to close");
        break;
    case EAction::CloseScheduled:
        text.Format(_T("Close scheduled after %d ms"), entry.nDelayMs);
        break;
    case EAction::ScheduledDone:
        text = _T("Scheduled close done");
        break;
    case EAction::ScheduledDropped:
        text.Format(_T("Scheduled close dropped: %s"), entry.strDetail);
        break;
    case EAction::Refused:
        text.Format(_T("Refused by Windows: %s"), entry.strDetail);
        break;
    case EAction::Applied:
        text = _T("Asked to close (Apply Rules)");
        break;
    case EAction::ApplyDropped:
        text.Format(_T("Not asked to close (Apply Rules): %s"), entry.strDetail);
        break;
    case EAction::Pressed:
        text.Format(_T("Pressed \"%s\""), entry.strButton);
        break;
    case EAction::Minimized:
        text = _T("Minimized");
        break;
    case EAction::NoSuchButton:
        text = _T("No such button");
        break;
    case EAction::SeveralButtons:
        text = _T("Several buttons match");
        break;
    case EAction::ButtonDisabled:
        text.Format(_T("Not pressed: \"%s\" is disabled"), entry.strButton);
        break;
    case EAction::NotPressed:
        text.Format(_T("Would have pressed \"%s\"; not pressed: %s"), entry.strButton,
                    entry.strDetail);
        break;
    case EAction::SysCloseSent:
        text.Format(_T("Still open after %d ms: sent the window menu's Close"), entry.nDelayMs);
        break;
    case EAction::SysCloseHeld:
        text.Format(_T("Still open after %d ms: it shows a window of its own, nothing sent"),
                    entry.nDelayMs);
        break;
    case EAction::ProgramEnded:
        text = _T("Ended the program after you agreed");
        break;
    case EAction::EndDeclined:
        text = _T("Not ended: you said No");
        break;
    case EAction::EndRefused:
        text.Format(_T("Not ended: %s"), entry.strDetail);
        break;
    case EAction::EscalationDropped:
        text.Format(_T("Follow-up of the close dropped: %s"), entry.strDetail);
        break;
    }
    return text;
}

CString HistoryCellText(const CActionEntry& entry, int column) {
    CString text;
    switch (column) {
    case 0:
        return entry.strTime;
    // Other programs' texts, and the user's name, as one cell of one line: a tab or a line end
    // in them would make false columns and rows of the copy.
    case 1:
        return VisibleText(entry.strCaption.View(), kShownTextUnits);
    case 2:
        return VisibleText(entry.strClass.View());
    case 3:
        return VisibleText(entry.strProgram.View());
    case 4:
        if (entry.nRule > 0)
            text.Format(_T("%d"), entry.nRule);
        return text;
    case 5:
        return VisibleText(entry.strRuleName.View());
    case 6:
        return ActionText(entry);
    default:
        return text;
    }
}

CString TabLine(const CString* cells, int count) {
    CString line;
    for (int i = 0; i < count; ++i) {
        if (i > 0)
            line += _T('\t');
        line += cells[i];
    }
    return line;
}

CString HistoryText(const CHistory& history) {
    CString cells[kHistoryColumnCount];
    for (int c = 0; c < kHistoryColumnCount; ++c)
        cells[c] = HistoryColumnCaption(c);
    CString text = TabLine(cells, kHistoryColumnCount);
    text += _T("\r\n");
    for (size_t i = 0; i < history.GetCount(); ++i) {
        for (int c = 0; c < kHistoryColumnCount; ++c)
            cells[c] = HistoryCellText(history.GetAt(i), c);
        text += TabLine(cells, kHistoryColumnCount);
        text += _T("\r\n");
    }
    return text;
}
