// Checking a rule file's bytes: where its layout breaks, if it does. The verdict is the
// program's own load's (CRuleSet::Load), with the bytes after the last rule
// (a rule block, read by the loader's own parser, or else ignored bytes: a warning) added.
#pragma once

#include "framework/WinTypes.h"

#include <cstddef>
#include <cstdint>
#include <string>

class CRuleSet;

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

// Loads the bytes as the program does, into `rules` when given, and judges them.
CRuleFileCheck CheckRuleFile(const BYTE* data, size_t size, CRuleSet* rules = nullptr);

// The problem or the warning in words, starting with its offset ("byte 120: ..."); empty for a
// sound file.
std::string DescribeCheck(const CRuleFileCheck& check);
