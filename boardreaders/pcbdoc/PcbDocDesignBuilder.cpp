// SPDX-License-Identifier: GPL-3.0-or-later
#include "PcbDocDesignBuilder.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <unordered_map>
#include <unordered_set>

#include "PcbDocStyleNames.h"

namespace boards::pcbdoc {
namespace {

// What the library's records hold, terminator included.
constexpr std::size_t kRefDesCapacity = DBX_REFDES_SIZE;
constexpr std::size_t kPinCapacity = DBX_PAD_NUMBER_SIZE;
constexpr std::size_t kStyleCapacity = DBX_PAD_STYLE_NAME_SIZE;
static_assert(DBX_TEXT_STYLE_NAME_SIZE == DBX_PAD_STYLE_NAME_SIZE);
constexpr std::size_t kAttributeNameCapacity = DBX_ATTRIBUTE_NAME_SIZE;
constexpr std::size_t kAttributeValueCapacity = DBX_ATTRIBUTE_VALUE_SIZE;
constexpr double kPi = 3.14159265358979323846;

bool HasControlCharacter(std::string_view text) {
    return std::any_of(text.begin(), text.end(),
                       [](char c) { return static_cast<unsigned char>(c) < 0x20 || c == 0x7f; });
}

std::string NameProblem(std::string_view text, std::size_t capacity, const std::string& what) {
    if (HasControlCharacter(text)) return what + " holds a control character";
    if (text.size() >= capacity)
        return what + " longer than " + std::to_string(capacity - 1) + " bytes";
    return {};
}

// Cut to fit `capacity` at a UTF-8 character boundary; control characters become spaces.
std::string Fit(std::string text, std::size_t capacity) {
    for (char& c : text)
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7f) c = ' ';
    if (text.size() < capacity) return text;
    std::size_t n = capacity - 1;
    while (n > 0 && (static_cast<unsigned char>(text[n]) & 0xC0) == 0x80) --n;
    text.resize(n);
    return text;
}

// A style name cut to fit keeps a hash of the whole, so cut names stay distinct.
std::string FitStyleName(const std::string& name) {
    if (name.size() < kStyleCapacity) return name;
    uint32_t h = 2166136261u;
    for (char c : name) h = (h ^ uint8_t(c)) * 16777619u;
    char suffix[16];
    std::snprintf(suffix, sizeof suffix, " #%08x", h);
    return Fit(name, kStyleCapacity - 10) + suffix;
}

Point BoardPoint(int32_t x, int32_t y) {
    return {UnitsToMm(x), -UnitsToMm(y)};
}

PadGeometry GeometryOf(const PcbDocPad& pad) {
    PadGeometry g;
    const int k = pad.hole <= 0 && pad.layer == layer::kBottom && pad.mode != 0 ? 2 : 0;
    const auto uk = std::size_t(k);
    g.type = pad.hole <= 0 ? PadType::Smd
             : pad.plated  ? PadType::ThroughHole
                           : PadType::NpThroughHole;
    g.sizeX = UnitsToMm(pad.sizeX[uk]);
    g.sizeY = UnitsToMm(pad.sizeY[uk]);
    if (pad.hasSizeAndShape && pad.altShape[uk] == kAltShapeRoundRect) {
        g.shape = boards::PadShape::RoundRect;
        g.roundRectRatio = std::min(pad.cornerRadius[uk], uint8_t(100)) / 200.0;
    } else if (pad.shape[uk] == pcbdoc::PadShape::Circle) {
        g.shape =
            pad.sizeX[uk] == pad.sizeY[uk] ? boards::PadShape::Circle : boards::PadShape::Oval;
    } else if (pad.shape[uk] == pcbdoc::PadShape::Octagon) {
        g.shape = boards::PadShape::ChamferedRect;
        g.chamferRatio = 0.25;
        g.chamferCorners =
            kChamferTopLeft | kChamferTopRight | kChamferBottomLeft | kChamferBottomRight;
    } else {
        g.shape = boards::PadShape::Rect;
    }
    if (pad.hole > 0) {
        g.drillX = g.drillY = UnitsToMm(pad.hole);
        if (pad.hasSizeAndShape && pad.holeShape == HoleShape::Slot && pad.slotSize > 0) {
            const double turn = std::fmod(std::fabs(pad.slotRotation), 180.0);
            const bool across = std::fabs(turn - 90.0) < 45.0;
            (across ? g.drillY : g.drillX) = UnitsToMm(pad.slotSize);
        }
        if (pad.hasSizeAndShape)
            g.drillOffset = {UnitsToMm(pad.holeOffsetX), -UnitsToMm(pad.holeOffsetY)};
    }
    return g;
}

void AddArcSegments(const PcbDocArc& arc, std::vector<Segment>& out) {
    double sweep = std::fmod(arc.endAngle - arc.startAngle, 360.0);
    if (sweep <= 0) sweep += 360.0;
    const int steps = std::max(2, int(std::ceil(sweep / 15.0)));
    const double r = UnitsToMm(arc.radius), cx = UnitsToMm(arc.cx), cy = UnitsToMm(arc.cy);
    Point last;
    for (int i = 0; i <= steps; ++i) {
        const double a = (arc.startAngle + sweep * i / steps) * kPi / 180.0;
        const Point p{cx + r * std::cos(a), -(cy + r * std::sin(a))};
        if (i > 0) out.push_back({last, p, UnitsToMm(arc.width)});
        last = p;
    }
}

// A name met again keeps its first value. The names so far are looked up one by one while they
// are few, and in `seen` (filled once they are many) so that many parameters stay linear.
void AddAttribute(Component& c, std::unordered_set<std::string>& seen, std::string name,
                  std::string value, int textStyle) {
    constexpr std::size_t kFew = 16;
    name = Fit(std::move(name), kAttributeNameCapacity);
    if (name.empty()) return;
    if (c.attributes.size() < kFew) {
        for (const Attribute& a : c.attributes)
            if (a.name == name) return;
    } else {
        if (seen.empty())
            for (const Attribute& a : c.attributes) seen.insert(a.name);
        if (!seen.insert(name).second) return;
    }
    c.attributes.push_back({name, Fit(std::move(value), kAttributeValueCapacity), textStyle});
}

}  // namespace

