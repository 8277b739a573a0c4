// The rule block: what the records of the rule file cannot say (a rule's name, on/off, text
// compare modes, program, triggers), written after the last record, where a reader of the
// records alone stops. A rule the records cannot express exactly is written there as an inert
// record that matches no window, and the block holds the whole rule.
//
// Layout, little-endian, at the first byte after the last record:
//   0   4  tag "QLXB"
//   4   4  version (1, or 2 when a rule has tagged fields)
//   8   4  length L of the body, in bytes
//   12  4  CRC-32 of the body (the polynomial of zip and PNG)
//   16  L  body: the entry count (= the records' count), then one entry per rule in order:
//          4  flags: 1 enabled, 2 program criterion, 4 inert record (the entry holds the rule)
//          4  title, class and program compare modes (one byte each), then a zero byte
//          4  triggers (kTriggerForeground | kTriggerTitleChange | kTriggerShown, not 0)
//          4+2n  name: its unit count n, then its UTF-16LE units (n <= 256)
//          4+2n  program
//          version 2: 4 the count of tagged fields, then each: 2 tag, 2 flags (1: must be
//             understood: a reader that does not know the tag takes the rule as matching
//             nothing), 4 length in bytes, the value (a number: 4 bytes; a text: UTF-16LE)
//          inert only: the record's 13 integers, then title and class, each 4+2n
// Bytes after the records that do not start with the tag, and bytes after the block, are
// ignored, as a reader of the records alone does.
#pragma once

#include "framework/Exception.h"
#include "rules/Rule.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

class CArchive;
class CRuleSet;

// The block is there but cannot be used: damaged, or of a newer version.
class CRuleBlockException : public CException {
public:
    explicit CRuleBlockException(CString message) : m_message(std::move(message)) {}
    CString GetErrorMessage() const override { return m_message; }

private:
    CString m_message;
};

namespace CRuleBlock {

inline constexpr BYTE kTag[4] = {'Q', 'L', 'X', 'B'};
inline constexpr std::uint32_t kVersion = 2;
inline constexpr size_t kHeaderSize = 16;

// What is known of the bytes after the records.
struct CVerdict {
    enum class Status { None, Sound, Damaged, Newer };
    Status status = Status::None; // None: no block (no bytes, or not the tag)
    // Damaged or Newer: the file offset of the fault and what it is.
    std::uint64_t offset = 0;
    CString problem;
    // Sound: the bytes the block takes.
    size_t size = 0;
};

// One entry: an inert record's whole rule, or only the block's members of a rule.
struct CEntry {
    bool inert = false;
    CRule rule;
};

// Reads a block from the bytes after the records (`offset`: where they start in the file) for
// `count` records; `entries`, when given, receives one entry per rule.
CVerdict Parse(const BYTE* data, size_t size, std::uint64_t offset, int count,
               std::vector<CEntry>* entries = nullptr);

// The record of a rule as the file holds it: the rule's, or an inert one.
void StoreRecord(CArchive& ar, const CRule& rule);
// Writes the block when a rule needs it (one that the records cannot express, a name, or a
// program text kept while the criterion is off).
void Store(CArchive& ar, const CRuleSet& rules);
// Reads the block after the records of rules[first..]: gives those rules what it holds. Throws
// CRuleBlockException when the block is damaged or newer.
void Load(CArchive& ar, CRuleSet& rules, int first);

// True when the rules need a block: a file of the records alone would lose something of them.
bool IsNeeded(const CRuleSet& rules);
// The CRC-32 of the count and the records as the file holds them: what a block kept beside the
// file belongs to.
std::uint32_t RecordsChecksum(const CRuleSet& rules);
// Gives the rules what a block (as Store writes it) holds for exactly that many rules; false,
// changing nothing, when it cannot be used.
bool Restore(const BYTE* block, size_t size, CRuleSet& rules);
// The standard CRC-32 (the polynomial of zip and PNG, inverted before and after).
std::uint32_t Crc32(const BYTE* data, size_t size);

// "the rule details after the last rule are damaged at byte N: ..." for a verdict that is not
// sound.
CString Describe(const CVerdict& verdict);

} // namespace CRuleBlock
