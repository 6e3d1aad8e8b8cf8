// SPDX-License-Identifier: GPL-3.0-or-later
// Pieces shared by the pad-style and text-style names.
#pragma once

#include <cstdint>
#include <string>
#include <unordered_set>

#include "HashCombine.h"

namespace boards::kicad {

// A length or ratio quantised to millionths (KiCad's nanometre grid for mm).
int64_t Quantise(double value);
// A quantised value as a decimal without trailing zeros: 1050000 -> "1.05", 2000000 -> "2".
std::string FormatQuantised(int64_t micros);
// Cuts `name` to fit `capacity` bytes (terminator included), ending it with a hash of `key` so
// that cut names stay distinct.
std::string FitName(std::string name, uint64_t key, size_t capacity);
// " #" and 8 hex digits of the key.
std::string HashSuffix(uint64_t key);
// `base` fitted to `capacity`, or, when another key already took that name, the first free
// "base ~N"; the name returned is added to `taken`.
std::string UniqueName(const std::string& base, uint64_t key, size_t capacity,
                       std::unordered_set<std::string>& taken);

}  // namespace boards::kicad
