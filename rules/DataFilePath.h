// Where the rule file lies: Data.dat in the data folder of the user's local application data.
#pragma once

#include "framework/String.h"

// The full path of Data.dat; creates the data folder when it is missing. Empty when the shell
// gives no local application data folder.
CString GetDataFilePath();
