// SPDX-License-Identifier: GPL-3.0-or-later
#include "PcbDocStyleNames.h"

#include <cmath>
#include <cstdio>

namespace boards::pcbdoc {
namespace {

std::string LayerShape(const PcbDocPad& pad, int k) {
    const int32_t w = pad.sizeX[std::size_t(k)], h = pad.sizeY[std::size_t(k)];
    const std::string size = w == h ? FormatMm(w) : FormatMm(w) + "x" + FormatMm(h);
    const std::string wxh = FormatMm(w) + "x" + FormatMm(h);
    if (pad.hasSizeAndShape && pad.altShape[std::size_t(k)] == kAltShapeRoundRect)
        return "RoundRect " + wxh + " R" + std::to_string(pad.cornerRadius[std::size_t(k)]) + "%";
    switch (pad.shape[std::size_t(k)]) {
        case PadShape::Circle:
            return w == h ? "Circle " + FormatMm(w) : "Oval " + wxh;
        case PadShape::Rect:
            return "Rect " + size;
        case PadShape::Octagon:
            return "Octagon " + size;
        default:
            return "Shape" + std::to_string(int(pad.shape[std::size_t(k)])) + " " + size;
    }
}

bool SameLayer(const PcbDocPad& pad, int a, int b) {
    const auto ua = std::size_t(a), ub = std::size_t(b);
    return pad.sizeX[ua] == pad.sizeX[ub] && pad.sizeY[ua] == pad.sizeY[ub] &&
           pad.shape[ua] == pad.shape[ub] &&
           (!pad.hasSizeAndShape ||
            (pad.altShape[ua] == pad.altShape[ub] && pad.cornerRadius[ua] == pad.cornerRadius[ub]));
}

std::string FormatAngle(double degrees) {
    char text[32];
    std::snprintf(text, sizeof text, "%.2f", degrees);
    std::string s = text;
    while (s.back() == '0') s.pop_back();
    if (s.back() == '.') s.pop_back();
    return s;
}

}  // namespace

int32_t UnitsToDesignUnits(int32_t units) {
    // units x 64516 / 10^7, half up (for the negative, half towards +infinity).
    const int64_t scaled = int64_t(units) * 64516 + 5000000;
    const int64_t q = scaled / 10000000, r = scaled % 10000000;
    return int32_t(r < 0 ? q - 1 : q);
}

std::string FormatMm(int32_t units) {
    // Tenths of a micrometre: units x 0.0254, half up.
    const int64_t scaled = int64_t(units) * 254 + 5000;
    int64_t tenths = scaled / 10000;
    if (scaled % 10000 < 0) --tenths;
    const bool negative = tenths < 0;
    const uint64_t magnitude = negative ? uint64_t(-tenths) : uint64_t(tenths);
    std::string out = (negative ? "-" : "") + std::to_string(magnitude / 10000);
    if (const unsigned fraction = unsigned(magnitude % 10000)) {
        char digits[8];
        std::snprintf(digits, sizeof digits, "%04u", fraction);
        std::string f = digits;
        while (f.back() == '0') f.pop_back();
        out += "." + f;
    }
    return out;
}

int32_t HoleSize(const PcbDocPad& pad) {
    if (pad.hole <= 0) return 0;
    if (pad.hasSizeAndShape && pad.holeShape == HoleShape::Slot && pad.slotSize > 0)
        return pad.slotSize < pad.hole ? pad.slotSize : pad.hole;
    return pad.hole;
}

std::string PadStyleName(const PcbDocPad& pad) {
    const bool holed = pad.hole > 0;
    std::string name = !holed ? "SMD" : pad.plated ? "THT" : "NPTH";
    // An SMD pad on the bottom layer is sized by the bottom entry of a stack.
    const int own = !holed && pad.layer == layer::kBottom && pad.mode != 0 ? 2 : 0;
    name += " " + LayerShape(pad, own);
    if (holed && pad.mode != 0) {
        if (!SameLayer(pad, 1, 0)) name += " mid " + LayerShape(pad, 1);
        if (!SameLayer(pad, 2, 0)) name += " bot " + LayerShape(pad, 2);
    }
    if (holed) {
        const HoleShape shape = pad.hasSizeAndShape ? pad.holeShape : HoleShape::Round;
        if (shape == HoleShape::Slot && pad.slotSize > 0) {
            const int32_t small = HoleSize(pad);
            const int32_t large = pad.slotSize > pad.hole ? pad.slotSize : pad.hole;
            name += " Slot" + FormatMm(small) + "x" + FormatMm(large);
            const double turn = std::fmod(std::fmod(pad.slotRotation, 180.0) + 180.0, 180.0);
            if (std::fabs(turn) > 1e-6) name += "@" + FormatAngle(turn);
        } else if (shape == HoleShape::Square) {
            name += " Sq" + FormatMm(pad.hole);
        } else {
            name += " D" + FormatMm(pad.hole);
        }
    }
    return name;
}

std::string TextStyleName(const PcbDocText& text) {
    switch (text.fontType) {
        case FontType::TrueType: {
            std::string name = (text.fontName.empty() ? std::string("TrueType") : text.fontName) +
                               " " + FormatMm(text.height);
            if (text.bold) name += " Bold";
            if (text.italic) name += " Italic";
            return name;
        }
        case FontType::Barcode:
            return "Barcode " + FormatMm(text.height);
        default:
            return "Stroke " + FormatMm(text.height) + " w" + FormatMm(text.strokeWidth);
    }
}

}  // namespace boards::pcbdoc
