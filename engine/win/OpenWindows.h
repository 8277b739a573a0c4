// The visible top-level windows that rules match now: for "Apply Rules to Open Windows Now"
// and the rule editor's live count. Reads each window's snapshot; sends no message.
#pragma once

#include "engine/AutoClose.h"
#include "framework/String.h"
#include "rules/RuleSet.h"

#include <vector>

struct COpenMatch {
    HWND hwnd = nullptr;
    CWindowOwner owner; // whose window the handle named when it matched
    int nRule = 0;      // the first rule that matches it, from 0
    RuleId nRuleId = 0; // ... and its id
    CString strCaption;
    CString strClass;
    bool bOwn = false; // one of this program's windows: never closed
};

// Every visible top-level window matched by an enabled rule of the set, in Z order, with the
// first rule that matches it.
std::vector<COpenMatch> FindOpenMatches(const CRuleSet& rules);
