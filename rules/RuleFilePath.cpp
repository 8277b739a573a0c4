#include "RuleFilePath.h"

namespace RuleFilePath {

CString CollapseBackslashes(StringView path) {
    CString result(path);
    result.Replace(_T("\\\\"), _T("\\"));
    return result;
}

CString DataFolder(StringView localAppData) {
    CString folder(localAppData);
    folder += _T("\\");
    folder += kFolderName;
    folder += _T("\\");
    return CollapseBackslashes(folder.View());
}

CString DataFile(StringView dataFolder) {
    CString file(dataFolder);
    file += _T("\\");
    file += kFileName;
    return CollapseBackslashes(file.View());
}

CString TempFile(StringView dataFile, std::uint32_t unique) {
    CString file(dataFile);
    file += _T(".tmp");
    if (unique > 0) {
        CString suffix;
        suffix.Format(_T("-%u"), unique);
        file += suffix;
    }
    return file;
}

} // namespace RuleFilePath
