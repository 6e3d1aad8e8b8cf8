// SPDX-License-Identifier: LGPL-3.0-or-later
// Little-endian helpers shared by the codecs.
#pragma once

#include <cstdint>
#include <vector>

namespace dbx {

inline void PutU32(std::vector<uint8_t>& out, uint32_t v) {
    out.push_back(uint8_t(v));
    out.push_back(uint8_t(v >> 8));
    out.push_back(uint8_t(v >> 16));
    out.push_back(uint8_t(v >> 24));
}

inline uint32_t GetU32(const uint8_t* p) {
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

}  // namespace dbx
