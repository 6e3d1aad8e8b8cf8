// SPDX-License-Identifier: GPL-3.0-or-later
// Lengths in Eagle's design rules: a number and a unit ("10mil", "0.2mm", "0.01inch",
// "25mic"); a bare number is in mm.
#pragma once

#include <string_view>

namespace boards::eagle {

bool ParseEagleLength(std::string_view text, double& mm);

}  // namespace boards::eagle
