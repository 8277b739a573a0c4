// Where the rule file lies: path arithmetic without the shell.
#pragma once

#include "framework/String.h"

#include <cstdint>

namespace RuleFilePath {

inline constexpr const WCHAR16* kFolderName = _T("Velmora-Quellix");
inline constexpr const WCHAR16* kFileName = _T("Data.dat");

// Replaces every pair of backslashes by one, in one pass from left to right.
CString CollapseBackslashes(StringView path);
// The data folder inside the local application data folder, ending with a backslash.
CString DataFolder(StringView localAppData);
// Data.dat inside the data folder.
CString DataFile(StringView dataFolder);
// The file a save writes before it replaces Data.dat with it. `unique` > 0 makes a name of
// its own for one save, where other programs may save into the same folder at once.
CString TempFile(StringView dataFile, std::uint32_t unique = 0);

} // namespace RuleFilePath
