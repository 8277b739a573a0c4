// Texts about the open windows that rules match: the rule editor's live line and the
// confirmation of "Apply Rules to Open Windows Now".
#pragma once

#include "framework/String.h"

#include <vector>

// More matches than this is worth a warning: a rule that broad is likely a mistake.
inline constexpr int kManyMatches = 10;

// "Matches 2 open windows: A; B", with a warning when the rule would match this program's own
// windows (`ownCount` of them, not in `captions`) or more than kManyMatches windows.
CString MatchLineText(const std::vector<CString>& captions, int ownCount);

// The question before closing: how many windows, and which (at most `maxListed` captions).
CString ApplyQuestionText(const std::vector<CString>& captions, int maxListed);
