// Data.dat on the disk: loaded so that no byte of a damaged or unreadable file is ever lost, and
// saved through a temporary file so that a failed save leaves the previous file intact.
#pragma once

#include "framework/String.h"

#include <functional>

class CArchive;
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
        // Incomplete: what went wrong, then that the file is kept and under which name. Loaded:
        // empty, or what became of the rule details that an older Quellix's save left out.
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
    // so far stay, and the file is moved aside before the first save replaces it. Records
    // without their details, as an older Quellix saves them, get back the details kept beside
    // the file (`<file>.details`) when they are the records those belong to.
    CLoadResult Load(CRuleSet& rules, int retryMs = 2000);
    // Saves the rules, and beside them a copy of their details (or removes a stale one).
    CSaveResult Save(const CRuleSet& rules);

private:
    // Writes a new temporary file beside `target` and names it in `temp`.
    bool WriteTemp(const CString& target, const std::function<void(CArchive&)>& store,
                   CString& temp, CString& message);
    // The copy of the rule details beside the file, written atomically like the file.
    void KeepDetails(const CRuleSet& rules);

    CString m_strPath;
    CString m_strAside; // non-empty while the file on disk must be kept
};
