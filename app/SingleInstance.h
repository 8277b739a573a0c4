// CLimitSingleInstance: the named mutex that lives while start-up runs.
#pragma once

#include <windows.h>

class CLimitSingleInstance {
public:
    explicit CLimitSingleInstance(const wchar_t* mutexName);
    virtual ~CLimitSingleInstance();
    CLimitSingleInstance(const CLimitSingleInstance&) = delete;
    CLimitSingleInstance& operator=(const CLimitSingleInstance&) = delete;

    // Recorded for diagnosis; whether another copy runs is decided by its window.
    DWORD m_dwLastError;
    HANDLE m_hMutex;
};

// Brings a running copy's main window forward; false when there is none.
bool ActivateRunningInstance(const wchar_t* appTitle);
