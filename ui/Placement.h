// The stored placement value: a WINDOWPLACEMENT as 44 little-endian bytes.
#pragma once

#include "framework/WinTypes.h"

#include <array>
#include <cstddef>
#include <cstdint>

inline constexpr size_t kPlacementSize = 44;

// False when fewer than 44 bytes are stored: such a value is not applied. Longer values
// are read from their first 44 bytes.
bool DecodePlacement(const BYTE* data, size_t size, WINDOWPLACEMENT& placement);
std::array<BYTE, kPlacementSize> EncodePlacement(const WINDOWPLACEMENT& placement);