bool BuildPcbDocDesign(const PcbDocBoardModel& model, Design& out, std::string* reason) {
    Design design;
    design.hasGeometry = true;
    const std::size_t count = model.components.size();
    design.components.resize(count);
    for (std::size_t i = 0; i < count; ++i) {
        const PcbDocComponent& a = model.components[i];
        Component& c = design.components[i];
        c.refDes = a.refDes;
        c.position = {a.xMm, -a.yMm};
        c.refDesPosition = c.position;
        c.rotation = a.rotation;
        c.bottomSide = a.bottom;
        c.hasGeometry = true;
    }

    // Designator and comment texts: the first of each kind per component.
    std::unordered_map<std::string, int> textStyleIndex;
    std::vector<const PcbDocText*> designator(count), comment(count);
    for (const PcbDocText& t : model.texts) {
        if (t.component >= count) continue;
        auto& slot = t.isDesignator ? designator[t.component] : comment[t.component];
        if (!slot) slot = &t;
    }
    auto styleOf = [&](const PcbDocText* t) {
        if (!t) return -1;
        const std::string name = FitStyleName(TextStyleName(*t));
        const auto [it, added] = textStyleIndex.emplace(name, int(design.textStyles.size()));
        if (added) design.textStyles.push_back({name});
        return it->second;
    };

    for (std::size_t i = 0; i < count; ++i) {
        Component& c = design.components[i];
        const PcbDocComponent& a = model.components[i];
        // A component without a source designator takes its designator text.
        if (c.refDes.empty() && designator[i]) c.refDes = designator[i]->text;
        if (const std::string p = NameProblem(c.refDes, kRefDesCapacity,
                                              "designator of component " + std::to_string(i + 1));
            !p.empty()) {
            *reason = "Components6/Data: " + p;
            return false;
        }
        if (designator[i]) c.refDesPosition = BoardPoint(designator[i]->x, designator[i]->y);
        std::unordered_set<std::string> seen;
        AddAttribute(c, seen, "Designator", c.refDes, styleOf(designator[i]));
        if (comment[i]) AddAttribute(c, seen, "Comment", comment[i]->text, styleOf(comment[i]));
        if (i < model.parameters.size())
            for (const PcbDocParameter& p : model.parameters[i])
                AddAttribute(c, seen, p.name, p.value, -1);
        if (!a.pattern.empty()) AddAttribute(c, seen, "Footprint", a.pattern, -1);
        if (!a.libReference.empty()) AddAttribute(c, seen, "LibReference", a.libReference, -1);
        if (!a.description.empty()) AddAttribute(c, seen, "Description", a.description, -1);
    }

    std::unordered_map<std::string, int> padStyleIndex;
    for (const PcbDocPad& pad : model.pads) {
        Component& c = design.components[pad.component];
        if (const std::string p =
                NameProblem(pad.name, kPinCapacity,
                            "pad name of " + c.refDes + " \"" + Fit(pad.name, kPinCapacity) + "\"");
            !p.empty()) {
            *reason = "Pads6/Data: " + p;
            return false;
        }
        const std::string name = FitStyleName(PadStyleName(pad));
        const auto [it, added] = padStyleIndex.emplace(name, int(design.padStyles.size()));
        if (added)
            design.padStyles.push_back({name, UnitsToDesignUnits(HoleSize(pad)), GeometryOf(pad)});
        Pad p;
        p.padStyle = it->second;
        p.number = pad.name;
        p.position = BoardPoint(pad.x, pad.y);
        p.rotation = pad.direction;
        p.onTop = pad.layer == layer::kTop || pad.layer == layer::kMulti;
        p.onBottom = pad.layer == layer::kBottom || pad.layer == layer::kMulti;
        c.pads.push_back(std::move(p));
    }

    for (const PcbDocLine& l : model.lines)
        if (l.component < count)
            design.components[l.component].outline.push_back(
                {BoardPoint(l.x1, l.y1), BoardPoint(l.x2, l.y2), UnitsToMm(l.width)});
    for (const PcbDocArc& a : model.arcs)
        if (a.component < count) AddArcSegments(a, design.components[a.component].outline);

    const auto& v = model.boardOutline;
    for (std::size_t i = 0; v.size() >= 2 && i < v.size(); ++i) {
        const OutlineVertex& a = v[i];
        const OutlineVertex& b = v[(i + 1) % v.size()];
        design.boardOutline.push_back({{a.xMm, -a.yMm}, {b.xMm, -b.yMm}, 0});
    }
    out = std::move(design);
    return true;
}

}  // namespace boards::pcbdoc
