#include "StyleName.h"

#include <cmath>
#include <cstdio>

namespace pcbhost::kicad {

int64_t Quantise(double value) {
    return std::llround(value * 1e6);
}

std::string FormatQuantised(int64_t micros) {
    const bool negative = micros < 0;
    const uint64_t magnitude = negative ? 0 - static_cast<uint64_t>(micros) : micros;
    std::string out = negative ? "-" : "";
    out += std::to_string(magnitude / 1000000);
    uint64_t fraction = magnitude % 1000000;
    if (fraction != 0) {
        char digits[8];
        std::snprintf(digits, sizeof digits, "%06u", static_cast<unsigned>(fraction));
        std::string frac(digits);
        while (!frac.empty() && frac.back() == '0') frac.pop_back();
        out += "." + frac;
    }
    return out;
}

uint64_t HashCombine(uint64_t h, uint64_t v) {
    h ^= v + 0x9e3779b97f4a7c15ULL + (h << 6) + (h >> 2);
    return h * 0xff51afd7ed558ccdULL;
}

std::string FitName(std::string name, uint64_t key, size_t capacity) {
    if (name.size() < capacity) return name;
    char suffix[16];
    std::snprintf(suffix, sizeof suffix, " #%08x", static_cast<unsigned>(key ^ (key >> 32)));
    name.resize(capacity - 1 - (sizeof(" #00000000") - 1));
    return name + suffix;
}

}  // namespace pcbhost::kicad
