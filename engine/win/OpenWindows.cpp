#include "OpenWindows.h"

#include "engine/Match.h"
#include "engine/win/Snapshot.h"
#include "framework/win/App.h"

namespace {

struct CEnumState {
    const CRuleSet* rules;
    bool enabledOnly;
    CSnapshotReader reader;
    std::vector<COpenMatch> matches;
};

void AddMatch(HWND hwnd, CEnumState& state) {
    if (!::IsWindowVisible(hwnd))
        return;
    const CWindowSnapshot& window = state.reader.Read(hwnd, state.rules->NeedsProcess());
    int first = -1;
    ScanRules(*state.rules, window, [&](int i) {
        if (first < 0 && (!state.enabledOnly || state.rules->GetAt(i).m_bEnabled))
            first = i;
    });
    if (first < 0)
        return;
    COpenMatch match;
    match.hwnd = hwnd;
    match.nRule = first;
    match.strCaption = CString(window.strTitle);
    match.strClass = CString(window.strClass);
    DWORD pid = 0;
    match.bOwn = ::GetWindowThreadProcessId(hwnd, &pid) != 0 && pid == ::GetCurrentProcessId();
    state.matches.push_back(std::move(match));
}

// An error ends the enumeration: the windows found so far are the answer.
BOOL CALLBACK CollectMatch(HWND hwnd, LPARAM lParam) {
    return AfxCallbackBoundary([&] { AddMatch(hwnd, *reinterpret_cast<CEnumState*>(lParam)); });
}

} // namespace

std::vector<COpenMatch> FindOpenMatches(const CRuleSet& rules, bool enabledOnly) {
    CEnumState state{&rules, enabledOnly, {}, {}};
    if (!rules.IsEmpty())
        ::EnumWindows(CollectMatch, reinterpret_cast<LPARAM>(&state));
    return std::move(state.matches);
}
