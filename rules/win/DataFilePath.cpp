#include "rules/DataFilePath.h"

#include "rules/RuleFilePath.h"

#include <shlobj.h>

namespace {

CString g_strGivenFile;
bool g_bWritable = true;

} // namespace

CString GetDataFilePath() {
    if (!g_strGivenFile.IsEmpty())
        return g_strGivenFile;
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

void UseDataFile(const CString& path, bool writable) {
    g_strGivenFile = path;
    g_bWritable = writable;
}

bool DataFileWritable() {
    return g_bWritable;
}
