#include "SingleInstance.h"

CLimitSingleInstance::CLimitSingleInstance(const wchar_t* mutexName)
    : m_dwLastError(0), m_hMutex(::CreateMutexW(nullptr, FALSE, mutexName)) {
    m_dwLastError = ::GetLastError();
}

CLimitSingleInstance::~CLimitSingleInstance() {
    if (m_hMutex != nullptr) {
        ::CloseHandle(m_hMutex);
        m_hMutex = nullptr;
    }
}

bool ActivateRunningInstance(const wchar_t* appTitle) {
    HWND other = ::FindWindowW(nullptr, appTitle);
    if (other == nullptr || !::IsWindow(other))
        return false;
    // Asynchronous: a first instance that has stopped answering must not hang this start.
    ::ShowWindowAsync(other, SW_RESTORE);
    ::SetForegroundWindow(other);
    return true;
}
