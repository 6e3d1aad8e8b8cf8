// SPDX-License-Identifier: GPL-3.0-or-later
// Mixes a value into a running 64-bit hash.
#pragma once

#include <cstdint>

namespace boards::kicad {

inline uint64_t HashCombine(uint64_t h, uint64_t v) {
    h ^= v + 0x9e3779b97f4a7c15ULL + (h << 6) + (h >> 2);
    return h * 0xff51afd7ed558ccdULL;
}

}  // namespace boards::kicad
