// Checking a rule file's bytes: where its layout breaks, if it does. The verdict agrees with
// what CRuleSet::Load reads (the fuzz target holds them to it):
//   Sound, TrailingBytes     Load reads `count` rules without an error
//   NegativeCount            Load reads no rule and no error
//   CutInTitle, CutInClass   Load reads `complete` + 1 rules, the last one with a cut text, and
//                            fails after it when the count promises more
//   NoCount, CutInNumbers,   Load reads `complete` rules, then fails
//   CountTooLarge
//   BlockDamaged, BlockNewer Load reads `count` rules, then fails on the rule block
#pragma once

#include "framework/WinTypes.h"

#include <cstddef>
#include <cstdint>
#include <string>

struct CRuleFileCheck {
    enum class Result {
        Sound,
        TrailingBytes, // bytes after the last rule, which the program ignores
        NoCount,       // fewer than the 4 bytes of the count
        NegativeCount,
        CutInNumbers,  // the file ends inside a rule's 13 integers
        CutInTitle,    // ... before the line end of its window text
        CutInClass,    // ... before the line end of its window class
        CountTooLarge, // the file ends after `complete` rules, fewer than the count
        BlockDamaged,  // the rule block after the records does not verify
        BlockNewer     // ... is of a newer version
    };

    Result result = Result::Sound;
    std::int32_t count = 0;
    // Rules read whole, with both line ends.
    int complete = 0;
    // Where the problem starts: the count, the cut part of a rule, the missing rule or the
    // bytes after the last rule.
    size_t offset = 0;
    size_t size = 0;
    // A sound rule block after the records; a damaged one's problem in words (UTF-8).
    bool hasBlock = false;
    std::string blockProblem;

    // Every rule of the file can be read: sound, or only ignored bytes after the rules.
    bool Readable() const { return result == Result::Sound || result == Result::TrailingBytes; }
};

CRuleFileCheck CheckRuleFile(const BYTE* data, size_t size);

// The problem or the warning in words, starting with its offset ("byte 120: ..."); empty for a
// sound file.
std::string DescribeCheck(const CRuleFileCheck& check);
