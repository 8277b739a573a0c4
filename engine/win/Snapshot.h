// Reading what matching needs of a window: its class, its whole caption, its rectangle and its
// styles. No message is sent to the window, so a hung window cannot stall the reader.
#pragma once

#include "engine/Match.h"

#include <vector>

class CSnapshotReader {
public:
    // The snapshot's texts point into this reader and stay valid until the next Read. After
    // the first caption of a size, reading allocates nothing.
    const CWindowSnapshot& Read(HWND hwnd);
    // The class name alone, and the stored caption alone, whole; each stays valid until the
    // next read of the same text.
    StringView ReadClass(HWND hwnd);
    StringView ReadCaption(HWND hwnd);

private:
    WCHAR m_szClass[512] = {};
    std::vector<WCHAR> m_caption = std::vector<WCHAR>(256);
    CWindowSnapshot m_snapshot;
};
