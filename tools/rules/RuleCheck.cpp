#include "RuleCheck.h"

#include "framework/Archive.h"
#include "rules/RuleSet.h"

#include <cstring>

namespace {

// Bytes already in memory, read where they are.
class CBytesView : public CFile {
public:
    CBytesView(const BYTE* data, size_t size) : m_data(data), m_size(size) {}
    UINT Read(void* buffer, UINT count) override {
        const size_t n = count < m_size - m_pos ? count : m_size - m_pos;
        if (n != 0)
            std::memcpy(buffer, m_data + m_pos, n);
        m_pos += n;
        return static_cast<UINT>(n);
    }
    void Write(const void*, UINT) override { throw CArchiveException(CArchiveException::badIndex); }

private:
    const BYTE* m_data;
    size_t m_size;
    size_t m_pos = 0;
};

std::string Plural(long long n, const char* one, const char* many) {
    return std::to_string(n) + " " + (n == 1 ? one : many);
}

} // namespace

CRuleFileCheck CheckRuleFile(const BYTE* data, size_t size, CRuleSet* rules) {
    using Result = CRuleFileCheck::Result;
    using Load = CRuleFileReport::Result;
    CRuleSet scratch;
    CBytesView file(data, size);
    CArchive ar(&file, CArchive::load);
    const CRuleFileReport report = (rules != nullptr ? *rules : scratch).Load(ar);

    CRuleFileCheck check;
    check.size = size;
    check.count = report.count;
    check.complete = report.complete;
    check.offset = static_cast<size_t>(report.offset);
    switch (report.result) {
    case Load::Complete:
        check.result = check.offset == size ? Result::Sound : Result::TrailingBytes;
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
               " after the last rule, which Quellix ignores";
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
