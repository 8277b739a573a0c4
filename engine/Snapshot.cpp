#include "Snapshot.h"

const CWindowSnapshot& CSnapshotReader::Read(HWND hwnd) {
    m_szClass[0] = 0;
    const int classLength = ::GetClassNameW(hwnd, m_szClass, 512);
    m_snapshot.strClass =
        StringView(m_szClass, classLength > 0 ? static_cast<size_t>(classLength) : 0);

    // The stored caption, whole: unlike GetWindowText this never sends WM_GETTEXT, not even to
    // a window of this process.
    for (;;) {
        m_caption[0] = 0;
        int n = ::InternalGetWindowText(hwnd, m_caption.data(), static_cast<int>(m_caption.size()));
        if (n < 0)
            n = 0;
        if (static_cast<size_t>(n) + 1 < m_caption.size()) {
            m_snapshot.strTitle = StringView(m_caption.data(), static_cast<size_t>(n));
            break;
        }
        m_caption.resize(m_caption.size() * 2);
    }

    m_snapshot.rcWindow = RECT{0, 0, 0, 0};
    ::GetWindowRect(hwnd, &m_snapshot.rcWindow);
    m_snapshot.dwStyle = static_cast<DWORD>(::GetWindowLongW(hwnd, GWL_STYLE));
    m_snapshot.dwExStyle = static_cast<DWORD>(::GetWindowLongW(hwnd, GWL_EXSTYLE));
    return m_snapshot;
}
