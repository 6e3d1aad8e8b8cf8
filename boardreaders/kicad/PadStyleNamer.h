// SPDX-License-Identifier: GPL-3.0-or-later
// Gives every distinct pad geometry of a board one pad style with a readable name.
#pragma once

#include <cstdint>
#include <string>
#include <unordered_map>
#include <unordered_set>

#include "boardreaders/Design.h"

namespace boards::kicad {

class PadStyleNamer {
  public:
    explicit PadStyleNamer(Design& design) : design_(design) {}

    // Index into the design's pad styles for this geometry, adding a style when it is new.
    // `extraKey` stands for what the geometry does not hold (custom primitives, per-layer
    // shapes); 0 when there is none.
    int StyleFor(const PadGeometry& geometry, uint64_t extraKey);

    // The name that the style of this geometry gets, before any collision suffix.
    static std::string BaseName(const PadGeometry& geometry, uint64_t extraKey);

  private:
    struct Key {
        int64_t v[13];
        uint64_t extra;
        bool operator==(const Key& o) const;
    };
    struct KeyHash {
        size_t operator()(const Key& k) const;
    };
    static Key MakeKey(const PadGeometry& g, uint64_t extraKey);

    Design& design_;
    std::unordered_map<Key, int, KeyHash> styles_;
    std::unordered_set<std::string> names_;
};

}  // namespace boards::kicad
