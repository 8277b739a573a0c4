// The main dialog's rule file: loaded at start, saved after every change and at the end.
#include "QuellixDlg.h"

#include "framework/win/App.h"
#include "rules/DataFilePath.h"

void CQuellixDlg::SerializeRuleFile() {
    LoadManagedRules();
    const CString path = GetDataFilePath();
    if (path.IsEmpty() || !m_policies.bAllowUserRules) {
        ShowRuleCount();
        return; // nowhere to keep rules, or none allowed: skip without a message
    }
    m_ruleFile = CRuleFile(path);
    const CRuleFile::CLoadResult result = m_ruleFile.Load(m_rules);
    ShowRuleCount();
    if (result.status == CRuleFile::LoadStatus::Incomplete) {
        MessageBox(result.message, AfxGetApp()->m_strAppName, MB_OK | MB_ICONEXCLAMATION);
    } else if (!result.message.IsEmpty()) {
        // What became of the details an older Quellix left out: saved at once, so that the
        // next start finds them in the file and says nothing.
        SaveRules(false);
        MessageBox(result.message, AfxGetApp()->m_strAppName, MB_OK | MB_ICONINFORMATION);
    }
}

bool CQuellixDlg::SaveRules(bool report) {
    // Built anew each time: the data folder is created again if it was removed.
    const CString path = GetDataFilePath();
    if (path.IsEmpty() || !DataFileWritable() || !m_policies.bAllowUserRules)
        return false; // the start said once that nothing is kept; or the file is left as it is
    // The user's rules only: the organisation's are never written.
    CRuleSet own;
    const CRuleSet* rules = &m_rules;
    if (m_nManagedRules > 0) {
        for (int i = m_nManagedRules; i < m_rules.GetCount(); ++i)
            own.Add(m_rules.GetAt(i));
        rules = &own;
    }
    const CRuleFile::CSaveResult result = m_ruleFile.Save(*rules);
    if (!result.saved && report)
        MessageBox(result.message, AfxGetApp()->m_strAppName, MB_OK | MB_ICONEXCLAMATION);
    return result.saved;
}

void CQuellixDlg::ReloadRules() {
    for (int i = 0; i < m_rules.GetCount(); ++i) {
        m_watcher.ForgetRule(m_rules.GetAt(i).m_nId);
        m_history.ForgetRule(m_rules.GetAt(i).m_nId);
    }
    m_listRules.SetItemCountEx(0);
    m_rules.Clear();
    m_nManagedRules = 0;
    SerializeRuleFile();
    m_watcher.UpdateHooks();
}
