// SPDX-License-Identifier: GPL-3.0-or-later
#include "StyleName.h"

#include <cmath>
#include <cstdio>

namespace boards::kicad {

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

std::string HashSuffix(uint64_t key) {
    char suffix[16];
    std::snprintf(suffix, sizeof suffix, " #%08x", static_cast<unsigned>(key ^ (key >> 32)));
    return suffix;
}

std::string FitName(std::string name, uint64_t key, size_t capacity) {
    if (name.size() < capacity) return name;
    const std::string suffix = HashSuffix(key);
    name.resize(capacity - 1 - suffix.size());
    return name + suffix;
}

std::string UniqueName(const std::string& base, uint64_t key, size_t capacity,
                       std::unordered_set<std::string>& taken) {
    std::string name = FitName(base, key, capacity);
    for (uint64_t attempt = 1; taken.count(name) != 0; ++attempt)
        name = FitName(base + " ~" + std::to_string(attempt), HashCombine(key, attempt), capacity);
    taken.insert(name);
    return name;
}

}  // namespace boards::kicad
