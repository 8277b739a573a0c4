#include "RuleCheck.h"

#include "framework/Archive.h"
#include "framework/Utf8.h"
#include "rules/RuleBlock.h"
#include "rules/RuleSet.h"

namespace {

std::string Plural(long long n, const char* one, const char* many) {
    return std::to_string(n) + " " + (n == 1 ? one : many);
}

} // namespace

CRuleFileCheck CheckRuleFile(const BYTE* data, size_t size, CRuleSet* rules) {
    using Result = CRuleFileCheck::Result;
    using Load = CRuleFileReport::Result;
    CRuleSet scratch;
    CMemFile file(CMemFile::InPlace{}, data, size);
    CArchive ar(&file, CArchive::load);
    const CRuleFileReport report = (rules != nullptr ? *rules : scratch).Load(ar);

    CRuleFileCheck check;
    check.size = size;
    check.count = report.count;
    check.complete = report.complete;
    check.offset = static_cast<size_t>(report.offset);
    switch (report.result) {
    case Load::Complete:
        break;
    case Load::NoCount:
        check.result = Result::NoCount;
        break;
    case Load::NegativeCount:
        check.result = Result::NegativeCount;
        break;
    case Load::CutInNumbers:
        check.result = Result::CutInNumbers;
        break;
    case Load::CutInTitle:
        check.result = Result::CutInTitle;
        break;
    case Load::CutInClass:
        check.result = Result::CutInClass;
        break;
    case Load::CountTooLarge:
        check.result = Result::CountTooLarge;
        break;
    case Load::BlockUnusable:
        break; // the block's own reading says where and what, below
    case Load::RuleUnusable:
        break; // the bytes are sound: a rule's values are not the layout's business
    }
    if (report.result == Load::Complete || report.result == Load::BlockUnusable ||
        report.result == Load::RuleUnusable) {
        // The loader's own reading of the block, so that both always agree.
        const size_t pos = check.offset;
        const CRuleBlock::CVerdict block =
            CRuleBlock::Parse(data + pos, size - pos, pos, check.count);
        switch (block.status) {
        case CRuleBlock::CVerdict::Status::None:
            break;
        case CRuleBlock::CVerdict::Status::Sound:
            check.hasBlock = true;
            check.offset = pos + block.size;
            break;
        case CRuleBlock::CVerdict::Status::Damaged:
        case CRuleBlock::CVerdict::Status::Newer:
            check.result = block.status == CRuleBlock::CVerdict::Status::Newer
                               ? Result::BlockNewer
                               : Result::BlockDamaged;
            check.offset = static_cast<size_t>(block.offset);
            check.blockProblem = ToUtf8(block.problem.View());
            return check;
        }
        check.result = check.offset == size ? Result::Sound : Result::TrailingBytes;
    }
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
