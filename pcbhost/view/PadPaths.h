// SPDX-License-Identifier: GPL-3.0-or-later
// A pad style's copper and drill hole as painter paths, in the pad's own frame (mm).
#pragma once

#include <QPainterPath>

#include "pcbhost/Design.h"

namespace pcbhost::view {

struct PadPaths {
    QPainterPath copper;
    QPainterPath hole;  // empty when the pad is not drilled

    // Sizes that are missing, negative, not finite or absurd are replaced by a small square so
    // that every pad stays visible and can be highlighted.
    static PadPaths Build(const PadGeometry& geometry);
};

}  // namespace pcbhost::view
