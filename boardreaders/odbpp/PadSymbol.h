// SPDX-License-Identifier: GPL-3.0-or-later
// ODB++ standard symbols as pad shapes: "r1000" is a circle 1 mm across in a metric file,
// "rect2400x1600xr325" a rounded rectangle; names, sizes in mm and the drawn geometry.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "boardreaders/Design.h"

namespace boards::odbpp {

struct PadSymbol {
    // "Circle 1", "Rect 2.4x1.6", "Rect 1.6" (square), "RoundRect 1.3x1.3 R0.325",
    // "ChamferedRect 1x1 C0.2", "Oval 1.6x2.8", "Diamond 1x2", "Octagon 2x2 C0.5",
    // "Ellipse 1x2"; any other symbol: "Symbol NAME".
    std::string name;
    PadShape shape = PadShape::Custom;
    double sizeX = 0, sizeY = 0;  // mm; 0 for a symbol of unknown shape
    double cornerRatio = 0;       // RoundRect / ChamferedRect: radius or chamfer / min(size)
    bool known = false;
    std::vector<Point> polygon;  // Custom outlines given as vertices (mm, pad frame, y down)
};

// `sizeMm`: millimetres per size unit of the name (microns or mils).
PadSymbol DescribeSymbol(std::string_view symbol, double sizeMm);

// The hole a drill symbol makes, mm: a circle's diameter, a slot's or rectangle's smaller side;
// 0 when the symbol is none of these.
double DrillDiameter(std::string_view symbol, double sizeMm);

// Millimetres with at most four decimals, rounded half up, no trailing zeros: "0.4", "2.54".
std::string FormatMm(double mm);

}  // namespace boards::odbpp
