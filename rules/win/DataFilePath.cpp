#include "rules/DataFilePath.h"

#include "rules/RuleFilePath.h"

#include <shlobj.h>

CString GetDataFilePath() {
    WCHAR base[MAX_PATH] = {};
    if (FAILED(
            ::SHGetFolderPathW(nullptr, CSIDL_LOCAL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, base)) ||
        base[0] == 0)
        return CString();
    const CString folder = RuleFilePath::DataFolder(base);
    if (::GetFileAttributesW(folder) == INVALID_FILE_ATTRIBUTES)
        ::CreateDirectoryW(folder, nullptr);
    return RuleFilePath::DataFile(folder.View());
}
