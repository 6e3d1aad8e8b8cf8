// SPDX-License-Identifier: GPL-3.0-or-later
// The design pcbhost has open, serves and draws: the board readers' model.
#pragma once

#include "boardreaders/Design.h"
#include "boardreaders/ReadError.h"

namespace pcbhost {

using boards::Attribute;
using boards::ChamferCorner;
using boards::Component;
using boards::Design;
using boards::kChamferBottomLeft;
using boards::kChamferBottomRight;
using boards::kChamferTopLeft;
using boards::kChamferTopRight;
using boards::kDesignUnitsPerMm;
using boards::Pad;
using boards::PadGeometry;
using boards::PadShape;
using boards::PadStyle;
using boards::PadType;
using boards::Point;
using boards::ReadError;
using boards::Segment;
using boards::TextStyle;

}  // namespace pcbhost
