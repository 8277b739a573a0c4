#include "Snapshot.h"

#include "framework/win/Handle.h"

const CWindowSnapshot& CSnapshotReader::Read(HWND hwnd, bool withProcess) {
    ReadCaption(hwnd);
    return ReadAfterCaption(hwnd, withProcess);
}

const CWindowSnapshot& CSnapshotReader::ReadAfterCaption(HWND hwnd, bool withProcess) {
    m_snapshot.strClass = ReadClass(hwnd);
    m_snapshot.rcWindow = RECT{0, 0, 0, 0};
    ::GetWindowRect(hwnd, &m_snapshot.rcWindow);
    m_snapshot.dwStyle = static_cast<DWORD>(::GetWindowLongW(hwnd, GWL_STYLE));
    m_snapshot.dwExStyle = static_cast<DWORD>(::GetWindowLongW(hwnd, GWL_EXSTYLE));
    m_snapshot.strProcess = withProcess ? ReadProcess(hwnd) : StringView();
    m_message.Reset(hwnd);
    m_snapshot.pMessage = &m_message;
    return m_snapshot;
}

StringView CSnapshotReader::ReadProcess(HWND hwnd) {
    DWORD pid = 0;
    if (::GetWindowThreadProcessId(hwnd, &pid) == 0 || pid == 0)
        return StringView();
    const CKernelHandle process(::OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid));
    if (!process)
        return StringView();
    if (m_process.empty())
        m_process.resize(32768);
    DWORD size = static_cast<DWORD>(m_process.size());
    if (!::QueryFullProcessImageNameW(process.Get(), 0, m_process.data(), &size))
        return StringView();
    return StringView(m_process.data(), size);
}

StringView CSnapshotReader::ReadClass(HWND hwnd) {
    m_szClass[0] = 0;
    const int length = ::GetClassNameW(hwnd, m_szClass, 512);
    return StringView(m_szClass, length > 0 ? static_cast<size_t>(length) : 0);
}

// Unlike GetWindowText this never sends WM_GETTEXT, which would wait forever on a window of
// this process whose thread has stopped answering.
StringView CSnapshotReader::ReadCaption(HWND hwnd) {
    for (;;) {
        m_caption[0] = 0;
        int n = ::InternalGetWindowText(hwnd, m_caption.data(), static_cast<int>(m_caption.size()));
        if (n < 0)
            n = 0;
        if (static_cast<size_t>(n) + 1 < m_caption.size())
            return m_snapshot.strTitle = StringView(m_caption.data(), static_cast<size_t>(n));
        m_caption.resize(m_caption.size() * 2);
    }
}
