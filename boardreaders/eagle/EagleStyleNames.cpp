// SPDX-License-Identifier: GPL-3.0-or-later
#include "EagleStyleNames.h"

#include <algorithm>
#include <cmath>

namespace boards::eagle {
namespace {

using ipc2581::FormatMm;
using ipc2581::LengthUnit;

constexpr double kPi = 3.14159265358979323846;

std::string Size(const std::string& x, const std::string& y) {
    return x == y ? x : x + "x" + y;
}

// An octagon with flats `across` apart, its sides along the axes.
std::vector<Point> Octagon(double across) {
    std::vector<Point> points;
    const double r = across / 2 / std::cos(kPi / 8);
    for (int i = 0; i < 8; ++i) {
        const double a = kPi / 8 + i * kPi / 4;
        points.push_back({r * std::cos(a), r * std::sin(a)});
    }
    return points;
}

PadStyle ThroughHoleStyle(const PackagePad& pad, const PadRules& rules) {
    PadStyle style;
    const double drill = pad.drill.ToDouble();
    const double restring =
        std::max(rules.restringMinMm, std::min(rules.restringMaxMm, rules.restringRatio * drill));
    const double ruled = drill + 2 * restring;
    const double library = pad.diameter.ToDouble();
    // The library's diameter when Eagle is told to use it and it is the larger.
    const bool fromLibrary = library > 0 && rules.useLibraryDiameter && library >= ruled - 1e-9;
    const double diameter = fromLibrary ? library : ruled;
    const std::string across =
        fromLibrary ? pad.diameter.FormatMm(LengthUnit::Millimetre()) : FormatMm(ruled);
    const std::string hole = " D" + pad.drill.FormatMm(LengthUnit::Millimetre());

    PadGeometry& g = style.geometry;
    g.type = PadType::ThroughHole;
    g.drillX = g.drillY = drill;
    g.sizeX = g.sizeY = diameter;
    switch (pad.shape) {
        case EaglePadShape::Round:
            g.shape = PadShape::Circle;
            style.name = "THT Round " + across + hole;
            break;
        case EaglePadShape::Square:
            g.shape = PadShape::Rect;
            style.name = "THT Square " + across + hole;
            break;
        case EaglePadShape::Octagon:
            g.shape = PadShape::Custom;
            g.customPolygons.push_back(Octagon(diameter));
            style.name = "THT Octagon " + across + hole;
            break;
        case EaglePadShape::Long:
        case EaglePadShape::Offset: {
            const bool offset = pad.shape == EaglePadShape::Offset;
            const double length =
                diameter * (1 + (offset ? rules.offsetElongation : rules.longElongation) / 100);
            g.shape = PadShape::Oval;
            g.sizeX = length;
            // An offset pad's copper reaches out to one side of its drill.
            if (offset) g.drillOffset = {-(length - diameter) / 2, 0};
            style.name = std::string(offset ? "THT Offset " : "THT Long ") +
                         Size(FormatMm(length), across) + hole;
            break;
        }
    }
    style.holeDiameter = static_cast<int32_t>(pad.drill.ToScaledMm(LengthUnit::Millimetre(), 2540));
    return style;
}

PadStyle SmdStyle(const PackagePad& pad) {
    PadStyle style;
    PadGeometry& g = style.geometry;
    g.type = PadType::Smd;
    g.sizeX = pad.dx.ToDouble();
    g.sizeY = pad.dy.ToDouble();
    const std::string x = pad.dx.FormatMm(LengthUnit::Millimetre());
    const std::string y = pad.dy.FormatMm(LengthUnit::Millimetre());
    if (pad.roundness <= 0) {
        g.shape = PadShape::Rect;
        style.name = "SMD Rect " + Size(x, y);
    } else if (pad.roundness >= 100) {
        g.shape = x == y ? PadShape::Circle : PadShape::Oval;
        style.name = (x == y ? "SMD Round " : "SMD Oval ") + Size(x, y);
    } else {
        // Roundness is the corner radius in percent of half the shorter side.
        g.shape = PadShape::RoundRect;
        g.roundRectRatio = pad.roundness / 200.0;
        style.name = "SMD RoundRect " + Size(x, y) + " R" + std::to_string(pad.roundness) + "%";
    }
    return style;
}

std::string Capitalised(std::string text) {
    if (!text.empty() && text[0] >= 'a' && text[0] <= 'z') text[0] = char(text[0] - 'a' + 'A');
    return text;
}

}  // namespace

PadStyle PadStyleFor(const PackagePad& pad, const PadRules& rules) {
    return pad.smd ? SmdStyle(pad) : ThroughHoleStyle(pad, rules);
}

std::string TextStyleName(const TextLook& look) {
    return Capitalised(look.font.empty() ? "proportional" : look.font) + " " + FormatMm(look.size) +
           " " + std::to_string(look.ratio) + "%";
}

}  // namespace boards::eagle
