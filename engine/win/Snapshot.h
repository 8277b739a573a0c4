// Reading what matching needs of a window: its class, its whole caption, its rectangle and its
// styles. No message is sent to the window, so a hung window cannot stall the reader; only a
// dialog's message, which a rule asks for last, is read with a short timeout.
#pragma once

#include "engine/Match.h"
#include "engine/win/DialogControls.h"

#include <vector>

class CSnapshotReader {
public:
    // The snapshot's texts point into this reader and stay valid until the next Read. After
    // the first caption of a size, reading allocates nothing. The process image is read only
    // when asked (it opens the process).
    const CWindowSnapshot& Read(HWND hwnd, bool withProcess = false);
    // The same, with the caption that ReadCaption read last: for a reader that looks at the
    // caption before it reads the rest.
    const CWindowSnapshot& ReadAfterCaption(HWND hwnd, bool withProcess);
    // The class name alone, and the stored caption alone, whole; each stays valid until the
    // next read of the same text.
    StringView ReadClass(HWND hwnd);
    StringView ReadCaption(HWND hwnd);
    // The full path of the window's process image; empty when the process cannot be opened.
    StringView ReadProcess(HWND hwnd);

private:
    WCHAR m_szClass[512] = {};
    std::vector<WCHAR> m_caption = std::vector<WCHAR>(256);
    // A path may be up to 32767 units long; the buffer is made at the first read.
    std::vector<WCHAR> m_process;
    CDialogMessageSource m_message; // read only when a rule asks for it
    CWindowSnapshot m_snapshot;
};
