// What each policy value means, as the registry may hold it.
#include "ui/Policies.h"

#include <gtest/gtest.h>

namespace {

using Type = CPolicyData::Type;

CPolicyData Data(Type type, DWORD number = 0, const WCHAR16* text = _T("")) {
    CPolicyData data;
    data.type = type;
    data.number = number;
    data.text = text;
    return data;
}

CPolicies With(StringView name, CPolicyData value) {
    CPolicies policies;
    policies.Apply(name, value);
    return policies;
}

TEST(Policies, EachValueAsTheRegistryMayHoldIt) {
    struct Case {
        const WCHAR16* name;
        CPolicyData value;
        bool pause, userRules;
        const WCHAR16* rulesFile;
    } cases[] = {
        {Policies::kAllowPause, Data(Type::Missing), true, true, _T("")},
        {Policies::kAllowPause, Data(Type::Number, 0), false, true, _T("")},
        {Policies::kAllowPause, Data(Type::Number, 1), true, true, _T("")},
        {Policies::kAllowPause, Data(Type::Number, 2), true, true, _T("")},
        {Policies::kAllowPause, Data(Type::String, 0, _T("0")), true, true, _T("")},
        {Policies::kAllowPause, Data(Type::Other), true, true, _T("")},
        {Policies::kAllowUserRules, Data(Type::Number, 0), true, false, _T("")},
        {Policies::kAllowUserRules, Data(Type::Number, 0xFFFFFFFF), true, true, _T("")},
        {Policies::kAllowUserRules, Data(Type::String, 0, _T("")), true, true, _T("")},
        {Policies::kRulesFile, Data(Type::String, 0, _T(" C:\\Org\\Rules.dat ")), true, true,
         _T("C:\\Org\\Rules.dat")},
        {Policies::kRulesFile, Data(Type::String, 0, _T("  ")), true, true, _T("")},
        {Policies::kRulesFile, Data(Type::Number, 1), true, true, _T("")},
    };
    for (const Case& c : cases) {
        const CPolicies p = With(c.name, c.value);
        EXPECT_EQ(p.bAllowPause, c.pause) << &c - cases;
        EXPECT_EQ(p.bAllowUserRules, c.userRules) << &c - cases;
        EXPECT_EQ(p.strRulesFile, CString(c.rulesFile)) << &c - cases;
    }
}

TEST(Policies, AValueThatIsGoneAgainRestoresTheDefault) {
    CPolicies p;
    p.Apply(Policies::kAllowPause, Data(Type::Number, 0));
    p.Apply(Policies::kRulesFile, Data(Type::String, 0, _T("x.dat")));
    for (const WCHAR16* name : kPolicyNames)
        p.Apply(name, Data(Type::Missing));
    EXPECT_EQ(p, CPolicies());
}

} // namespace
