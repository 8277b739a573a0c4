// A regular expression of a rule: RE2 over the text as UTF-8, caseless, compiled once. RE2 never
// backtracks: a search costs the text's length times at most the compiled program's size, and
// its memory is capped. The price is that back-references and look-around are refused. A
// budget over the whole search bounds the patterns whose matcher states keep changing; a search
// that runs out of it finds nothing.
#pragma once

#include "framework/String.h"

#include <memory>

namespace re2 {
class RE2;
}

class CRegex {
public:
    // In units: bounds the parsed pattern, which the memory cap does not count.
    static constexpr int kMaxPatternLength = 4096;
    // For the compiled program and its cache of matcher states, in bytes.
    static constexpr int kMaxMemory = 1 << 20;
    // Instructions visited building matcher states, per search: a few milliseconds.
    static constexpr int kSearchWork = 750000;

    // The compiled pattern, or null with why it was refused.
    static std::unique_ptr<CRegex> Compile(StringView pattern, CString* error = nullptr);
    ~CRegex();
    CRegex(const CRegex&) = delete;
    CRegex& operator=(const CRegex&) = delete;

    // True when the pattern occurs in the text; `^` and `$` anchor it to the whole text. An
    // unpaired surrogate in the text is searched as U+FFFD.
    bool Search(StringView text) const;
    // Whether the last search ran out of its budget (and so found nothing).
    bool RanOutOfWork() const { return m_bRanOut; }

private:
    CRegex() = default;

    std::unique_ptr<re2::RE2> m_pRe;
    mutable bool m_bRanOut = false;
};
