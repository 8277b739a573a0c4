#include "Placement.h"

namespace {

std::uint32_t Get(const BYTE* p, size_t offset) {
    p += offset;
    return std::uint32_t(p[0]) | std::uint32_t(p[1]) << 8 | std::uint32_t(p[2]) << 16 |
           std::uint32_t(p[3]) << 24;
}

void Put(BYTE* p, size_t offset, std::uint32_t v) {
    p += offset;
    p[0] = BYTE(v);
    p[1] = BYTE(v >> 8);
    p[2] = BYTE(v >> 16);
    p[3] = BYTE(v >> 24);
}

LONG Signed(std::uint32_t v) {
    return static_cast<LONG>(static_cast<std::int32_t>(v));
}

} // namespace

bool DecodePlacement(const BYTE* data, size_t size, WINDOWPLACEMENT& wp) {
    if (data == nullptr || size < kPlacementSize)
        return false;
    wp.length = Get(data, 0);
    wp.flags = Get(data, 4);
    wp.showCmd = Get(data, 8);
    wp.ptMinPosition = {Signed(Get(data, 12)), Signed(Get(data, 16))};
    wp.ptMaxPosition = {Signed(Get(data, 20)), Signed(Get(data, 24))};
    wp.rcNormalPosition = {Signed(Get(data, 28)), Signed(Get(data, 32)), Signed(Get(data, 36)),
                           Signed(Get(data, 40))};
    return true;
}

std::array<BYTE, kPlacementSize> EncodePlacement(const WINDOWPLACEMENT& wp) {
    std::array<BYTE, kPlacementSize> out{};
    const std::uint32_t fields[11] = {wp.length,
                                      wp.flags,
                                      wp.showCmd,
                                      static_cast<std::uint32_t>(wp.ptMinPosition.x),
                                      static_cast<std::uint32_t>(wp.ptMinPosition.y),
                                      static_cast<std::uint32_t>(wp.ptMaxPosition.x),
                                      static_cast<std::uint32_t>(wp.ptMaxPosition.y),
                                      static_cast<std::uint32_t>(wp.rcNormalPosition.left),
                                      static_cast<std::uint32_t>(wp.rcNormalPosition.top),
                                      static_cast<std::uint32_t>(wp.rcNormalPosition.right),
                                      static_cast<std::uint32_t>(wp.rcNormalPosition.bottom)};
    for (size_t i = 0; i < 11; ++i)
        Put(out.data(), 4 * i, fields[i]);
    return out;
}
