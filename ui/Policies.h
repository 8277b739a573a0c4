// What an administrator sets for every user of the machine, by Group Policy or an MDM: the
// values under HKLM\SOFTWARE\Policies\Velmora\Quellix and what each means. The registry is
// read in ui/win/PolicyStore.cpp; this is the table, without the system.
#pragma once

#include "framework/String.h"

namespace Policies {

// Under HKEY_LOCAL_MACHINE, where the 32-bit and the 64-bit program read the same key.
inline constexpr const WCHAR16* kKey = _T("SOFTWARE\\Policies\\Velmora\\Quellix");
// The text of the WM_SETTINGCHANGE that says policies changed.
inline constexpr const WCHAR16* kChangeArea = _T("Policy");

inline constexpr const WCHAR16* kAllowPause = _T("AllowPause");
inline constexpr const WCHAR16* kAllowUserRules = _T("AllowUserRules");
inline constexpr const WCHAR16* kRulesFile = _T("RulesFile");

} // namespace Policies

// One value as the registry holds it; for an expandable string, already expanded.
struct CPolicyData {
    enum class Type { Missing, Number, String, Other };
    Type type = Type::Missing;
    DWORD number = 0;
    CString text;
};

// The policies in force. Without a value, everything is as if no administrator were there.
struct CPolicies {
    // Pause may be used, and a remembered pause is honoured.
    bool bAllowPause = true;
    // The user's own rules are loaded, and rules may be added.
    bool bAllowUserRules = true;
    // The organisation's rule file; empty when there is none.
    CString strRulesFile;

    // Gives the policy `name` the meaning of its value: a flag is off only as the number 0, a
    // file only as a string that is not blank. Any other value, or another type, keeps the
    // default; unknown names are not ours.
    void Apply(StringView name, const CPolicyData& value);
    friend bool operator==(const CPolicies&, const CPolicies&) = default;
};

// The names that Apply knows, in the order they are read.
inline constexpr const WCHAR16* kPolicyNames[] = {Policies::kAllowPause, Policies::kAllowUserRules,
                                                  Policies::kRulesFile};

// How a rule of the organisation's file is named in the rule list and the History.
CString ManagedRuleLabel(StringView name);
