#include "Icons.h"

HICON SolidIcon(COLORREF colour) {
    BITMAPINFO bi{};
    bi.bmiHeader = {sizeof(BITMAPINFOHEADER), 16, -16, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    HBITMAP colourBitmap = ::CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
    auto* px = static_cast<DWORD*>(bits);
    for (int i = 0; i < 256; ++i)
        px[i] = (GetRValue(colour) << 16) | (GetGValue(colour) << 8) | GetBValue(colour);
    BYTE maskBits[32] = {}; // all opaque
    HBITMAP mask = ::CreateBitmap(16, 16, 1, 1, maskBits);
    ICONINFO ii{TRUE, 0, 0, mask, colourBitmap};
    HICON icon = ::CreateIconIndirect(&ii);
    ::DeleteObject(colourBitmap);
    ::DeleteObject(mask);
    return icon;
}
