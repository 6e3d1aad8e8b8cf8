// SPDX-License-Identifier: GPL-3.0-or-later
#include "EagleUnits.h"

#include <charconv>
#include <cmath>

namespace boards::eagle {

bool ParseEagleLength(std::string_view text, double& mm) {
    double value = 0;
    const char* end = text.data() + text.size();
    const auto [ptr, ec] = std::from_chars(text.data(), end, value);
    if (text.empty() || ec != std::errc() || !std::isfinite(value)) return false;
    const std::string_view unit(ptr, static_cast<size_t>(end - ptr));
    if (unit.empty() || unit == "mm")
        mm = value;
    else if (unit == "mil")
        mm = value * 0.0254;
    else if (unit == "inch")
        mm = value * 25.4;
    else if (unit == "mic")
        mm = value * 0.001;
    else
        return false;
    return true;
}

}  // namespace boards::eagle
