#include "RuleFilePath.h"

namespace RuleFilePath {

CString CollapseBackslashes(StringView path) {
    // A UNC path (\\server\share\...) keeps the pair that starts it.
    const bool unc = path.size() >= 2 && path[0] == _T('\\') && path[1] == _T('\\');
    CString rest(unc ? path.substr(2) : path);
    rest.Replace(_T("\\\\"), _T("\\"));
    if (!unc)
        return rest;
    CString result(_T("\\\\"));
    result += rest;
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
