#include "OpenWindows.h"

#include "engine/Match.h"
#include "engine/win/Snapshot.h"
#include "framework/win/App.h"

namespace {

struct CEnumState {
    const CRuleSet* rules;
    CSnapshotReader reader;
    std::vector<COpenMatch> matches;
};

void AddMatch(HWND hwnd, CEnumState& state) {
    if (!::IsWindowVisible(hwnd))
        return;
    const CWindowSnapshot& window = state.reader.Read(hwnd, state.rules->NeedsProcess());
    int first = -1;
    ScanRules(*state.rules, window, [&](int i) {
        if (first < 0)
            first = i; // a disabled rule's key admits no window
    });
    if (first < 0)
        return;
    COpenMatch match;
    match.hwnd = hwnd;
    match.nRule = first;
    match.nRuleId = state.rules->GetAt(first).m_nId;
    match.strCaption = CString(window.strTitle);
    match.strClass = CString(window.strClass);
    match.owner.threadId = ::GetWindowThreadProcessId(hwnd, &match.owner.processId);
    match.bOwn = match.owner.threadId != 0 && match.owner.processId == ::GetCurrentProcessId();
    state.matches.push_back(std::move(match));
}

// An error ends the enumeration: the windows found so far are the answer.
BOOL CALLBACK CollectMatch(HWND hwnd, LPARAM lParam) {
    return AfxCallbackBoundary([&] { AddMatch(hwnd, *reinterpret_cast<CEnumState*>(lParam)); });
}

} // namespace

std::vector<COpenMatch> FindOpenMatches(const CRuleSet& rules) {
    CEnumState state{&rules, {}, {}};
    if (!rules.IsEmpty())
        ::EnumWindows(CollectMatch, reinterpret_cast<LPARAM>(&state));
    return std::move(state.matches);
}
