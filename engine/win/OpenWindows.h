// The visible top-level windows that rules match now: for "Apply Rules to Open Windows Now"
// and the rule editor's live count. Reads each window's snapshot; sends no message.
#pragma once

#include "framework/String.h"
#include "rules/RuleSet.h"

#include <vector>

struct COpenMatch {
    HWND hwnd = nullptr;
    int nRule = 0; // the first rule that matches it, from 0
    CString strCaption;
    CString strClass;
    bool bOwn = false; // one of this program's windows: never closed
};

// Every visible top-level window matched by a rule of the set, in Z order, with the first rule
// that matches it. `enabledOnly` skips disabled rules.
std::vector<COpenMatch> FindOpenMatches(const CRuleSet& rules, bool enabledOnly);
