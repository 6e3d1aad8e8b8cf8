// SPDX-License-Identifier: GPL-3.0-or-later
#include "EagleRotation.h"

#include <charconv>
#include <cmath>

namespace boards::eagle {
namespace {

constexpr double kPi = 3.14159265358979323846;

double Normalised(double degrees) {
    double d = std::fmod(degrees, 360.0);
    if (d < 0) d += 360.0;
    return d == 360.0 ? 0.0 : d;
}

}  // namespace

bool Rotation::Parse(std::string_view text, Rotation& out) {
    Rotation r;
    size_t i = 0;
    if (i < text.size() && text[i] == 'S') r.spin = true, ++i;
    if (i < text.size() && text[i] == 'M') r.mirror = true, ++i;
    if (text.empty()) {
        out = r;
        return true;
    }
    if (i >= text.size() || text[i] != 'R') return false;
    ++i;
    const char* begin = text.data() + i;
    const char* end = text.data() + text.size();
    if (begin == end || *begin == '+') return false;
    double degrees = 0;
    const auto [ptr, ec] = std::from_chars(begin, end, degrees);
    if (ec != std::errc() || ptr != end || !std::isfinite(degrees) || std::fabs(degrees) > 1e6)
        return false;
    r.degrees = Normalised(degrees);
    out = r;
    return true;
}

Placement::Placement(Point origin, Rotation rotation) : origin(origin), rotation(rotation) {
    // Right angles exactly: a pad at (1, 0) turned R90 lands on (0, 1), not (6e-17, 1).
    const double d = rotation.degrees;
    if (d == 0) {
        cosine = 1, sine = 0;
    } else if (d == 90) {
        cosine = 0, sine = 1;
    } else if (d == 180) {
        cosine = -1, sine = 0;
    } else if (d == 270) {
        cosine = 0, sine = -1;
    } else {
        cosine = std::cos(d * kPi / 180.0);
        sine = std::sin(d * kPi / 180.0);
    }
}

Point Placement::Apply(Point local) const {
    double x = local.x * cosine - local.y * sine;
    const double y = local.x * sine + local.y * cosine;
    if (rotation.mirror) x = -x;
    return {origin.x + x, origin.y + y};
}

double Placement::PadAngle(const Rotation& local) const {
    // Pad shapes are symmetric about their own axes, so a mirror turns them the other way.
    const double turned = rotation.degrees + local.degrees;
    return Normalised(rotation.mirror ? -turned : turned);
}

}  // namespace boards::eagle
