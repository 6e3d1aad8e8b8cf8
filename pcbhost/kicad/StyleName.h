// Pieces shared by the pad-style and text-style names.
#pragma once

#include <cstdint>
#include <string>

namespace pcbhost::kicad {

// A length or ratio quantised to millionths (KiCad's nanometre grid for mm).
int64_t Quantise(double value);
// A quantised value as a decimal without trailing zeros: 1050000 -> "1.05", 2000000 -> "2".
std::string FormatQuantised(int64_t micros);
// Cuts `name` to fit `capacity` bytes (terminator included), ending it with a hash of `key` so
// that cut names stay distinct.
std::string FitName(std::string name, uint64_t key, size_t capacity);
uint64_t HashCombine(uint64_t h, uint64_t v);

}  // namespace pcbhost::kicad
