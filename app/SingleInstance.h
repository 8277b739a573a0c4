// CSingleInstance: one copy per user session. A named mutex decides, held for the whole run;
// the running copy publishes its process id so that a later start can bring it forward.
#pragma once

#include "framework/win/Handle.h"

#include <windows.h>

class CSingleInstance {
public:
    // `name` is a bare name: the objects are made in the session's Local\ namespace.
    explicit CSingleInstance(const wchar_t* name);
    CSingleInstance(const CSingleInstance&) = delete;
    CSingleInstance& operator=(const CSingleInstance&) = delete;

    // True when this process holds the mutex: it is the one copy that runs.
    bool IsFirst() const { return m_bFirst; }
    // The first copy: its main window exists, a later start may now look for it.
    void AnnounceReady() const;
    // A later copy: brings the running copy's main window forward (the dialog of the mutex
    // holder's process). Waits a bounded time for a copy that is still starting.
    void ActivateFirst() const;

private:
    CKernelHandle m_mutex;
    CKernelHandle m_ready;   // set once the first copy's main window exists
    CKernelHandle m_ownerId; // the first copy's process id
    bool m_bFirst = false;
};
