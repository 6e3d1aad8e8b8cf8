// SPDX-License-Identifier: GPL-3.0-or-later
// Encodes a Design as the snapshot that libDbx32 walks.
#pragma once

#include <cstdint>
#include <vector>

#include "Design.h"

namespace pcbhost {

class SnapshotBuilder {
  public:
    static std::vector<uint8_t> Build(const Design& design, uint32_t generation);

  private:
    static std::vector<uint8_t> Encode(const Design& design, uint32_t generation);
};

}  // namespace pcbhost
