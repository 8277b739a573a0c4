// The rule file: Data.dat in the user's local application data folder.
#include "ui/QuellixDlg.h"

#include "framework/Archive.h"

void CQuellixDlg::Serialize(CArchive&) {}
void CQuellixDlg::SerializeRuleFile(BOOL) {}
