#include "Policies.h"

namespace {

bool Flag(const CPolicyData& value) {
    return value.type != CPolicyData::Type::Number || value.number != 0;
}

StringView Trimmed(StringView s) {
    while (!s.empty() && (s.front() == _T(' ') || s.front() == _T('\t')))
        s.remove_prefix(1);
    while (!s.empty() && (s.back() == _T(' ') || s.back() == _T('\t')))
        s.remove_suffix(1);
    return s;
}

} // namespace

void CPolicies::Apply(StringView name, const CPolicyData& value) {
    if (name == Policies::kAllowPause)
        bAllowPause = Flag(value);
    else if (name == Policies::kAllowUserRules)
        bAllowUserRules = Flag(value);
    else if (name == Policies::kRulesFile)
        strRulesFile = value.type == CPolicyData::Type::String ? CString(Trimmed(value.text.View()))
                                                               : CString();
}

CString ManagedRuleLabel(StringView name) {
    CString label(_T("Managed"));
    if (!name.empty()) {
        label += _T(": ");
        label += name;
    }
    return label;
}
