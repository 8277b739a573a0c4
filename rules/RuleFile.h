// Data.dat on the disk: loaded so that no byte of a damaged or unreadable file is ever lost, and
// saved through a temporary file so that a failed save leaves the previous file intact.
#pragma once

#include "framework/String.h"

class CRuleSet;

// A local time to the second.
struct CDateTime {
    int year = 0;
    int month = 0;
    int day = 0;
    int hour = 0;
    int minute = 0;
    int second = 0;

    static CDateTime Now();
};

// "Data-unreadable-YYYYMMDD-HHMMSS.dat" beside the data file; `number` > 0 adds "-<number>".
CString UnreadableAsideName(StringView dataFile, const CDateTime& time, int number);

class CRuleFile {
public:
    enum class LoadStatus { Loaded, Missing, Incomplete };
    struct CLoadResult {
        LoadStatus status = LoadStatus::Missing;
        // Incomplete: what went wrong, then that the file is kept and under which name.
        CString message;
    };
    struct CSaveResult {
        bool saved = false;
        CString message; // why not
    };

    explicit CRuleFile(CString path) : m_strPath(std::move(path)) {}

    const CString& GetPath() const { return m_strPath; }
    // The name the file on disk gets before the first save, when it was not read whole.
    const CString& GetAsidePath() const { return m_strAside; }

    // Appends the file's rules. A file that exists but cannot be opened is tried again for
    // `retryMs` (sharing violations are usually brief). After an incomplete load the rules read
    // so far stay, and the file is moved aside before the first save replaces it.
    CLoadResult Load(CRuleSet& rules, int retryMs = 2000);
    CSaveResult Save(const CRuleSet& rules);

private:
    // Writes the rules to a new temporary file beside the rule file and names it in `temp`.
    bool WriteTemp(const CRuleSet& rules, CString& temp, CString& message);

    CString m_strPath;
    CString m_strAside; // non-empty while the file on disk must be kept
};
