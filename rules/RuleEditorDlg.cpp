#include "RuleEditorDlg.h"
