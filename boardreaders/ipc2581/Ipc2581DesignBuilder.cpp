// SPDX-License-Identifier: GPL-3.0-or-later
#include "Ipc2581DesignBuilder.h"

#include <algorithm>
#include <cmath>
#include <unordered_set>

#include "Dbx32.h"
#include "GeneratedStyleName.h"

namespace boards::ipc2581 {
namespace {

// The library's record capacities, terminator included.
constexpr size_t kRefDesCapacity = DBX_REFDES_SIZE;
constexpr size_t kPadNumberCapacity = DBX_PAD_NUMBER_SIZE;
constexpr size_t kPadStyleNameCapacity = DBX_PAD_STYLE_NAME_SIZE;
constexpr size_t kAttributeNameCapacity = DBX_ATTRIBUTE_NAME_SIZE;
constexpr size_t kAttributeValueCapacity = DBX_ATTRIBUTE_VALUE_SIZE;

// A small file can make a huge design (one package of many pins placed many times): the design
// is refused before it is built beyond these.
constexpr size_t kMaxPads = 4'000'000;
constexpr size_t kMaxAttributes = 4'000'000;

// A pin without a pad of its own takes the style of a loose pad this close to it.
constexpr double kLoosePadReachMm = 0.01;
// Only the first loose pads of each 0.01 mm cell are looked at: more there is no real board.
constexpr size_t kLoosePadsPerCell = 64;
constexpr double kPi = 3.14159265358979323846;

bool HasControlCharacter(std::string_view text) {
    return std::any_of(text.begin(), text.end(),
                       [](char c) { return static_cast<unsigned char>(c) < 0x20 || c == 0x7f; });
}

// Why a name cannot be served, or empty when it can.
std::string NameProblem(std::string_view text, size_t capacity, const char* what) {
    if (HasControlCharacter(text)) return std::string(what) + " holds a control character";
    if (text.size() >= capacity)
        return std::string(what) + " longer than " + std::to_string(capacity - 1) + " bytes";
    return {};
}

uint64_t CellKey(int64_t cx, int64_t cy) {
    return (static_cast<uint64_t>(cx) << 32) ^ static_cast<uint32_t>(cy);
}

int64_t CellOf(double mm) {
    return static_cast<int64_t>(std::floor(mm / kLoosePadReachMm));
}

Point BoardPoint(Point yUp) {
    return {yUp.x, -yUp.y};
}

PadGeometry GeometryOf(const Primitive* p, int32_t holeUnits, bool plated) {
    PadGeometry g;
    const double hole = holeUnits / kDesignUnitsPerMm;
    g.type = holeUnits <= 0 ? PadType::Smd : plated ? PadType::ThroughHole : PadType::NpThroughHole;
    g.drillX = g.drillY = hole;
    if (!p) {
        g.shape = PadShape::Circle;
        g.sizeX = g.sizeY = hole;
        return g;
    }
    const double mm = p->unit.mmPerUnit;
    g.sizeX = std::fabs(p->width.ToDouble() * mm);
    g.sizeY = std::fabs(p->height.ToDouble() * mm);
    const double corner = std::fabs(p->corner.ToDouble() * mm);
    const double smaller = std::min(g.sizeX, g.sizeY);
    switch (p->kind) {
        case Primitive::Kind::Circle:
            g.shape = PadShape::Circle;
            break;
        case Primitive::Kind::Rect:
            g.shape = PadShape::Rect;
            break;
        case Primitive::Kind::Oval:
            g.shape = PadShape::Oval;
            break;
        case Primitive::Kind::RoundRect:
            g.shape = PadShape::RoundRect;
            g.roundRectRatio = smaller > 0 ? std::min(0.5, corner / smaller) : 0;
            break;
        case Primitive::Kind::ChamferedRect:
            g.shape = PadShape::ChamferedRect;
            g.chamferRatio = smaller > 0 ? std::min(0.5, corner / smaller) : 0;
            g.chamferCorners =
                kChamferTopLeft | kChamferTopRight | kChamferBottomLeft | kChamferBottomRight;
            break;
        case Primitive::Kind::Custom: {
            g.shape = PadShape::Custom;
            std::vector<Point> polygon;
            double minX = 0, maxX = 0, minY = 0, maxY = 0;
            for (const Point& v : p->vertices) {
                polygon.push_back(BoardPoint(v));
                minX = std::min(minX, v.x);
                maxX = std::max(maxX, v.x);
                minY = std::min(minY, v.y);
                maxY = std::max(maxY, v.y);
            }
            g.sizeX = maxX - minX;
            g.sizeY = maxY - minY;
            g.customPolygons.push_back(std::move(polygon));
            break;
        }
    }
    return g;
}

}  // namespace

const Primitive* Ipc2581DesignBuilder::PrimitiveAt(uint32_t index) const {
    return index < model_.primitives.size() ? &model_.primitives[index] : nullptr;
}

const Layer& Ipc2581DesignBuilder::LayerAt(uint32_t index) const {
    static const Layer kUnknown;
    return index < layerByOrder_.size() ? layerByOrder_[index] : kUnknown;
}

void Ipc2581DesignBuilder::IndexOccurrences() {
    const auto& occurrences = model_.occurrences;
    occurrenceOrder_.resize(occurrences.size());
    for (uint32_t i = 0; i < occurrences.size(); ++i) occurrenceOrder_[i] = i;
    std::stable_sort(occurrenceOrder_.begin(), occurrenceOrder_.end(), [&](uint32_t a, uint32_t b) {
        const auto& x = occurrences[a];
        const auto& y = occurrences[b];
        return x.component != y.component ? x.component < y.component : x.pin < y.pin;
    });
    for (size_t i = 0; i < occurrenceOrder_.size();) {
        const uint32_t component = occurrences[occurrenceOrder_[i]].component;
        size_t j = i;
        while (j < occurrenceOrder_.size() &&
               occurrences[occurrenceOrder_[j]].component == component)
            ++j;
        occurrencesOfComponent_.emplace(component, std::make_pair(i, j));
        i = j;
    }
}

void Ipc2581DesignBuilder::IndexLoosePads() {
    for (uint32_t i = 0; i < model_.loosePads.size(); ++i) {
        const LoosePad& pad = model_.loosePads[i];
        auto& cell = loosePadCells_[CellKey(CellOf(pad.x), CellOf(pad.y))];
        if (cell.size() < kLoosePadsPerCell) cell.push_back(i);
    }
}

Point Ipc2581DesignBuilder::PlacePinLocation(const ComponentRecord& record, Point local) const {
    const double a = record.rotation * kPi / 180.0;
    const double c = std::cos(a), s = std::sin(a);
    Point p{local.x * c - local.y * s, local.x * s + local.y * c};
    if (record.mirror) p.x = -p.x;
    return {p.x + record.location.x, p.y + record.location.y};
}

int Ipc2581DesignBuilder::StyleIndex(const std::string& name, int32_t holeUnits,
                                     const Primitive* primitive, bool plated, Design& design) {
    const auto found = styleIndex_.find(name);
    if (found != styleIndex_.end()) return found->second;
    const std::string problem = NameProblem(name, kPadStyleNameCapacity, "pad style name");
    if (!problem.empty()) {
        if (failure_.empty()) failure_ = problem;
        return -1;
    }
    const int index = static_cast<int>(design.padStyles.size());
    PadStyle style;
    style.name = name;
    style.holeDiameter = holeUnits;
    style.geometry = GeometryOf(primitive, holeUnits, plated);
    design.padStyles.push_back(std::move(style));
    styleIndex_.emplace(name, index);
    return index;
}

Ipc2581DesignBuilder::Style Ipc2581DesignBuilder::StyleOf(const PadOccurrence& o,
                                                          const Primitive* pinCopperShape,
                                                          Design& design) {
    Style style;
    if (o.padStackDef != kNone) {
        const auto def = model_.padStackDefs.find(o.padStackDef);
        const int32_t hole = def == model_.padStackDefs.end() ? 0 : def->second.holeUnits;
        style.primitive = PrimitiveAt(o.primitive);
        if (!style.primitive && def != model_.padStackDefs.end())
            style.primitive = PrimitiveAt(def->second.primitive);
        style.index =
            StyleIndex(model_.strings.At(o.padStackDef), hole, style.primitive, true, design);
        return style;
    }
    if (o.inlinePadStack != kNone) {
        const InlinePadStack& stack = model_.inlinePadStacks[o.inlinePadStack];
        const Primitive* shape = PrimitiveAt(stack.outerPrimitive);
        if (!shape) shape = pinCopperShape;
        int32_t hole = 0;
        if (stack.holeType != InlinePadStack::HoleType::None)
            hole = static_cast<int32_t>(
                stack.hole.ToScaledMm(stack.holeUnit, DBX_DESIGN_UNITS_PER_MM));
        style.primitive = shape;
        style.index = StyleIndex(GeneratedStyleName(stack, shape), hole, shape,
                                 stack.holeType != InlinePadStack::HoleType::NonPlated, design);
        return style;
    }
    // A pad with neither: named after its own shape.
    style.primitive = PrimitiveAt(o.primitive);
    if (style.primitive)
        style.index =
            StyleIndex("SMD " + ShapeName(style.primitive), 0, style.primitive, true, design);
    return style;
}

void Ipc2581DesignBuilder::AddPinPads(uint32_t pin, const uint32_t* begin, const uint32_t* end,
                                      Component& component, Design& design) {
    // Occurrences grouped by layer (layers in order of first appearance), each in file order.
    std::vector<const PadOccurrence*> byLayer;
    byLayer.reserve(static_cast<size_t>(end - begin));
    for (const uint32_t* it = begin; it != end; ++it) byLayer.push_back(&model_.occurrences[*it]);
    std::stable_sort(byLayer.begin(), byLayer.end(),
                     [](const auto* a, const auto* b) { return a->layer < b->layer; });
    struct Run {
        size_t first = 0, count = 0;
        bool allWithPadStack = true;
    };
    std::vector<Run> layers;
    for (size_t i = 0; i < byLayer.size(); ++i) {
        if (i == 0 || byLayer[i]->layer != byLayer[i - 1]->layer) layers.push_back({i, 0, true});
        ++layers.back().count;
        layers.back().allWithPadStack = layers.back().allWithPadStack && byLayer[i]->HasPadStack();
    }
    size_t n = 0;
    for (const Run& l : layers) n = std::max(n, l.count);
    const Run* chosen = nullptr;
    for (const Run& l : layers) {
        if (l.count != n) continue;
        if (l.allWithPadStack) {
            chosen = &l;
            break;
        }
        if (!chosen) chosen = &l;
    }
    // The shape an inline pad stack without an outer pad takes: the pin's first copper pad
    // without a pad stack.
    const Primitive* pinCopperShape = nullptr;
    for (const uint32_t* it = begin; !pinCopperShape && it != end; ++it) {
        const PadOccurrence& other = model_.occurrences[*it];
        if (!other.HasPadStack() && LayerAt(other.layer).copper)
            pinCopperShape = PrimitiveAt(other.primitive);
    }
    for (size_t k = 0; k < chosen->count; ++k) {
        const PadOccurrence* o = byLayer[chosen->first + k];
        const Style style = StyleOf(*o, pinCopperShape, design);
        const Layer& layer = LayerAt(o->layer);
        Pad pad;
        pad.padStyle = style.index;
        pad.number = model_.strings.At(pin);
        pad.position = BoardPoint({o->x, o->y});
        pad.rotation = o->rotation + (style.primitive ? style.primitive->rotation : 0);
        const bool drilled = style.index >= 0 && design.padStyles[style.index].holeDiameter > 0;
        pad.onTop = drilled || !layer.bottom;
        pad.onBottom = drilled || layer.bottom;
        component.pads.push_back(std::move(pad));
    }
}

void Ipc2581DesignBuilder::AddPadWithoutOccurrence(const ComponentRecord& record, uint32_t pin,
                                                   Point local, Component& component,
                                                   Design& design) {
    const Point at = PlacePinLocation(record, local);
    // The first loose pad (file order) within reach.
    uint32_t best = kNone;
    const int64_t cx = CellOf(at.x), cy = CellOf(at.y);
    for (int64_t dx = -1; dx <= 1; ++dx) {
        for (int64_t dy = -1; dy <= 1; ++dy) {
            const auto cell = loosePadCells_.find(CellKey(cx + dx, cy + dy));
            if (cell == loosePadCells_.end()) continue;
            for (const uint32_t i : cell->second) {
                const LoosePad& p = model_.loosePads[i];
                if (i < best && std::hypot(p.x - at.x, p.y - at.y) <= kLoosePadReachMm + 1e-9)
                    best = i;
            }
        }
    }
    Pad pad;
    pad.number = model_.strings.At(pin);
    pad.position = BoardPoint(at);
    pad.rotation = record.rotation;
    pad.onTop = !record.bottom;
    pad.onBottom = record.bottom;
    if (best != kNone) {
        const LoosePad& loose = model_.loosePads[best];
        const auto def = model_.padStackDefs.find(loose.padStackDef);
        const int32_t hole = def == model_.padStackDefs.end() ? 0 : def->second.holeUnits;
        const Primitive* primitive = PrimitiveAt(loose.primitive);
        if (!primitive && def != model_.padStackDefs.end())
            primitive = PrimitiveAt(def->second.primitive);
        pad.padStyle =
            StyleIndex(model_.strings.At(loose.padStackDef), hole, primitive, true, design);
        if (hole > 0) pad.onTop = pad.onBottom = true;
    }
    component.pads.push_back(std::move(pad));
}

bool Ipc2581DesignBuilder::AddAttributes(const ComponentRecord& record, Component& component,
                                         ReadError& error) {
    std::unordered_set<std::string_view> seen;
    auto add = [&](const std::string& name, const std::string& value) {
        if (name.empty() || !seen.insert(name).second) return true;
        std::string problem = NameProblem(name, kAttributeNameCapacity, "attribute name");
        if (problem.empty() && value.size() >= kAttributeValueCapacity)
            problem = "value of attribute " + name + " longer than " +
                      std::to_string(kAttributeValueCapacity - 1) + " bytes";
        if (!problem.empty()) {
            error = {fileName_, record.line, problem};
            return false;
        }
        component.attributes.push_back({name, value, -1});
        return true;
    };
    for (const auto& [name, value] : record.attributes)
        if (!add(name, value)) return false;
    const auto bom = model_.bomItemOfRefDes.find(record.refDes);
    if (bom == model_.bomItemOfRefDes.end()) return true;
    const BomItem& item = model_.bomItems[bom->second];
    for (const auto& [name, value] : item.characteristics)
        if (!add(name, value)) return false;
    static const std::string kDescription = "Description";
    if (item.description && !add(kDescription, *item.description)) return false;
    return true;
}

bool Ipc2581DesignBuilder::AddComponent(const ComponentRecord& record, Design& design,
                                        ReadError& error) {
    const std::string& refDes = model_.strings.At(record.refDes);
    std::string problem = refDes.empty() ? "component without refDes"
                                         : NameProblem(refDes, kRefDesCapacity, "refDes");
    if (!problem.empty()) {
        error = {fileName_, record.line, problem};
        return false;
    }
    Component component;
    component.refDes = refDes;
    component.position = BoardPoint(record.location);
    component.rotation = record.rotation;
    component.bottomSide = record.bottom || record.mirror;
    component.refDesPosition = component.position;

    const auto packageIt = model_.packages.find(record.package);
    const Package* package = packageIt == model_.packages.end() ? nullptr : &packageIt->second;
    const uint32_t* all = occurrenceOrder_.data();
    const uint32_t* begin = all;
    const uint32_t* end = all;
    const auto range = occurrencesOfComponent_.find(record.refDes);
    if (range != occurrencesOfComponent_.end()) {
        begin = all + range->second.first;
        end = all + range->second.second;
    }

    // Pins of the package in order of first appearance, with their location in the package;
    // without a package, those of its pads.
    std::vector<PackagePin> pins;
    std::unordered_set<uint32_t> seen;
    if (package) {
        for (const PackagePin& p : package->pins)
            if (seen.insert(p.number).second) pins.push_back(p);
    } else {
        std::vector<uint32_t> inFileOrder(begin, end);
        std::sort(inFileOrder.begin(), inFileOrder.end());
        for (const uint32_t i : inFileOrder)
            if (seen.insert(model_.occurrences[i].pin).second)
                pins.push_back({model_.occurrences[i].pin, {}});
    }
    for (const PackagePin& packagePin : pins) {
        const uint32_t pin = packagePin.number;
        problem = NameProblem(model_.strings.At(pin), kPadNumberCapacity, "pin number");
        if (!problem.empty()) {
            error = {fileName_, record.line, problem};
            return false;
        }
        const auto& occurrences = model_.occurrences;
        const uint32_t* pinBegin =
            std::partition_point(begin, end, [&](uint32_t i) { return occurrences[i].pin < pin; });
        const uint32_t* pinEnd = std::partition_point(
            pinBegin, end, [&](uint32_t i) { return occurrences[i].pin == pin; });
        if (pinBegin == pinEnd)
            AddPadWithoutOccurrence(record, pin, packagePin.location, component, design);
        else
            AddPinPads(pin, pinBegin, pinEnd, component, design);
        if (!failure_.empty()) {
            error = {fileName_, record.line, failure_};
            return false;
        }
    }
    if (!AddAttributes(record, component, error)) return false;

    if (package) {
        for (const auto& polygon : package->outline)
            for (size_t i = 1; i < polygon.size(); ++i)
                component.outline.push_back({BoardPoint(PlacePinLocation(record, polygon[i - 1])),
                                             BoardPoint(PlacePinLocation(record, polygon[i])),
                                             0.1});
    }
    component.hasGeometry = !component.outline.empty() || !component.pads.empty();
    design.hasGeometry = design.hasGeometry || component.hasGeometry;
    design.components.push_back(std::move(component));
    return true;
}

bool Ipc2581DesignBuilder::CheckSize(ReadError& error) const {
    std::unordered_map<uint32_t, size_t> distinctPins;
    for (const auto& [name, package] : model_.packages) {
        std::unordered_set<uint32_t> numbers;
        for (const PackagePin& pin : package.pins) numbers.insert(pin.number);
        distinctPins.emplace(name, numbers.size());
    }
    // Pads of a component: one per package pin, plus one per occurrence at most.
    size_t pads = model_.occurrences.size(), attributes = 0;
    for (const ComponentRecord& record : model_.components) {
        const auto pins = distinctPins.find(record.package);
        pads += pins == distinctPins.end() ? 0 : pins->second;
        attributes += record.attributes.size();
        const auto bom = model_.bomItemOfRefDes.find(record.refDes);
        if (bom != model_.bomItemOfRefDes.end())
            attributes += model_.bomItems[bom->second].characteristics.size() + 1;
        if (pads > kMaxPads || attributes > kMaxAttributes) {
            error = {fileName_, record.line,
                     pads > kMaxPads
                         ? "more than " + std::to_string(kMaxPads) + " pads"
                         : "more than " + std::to_string(kMaxAttributes) + " attributes"};
            return false;
        }
    }
    return true;
}

bool Ipc2581DesignBuilder::Build(Design& out, ReadError& error) {
    if (!CheckSize(error)) return false;
    for (const std::string& name : model_.layerOrder) {
        const auto found = model_.layers.find(name);
        layerByOrder_.push_back(found == model_.layers.end() ? Layer{} : found->second);
    }
    IndexOccurrences();
    IndexLoosePads();
    Design design;
    design.components.reserve(model_.components.size());
    for (const ComponentRecord& record : model_.components)
        if (!AddComponent(record, design, error)) return false;
    for (const auto& polygon : model_.boardOutline)
        for (size_t i = 1; i < polygon.size(); ++i)
            design.boardOutline.push_back(
                {BoardPoint(polygon[i - 1]), BoardPoint(polygon[i]), 0.1});
    design.hasGeometry = design.hasGeometry || !design.boardOutline.empty();
    out = std::move(design);
    return true;
}

}  // namespace boards::ipc2581
