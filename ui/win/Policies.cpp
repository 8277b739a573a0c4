// The main dialog under its administrator's policies: read at start and whenever the system
// says policies changed, and what each takes away (Pause, the user's own rules) or adds (the
// organisation's rule file).
#include "QuellixDlg.h"

#include "framework/win/App.h"
#include "framework/win/MessageMap.h"
#include "ui/Policies.h"
#include "ui/win/SettingsStore.h"

#include <string>

namespace {

CPolicyData ReadPolicyValue(HKEY key, const WCHAR* name) {
    CPolicyData data;
    DWORD type = 0, size = 0;
    if (::RegQueryValueExW(key, name, nullptr, &type, nullptr, &size) != ERROR_SUCCESS)
        return data;
    std::wstring bytes(size / sizeof(WCHAR) + 1, L'\0');
    if (::RegQueryValueExW(key, name, nullptr, &type, reinterpret_cast<BYTE*>(bytes.data()),
                           &size) != ERROR_SUCCESS)
        return data;
    if (type == REG_DWORD && size == sizeof(DWORD)) {
        data.type = CPolicyData::Type::Number;
        std::memcpy(&data.number, bytes.data(), sizeof(DWORD));
    } else if (type == REG_SZ || type == REG_EXPAND_SZ) {
        data.type = CPolicyData::Type::String;
        data.text = bytes.c_str(); // up to the first zero, stored or not
        if (type == REG_EXPAND_SZ) {
            std::wstring expanded(32768, L'\0');
            const DWORD n = ::ExpandEnvironmentStringsW(data.text, expanded.data(),
                                                        static_cast<DWORD>(expanded.size()));
            data.text = n > 0 && n <= expanded.size() ? expanded.c_str() : L"";
        }
    } else {
        data.type = CPolicyData::Type::Other;
    }
    return data;
}

} // namespace

CPolicies ReadPolicies() {
    CPolicies policies;
    // Policies is one of the keys that 32-bit programs share with 64-bit ones; asking for the
    // 64-bit view says so, and is the same key on a 32-bit Windows.
    HKEY opened = nullptr;
    if (::RegOpenKeyExW(HKEY_LOCAL_MACHINE, Policies::kKey, 0, KEY_QUERY_VALUE | KEY_WOW64_64KEY,
                        &opened) != ERROR_SUCCESS)
        return policies;
    CRegKey key(opened);
    for (const WCHAR* name : kPolicyNames)
        policies.Apply(name, ReadPolicyValue(key.Get(), name));
    return policies;
}

bool CQuellixDlg::OnPolicyMsg(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) {
    using M = CMessageMap<CQuellixDlg>;
    static const M::Entry messageMap[] = {
        M::Raw<&CQuellixDlg::OnSettingChange>(WM_SETTINGCHANGE),
        M::Raw<&CQuellixDlg::OnReloadRules>(kReloadRulesMsg),
        M::Raw<&CQuellixDlg::OnEnable>(WM_ENABLE),
    };
    return M::Dispatch(messageMap, *this, msg, wp, lp, result);
}

LRESULT CQuellixDlg::OnSettingChange(WPARAM, LPARAM lp) {
    const auto* area = reinterpret_cast<const WCHAR*>(lp);
    if (area != nullptr && ::lstrcmpiW(area, Policies::kChangeArea) == 0)
        ApplyPolicies(ReadPolicies());
    return 0;
}

void CQuellixDlg::ApplyPolicies(const CPolicies& policies) {
    const bool rulesChanged = policies.bAllowUserRules != m_policies.bAllowUserRules ||
                              policies.strRulesFile != m_policies.strRulesFile;
    m_policies = policies;
    if (!m_policies.bAllowPause && m_watcher.IsPaused())
        m_watcher.SetPaused(false);
    ShowPauseState();
    if (rulesChanged)
        PostMessage(kReloadRulesMsg);
}

// The rules are loaded again only from the program's own loop: a command that runs a modal
// loop (the editor, a question) may hold a rule while its loop takes this message.
LRESULT CQuellixDlg::OnReloadRules(WPARAM, LPARAM) {
    m_bReloadPending = !::IsWindowEnabled(m_hWnd);
    if (!m_bReloadPending)
        ReloadRules();
    return 0;
}

LRESULT CQuellixDlg::OnEnable(WPARAM enabled, LPARAM) {
    // Posted: the command that opened the modal window has not returned yet.
    if (enabled && m_bReloadPending)
        PostMessage(kReloadRulesMsg);
    return 0;
}

bool CQuellixDlg::RefuseUserRules() {
    if (m_policies.bAllowUserRules)
        return false;
    MessageBox(L"Your administrator does not allow rules of your own on this computer.", nullptr,
               MB_OK | MB_ICONINFORMATION);
    return true;
}

bool CQuellixDlg::RefuseManagedRule(int row, const WCHAR* what) {
    if (!IsManagedRule(row))
        return false;
    CString text;
    text.Format(L"This rule is managed by your organisation: it cannot be %s here.\n\nIt comes "
                L"from the rule file %s, which your administrator set.",
                what, m_policies.strRulesFile);
    MessageBox(text, nullptr, MB_OK | MB_ICONINFORMATION);
    return true;
}

void CQuellixDlg::LoadManagedRules() {
    m_nManagedRules = 0;
    if (m_policies.strRulesFile.IsEmpty())
        return;
    CRuleFile file(m_policies.strRulesFile);
    CRuleFile::CLoadResult result = file.Load(m_rules);
    if (result.status == CRuleFile::LoadStatus::Loaded) {
        m_nManagedRules = m_rules.GetCount();
        m_strReportedManagedFile.Empty();
        return;
    }
    // All of it or nothing: the organisation's rules are not applied in part.
    m_rules.Clear(); // they are the first: nothing else is in the set yet
    if (m_strReportedManagedFile == m_policies.strRulesFile)
        return; // said once for this file
    m_strReportedManagedFile = m_policies.strRulesFile;
    CString text;
    text.Format(L"The rule file that your administrator set for Quellix cannot be read completely, "
                L"so none of its rules are used:\n%s",
                m_policies.strRulesFile);
    if (result.status == CRuleFile::LoadStatus::Missing) {
        text += L"\n\nThe file does not exist.";
    } else if (!result.message.IsEmpty()) {
        text += L"\n\n";
        text += result.message.View().substr(0, result.message.View().find(L"\n\n"));
    }
    MessageBox(text, AfxGetApp()->m_strAppName, MB_OK | MB_ICONEXCLAMATION);
}
