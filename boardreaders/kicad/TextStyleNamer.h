// SPDX-License-Identifier: GPL-3.0-or-later
// Gives every distinct text style of a board's fields one text style with a readable name.
#pragma once

#include <string>
#include <unordered_map>
#include <unordered_set>

#include "boardreaders/Design.h"

namespace boards::kicad {

// A text's look as the board file gives it, mm.
struct TextLook {
    double height = 1.27;  // KiCad's default text size
    double width = 1.27;
    double thickness = -1;  // < 0: not given
    bool bold = false;
    bool italic = false;
    std::string face;  // empty: KiCad's own stroke font
};

class TextStyleNamer {
  public:
    explicit TextStyleNamer(Design& design) : design_(design) {}

    // Index into the design's text styles for this look, adding a style when it is new.
    int StyleFor(const TextLook& look);

    static std::string BaseName(const TextLook& look);

  private:
    Design& design_;
    std::unordered_map<std::string, int> styles_;  // by base name, which holds the whole key
    std::unordered_set<std::string> names_;
};

}  // namespace boards::kicad
