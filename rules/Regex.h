// A regular expression of a rule: PCRE2 over UTF-16, caseless, compiled once. A search never
// allocates, and its match and depth limits keep any pattern from stalling the caller or
// overflowing its stack; a search that reaches a limit finds nothing.
#pragma once

#include "framework/String.h"

#include <memory>

struct pcre2_real_code_16;
struct pcre2_real_match_data_16;
struct pcre2_real_match_context_16;

class CRegex {
public:
    // Calls into the matcher per start position, and nesting of its backtracking frames.
    static constexpr unsigned kMatchLimit = 100000;
    static constexpr unsigned kDepthLimit = 1000;

    // The compiled pattern, or null with the library's message and the offset of the error.
    static std::unique_ptr<CRegex> Compile(StringView pattern, CString* error = nullptr);
    ~CRegex();
    CRegex(const CRegex&) = delete;
    CRegex& operator=(const CRegex&) = delete;

    // True when the pattern occurs in the text. False also when a limit was reached.
    bool Search(StringView text) const;
    // The last search's result code: 1 or more found, -1 not found, other values: errors
    // (PCRE2's, e.g. the match limit).
    int LastResult() const { return m_nLastResult; }

private:
    CRegex() = default;

    pcre2_real_code_16* m_pCode = nullptr;
    pcre2_real_match_data_16* m_pData = nullptr;
    pcre2_real_match_context_16* m_pContext = nullptr;
    mutable int m_nLastResult = 0;
};
