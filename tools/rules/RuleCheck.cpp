#include "RuleCheck.h"

#include "framework/Utf8.h"
#include "rules/RuleBlock.h"

namespace {

// The 13 integers in front of each rule's two lines.
constexpr size_t kRuleNumbersSize = 13 * 4;

// Steps over one line as the archive reads it: up to a CR or LF, and after a CR one more unit.
// False when the file ends before that unit does.
bool SkipLine(const BYTE* data, size_t size, size_t& pos) {
    while (size - pos >= 2) {
        const unsigned unit = data[pos] | data[pos + 1] << 8;
        pos += 2;
        if (unit == 0x0A)
            return true;
        if (unit == 0x0D) {
            if (size - pos < 2)
                break;
            pos += 2;
            return true;
        }
    }
    pos = size;
    return false;
}

std::string Plural(long long n, const char* one, const char* many) {
    return std::to_string(n) + " " + (n == 1 ? one : many);
}

} // namespace

CRuleFileCheck CheckRuleFile(const BYTE* data, size_t size) {
    CRuleFileCheck check;
    check.size = size;
    if (size < 4) {
        check.result = CRuleFileCheck::Result::NoCount;
        return check;
    }
    check.count =
        static_cast<std::int32_t>(std::uint32_t(data[0]) | std::uint32_t(data[1]) << 8 |
                                  std::uint32_t(data[2]) << 16 | std::uint32_t(data[3]) << 24);
    if (check.count < 0) {
        check.result = CRuleFileCheck::Result::NegativeCount;
        return check;
    }
    size_t pos = 4;
    for (; check.complete < check.count; ++check.complete) {
        check.offset = pos;
        if (pos == size) {
            check.result = CRuleFileCheck::Result::CountTooLarge;
            return check;
        }
        if (size - pos < kRuleNumbersSize) {
            check.result = CRuleFileCheck::Result::CutInNumbers;
            return check;
        }
        pos += kRuleNumbersSize;
        check.offset = pos;
        if (!SkipLine(data, size, pos)) {
            check.result = CRuleFileCheck::Result::CutInTitle;
            return check;
        }
        check.offset = pos;
        if (!SkipLine(data, size, pos)) {
            check.result = CRuleFileCheck::Result::CutInClass;
            return check;
        }
    }
    check.offset = pos;
    // The loader's own reading of the block, so that both always agree.
    const CRuleBlock::CVerdict block = CRuleBlock::Parse(data + pos, size - pos, pos, check.count);
    switch (block.status) {
    case CRuleBlock::CVerdict::Status::None:
        break;
    case CRuleBlock::CVerdict::Status::Sound:
        check.hasBlock = true;
        pos += block.size;
        check.offset = pos;
        break;
    case CRuleBlock::CVerdict::Status::Damaged:
    case CRuleBlock::CVerdict::Status::Newer:
        check.result = block.status == CRuleBlock::CVerdict::Status::Newer
                           ? CRuleFileCheck::Result::BlockNewer
                           : CRuleFileCheck::Result::BlockDamaged;
        check.offset = static_cast<size_t>(block.offset);
        check.blockProblem = ToUtf8(block.problem.View());
        return check;
    }
    check.result =
        pos == size ? CRuleFileCheck::Result::Sound : CRuleFileCheck::Result::TrailingBytes;
    return check;
}

std::string DescribeCheck(const CRuleFileCheck& check) {
    using Result = CRuleFileCheck::Result;
    const std::string at = "byte " + std::to_string(check.offset) + ": ";
    const std::string rule = "rule " + std::to_string(check.complete + 1);
    const std::string end = "the file ends at byte " + std::to_string(check.size);
    switch (check.result) {
    case Result::Sound:
        return std::string();
    case Result::TrailingBytes:
        return at + Plural(static_cast<long long>(check.size - check.offset), "byte", "bytes") +
               (check.hasBlock ? " after the rule block" : " after the last rule") +
               ", which Quellix ignores";
    case Result::BlockDamaged:
    case Result::BlockNewer:
        return at + "the rule details after the last rule cannot be used: " + check.blockProblem;
    case Result::NoCount:
        return check.size == 0 ? at + "the file is empty: it has no rule count"
                               : at + "the file is cut short: " +
                                     Plural(static_cast<long long>(check.size), "byte", "bytes") +
                                     " are too few for the rule count";
    case Result::NegativeCount:
        return at + "the rule count is negative (" + std::to_string(check.count) + ")";
    case Result::CutInNumbers:
        return at + rule + " is cut short: " + end + ", inside its numbers";
    case Result::CutInTitle:
        return at + rule + " is cut short: " + end + ", before the end of its window text";
    case Result::CutInClass:
        return at + rule + " is cut short: " + end + ", before the end of its window class";
    case Result::CountTooLarge:
        return at + "the rule count is " + std::to_string(check.count) +
               ", but the file ends after " + Plural(check.complete, "rule", "rules");
    }
    return std::string();
}
