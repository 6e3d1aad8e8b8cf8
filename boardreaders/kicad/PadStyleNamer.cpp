// SPDX-License-Identifier: GPL-3.0-or-later
#include "PadStyleNamer.h"

#include <cmath>

#include "Dbx32.h"
#include "StyleName.h"

namespace boards::kicad {

namespace {

constexpr size_t kPadStyleNameCapacity = DBX_PAD_STYLE_NAME_SIZE;

const char* TypeName(PadType type) {
    switch (type) {
        case PadType::ThroughHole:
            return "THT";
        case PadType::Smd:
            return "SMD";
        case PadType::Connect:
            return "CONN";
        case PadType::NpThroughHole:
            return "NPTH";
    }
    return "?";
}

const char* ShapeName(PadShape shape) {
    switch (shape) {
        case PadShape::Circle:
            return "Circle";
        case PadShape::Rect:
            return "Rect";
        case PadShape::Oval:
            return "Oval";
        case PadShape::Trapezoid:
            return "Trapezoid";
        case PadShape::RoundRect:
            return "RoundRect";
        case PadShape::ChamferedRect:
            return "ChamferedRect";
        case PadShape::Custom:
            return "Custom";
    }
    return "?";
}

std::string Pair(double a, double b, const char* separator) {
    return FormatQuantised(Quantise(a)) + separator + FormatQuantised(Quantise(b));
}

std::string Dimensions(double x, double y) {
    return Quantise(x) == Quantise(y) ? FormatQuantised(Quantise(x)) : Pair(x, y, "x");
}

// Drill diameter in design units: the nanometre value the board holds, scaled and rounded.
int32_t HoleUnits(const PadGeometry& g) {
    const double drill = std::min(g.drillX, g.drillY);
    if (drill <= 0) return 0;
    const double nm = std::llround(drill * 1e6);
    return static_cast<int32_t>(std::llround(nm * kDesignUnitsPerMm / 1e6));
}

}  // namespace

bool PadStyleNamer::Key::operator==(const Key& o) const {
    for (size_t i = 0; i < std::size(v); ++i) {
        if (v[i] != o.v[i]) return false;
    }
    return extra == o.extra;
}

size_t PadStyleNamer::KeyHash::operator()(const Key& k) const {
    uint64_t h = k.extra;
    for (int64_t x : k.v) h = HashCombine(h, static_cast<uint64_t>(x));
    return static_cast<size_t>(h);
}

PadStyleNamer::Key PadStyleNamer::MakeKey(const PadGeometry& g, uint64_t extraKey) {
    return Key{
        {static_cast<int64_t>(g.type), static_cast<int64_t>(g.shape), Quantise(g.sizeX),
         Quantise(g.sizeY), Quantise(g.drillX), Quantise(g.drillY), Quantise(g.drillOffset.x),
         Quantise(g.drillOffset.y), Quantise(g.roundRectRatio), Quantise(g.chamferRatio),
         static_cast<int64_t>(g.chamferCorners), Quantise(g.deltaX), Quantise(g.deltaY)},
        extraKey};
}

std::string PadStyleNamer::BaseName(const PadGeometry& g, uint64_t extraKey) {
    std::string name = std::string(TypeName(g.type)) + " " + ShapeName(g.shape) + " " +
                       Dimensions(g.sizeX, g.sizeY);
    if (Quantise(g.drillX) != 0 || Quantise(g.drillY) != 0) {
        name += " D" + Dimensions(g.drillX, g.drillY);
    }
    if (Quantise(g.drillOffset.x) != 0 || Quantise(g.drillOffset.y) != 0) {
        name += " @" + Pair(g.drillOffset.x, g.drillOffset.y, ",");
    }
    if (g.shape == PadShape::RoundRect ||
        (g.shape == PadShape::ChamferedRect && Quantise(g.roundRectRatio) != 0)) {
        name += " r" + FormatQuantised(Quantise(g.roundRectRatio));
    }
    if (g.shape == PadShape::ChamferedRect) {
        name += " c" + FormatQuantised(Quantise(g.chamferRatio));
        const char* corners[] = {"TL", "TR", "BL", "BR"};
        const char* separator = " ";
        for (unsigned bit = 0; bit < 4; ++bit) {
            if (g.chamferCorners & (1u << bit)) {
                name += std::string(separator) + corners[bit];
                separator = "+";
            }
        }
    }
    if (g.shape == PadShape::Trapezoid) name += " delta" + Pair(g.deltaX, g.deltaY, ",");
    if (extraKey != 0) name += HashSuffix(extraKey);
    return name;
}

int PadStyleNamer::StyleFor(const PadGeometry& geometry, uint64_t extraKey) {
    const Key key = MakeKey(geometry, extraKey);
    auto found = styles_.find(key);
    if (found != styles_.end()) return found->second;

    const uint64_t keyHash = KeyHash()(key);
    const std::string base = BaseName(geometry, extraKey);
    std::string name = UniqueName(base, keyHash, kPadStyleNameCapacity, names_);

    PadStyle style;
    style.name = std::move(name);
    style.holeDiameter = HoleUnits(geometry);
    style.geometry = geometry;
    const int index = static_cast<int>(design_.padStyles.size());
    design_.padStyles.push_back(std::move(style));
    styles_.emplace(key, index);
    return index;
}

}  // namespace boards::kicad
