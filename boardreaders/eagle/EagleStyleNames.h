// SPDX-License-Identifier: GPL-3.0-or-later
// The pad style of a package pad (its name, hole and shape) and the name of a text style, by
// the rules in README.md.
#pragma once

#include <string>

#include "EagleModel.h"

namespace boards::eagle {

// "THT Round 1.8796 D1.016", "SMD RoundRect 1x1 R30%"...; a <pad> without a diameter is sized
// by `rules`.
PadStyle PadStyleFor(const PackagePad& pad, const PadRules& rules);

// "Vector 0.8128 18%": font, size in mm, stroke ratio.
std::string TextStyleName(const TextLook& look);

}  // namespace boards::eagle
