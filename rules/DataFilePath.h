// Where the rule file lies: Data.dat in the data folder of the user's local application data,
// or, in portable mode, the file the program was given.
#pragma once

#include "framework/String.h"

// The full path of Data.dat; creates the data folder when it is missing. Empty when the shell
// gives no local application data folder.
CString GetDataFilePath();
// Portable mode: from now on the rules are in this file, and no folder is created. With
// `writable` false they are never saved: they live in memory until the program ends.
void UseDataFile(const CString& path, bool writable);
// False when the rules may not be saved.
bool DataFileWritable();
