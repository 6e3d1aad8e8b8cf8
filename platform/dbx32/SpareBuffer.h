// SPDX-License-Identifier: LGPL-3.0-or-later
// The byte buffer of the last design closed, kept for the next one to be received into: a
// large design then reuses pages already mapped instead of having fresh ones mapped and
// cleared at every open. One buffer at most, the largest offered lately.
#pragma once

#include <cstdint>
#include <vector>

namespace dbx {

class SpareBuffer {
  public:
    // The spare buffer (empty, with its capacity), or an empty vector when none is kept.
    static std::vector<uint8_t> Take();
    // Keeps the buffer unless a larger one is kept already.
    static void Offer(std::vector<uint8_t> buffer);
};

}  // namespace dbx
