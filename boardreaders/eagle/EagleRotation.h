// SPDX-License-Identifier: GPL-3.0-or-later
// Eagle's rotation attribute ("R90", "MR180", "SMR45.5"): an angle counter-clockwise, a mirror
// (the object moves to the other side of the board) and a spin flag (texts only).
#pragma once

#include <string_view>

#include "boardreaders/Design.h"

namespace boards::eagle {

struct Rotation {
    double degrees = 0;  // [0, 360)
    bool mirror = false;
    bool spin = false;

    // "[S][M]R<angle>"; false when the text is not of that form. Empty reads as R0.
    static bool Parse(std::string_view text, Rotation& out);
};

// Where a point of a package lands on the board: turned counter-clockwise by the element's
// angle, then mirrored (x negated) when the element is, then moved to the element's origin.
// All in Eagle's frame (y up).
struct Placement {
    Point origin;
    Rotation rotation;
    double cosine = 1, sine = 0;

    Placement(Point origin, Rotation rotation);
    Point Apply(Point local) const;
    // The rotation of a pad turned by `local` in its package, counter-clockwise.
    double PadAngle(const Rotation& local) const;
};

}  // namespace boards::eagle
