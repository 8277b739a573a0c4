// Texts about the open windows that rules match: the rule editor's live line and the
// confirmation of "Apply Rules to Open Windows Now".
#pragma once

#include "framework/String.h"

#include <vector>

// More matches than this is worth a warning: a rule that broad is likely a mistake.
inline constexpr int kManyMatches = 10;

// "Matches 2 open windows: A; B" ("... if enabled" for a rule switched off), after a warning
// when the rule would match this program's own windows (`ownCount` of them, not in `captions`)
// or more than kManyMatches windows. Captions are shown on one line and cut where long.
// With `action`, what the rule would do to them: "Matches 2 open windows (Press "No"): A; B".
CString MatchLineText(const std::vector<CString>& captions, int ownCount, bool ifEnabled = false,
                      const CString& action = CString());

// The question before closing: how many windows, and which (at most `maxListed` captions).
CString ApplyQuestionText(const std::vector<CString>& captions, int maxListed);
