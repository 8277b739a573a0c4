// Portable mode: a Quellix.ini beside Quellix.exe keeps the settings (its [Settings] section)
// and Data.dat beside it the rules, so that nothing is written to the registry or the user's
// profile folder. The only place that decides it.
#pragma once

class CWinApp;

// Looks for the file and, when it is there, moves the profile and the rule file beside the
// program. A folder that cannot be written is said once; the program then runs on with what
// it read, in memory. True in portable mode.
bool StartPortableMode(CWinApp& app);
