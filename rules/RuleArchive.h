// The rule list in the rule file: a 32-bit count, then the records in row order.
#pragma once

#include "rules/WindowInfo.h"

#include <functional>
#include <memory>

class CArchive;

// Reads the count and then that many records, handing each to `append` as soon as it is
// complete. A count of 0 or less reads nothing more. Errors of the archive propagate; the
// records handed over before them stay with the caller.
void LoadRules(CArchive& ar, const std::function<void(std::unique_ptr<CWindowInfo>)>& append);

// Writes `count` and then rule(0) .. rule(count - 1).
void StoreRules(CArchive& ar, int count, const std::function<const CWindowInfo&(int)>& rule);
