// SPDX-License-Identifier: GPL-3.0-or-later
#include "Ipc2581Collector.h"

#include <charconv>
#include <cmath>

#include "Dbx32.h"

namespace boards::ipc2581 {
namespace {

// Largest hole kept, in design units (a metre); larger ones are refused as nonsense.
constexpr int64_t kMaxHoleUnits = 1000 * DBX_DESIGN_UNITS_PER_MM;
constexpr double kMaxCoordinateMm = 1e7;

constexpr double kPi = 3.14159265358979323846;

bool IsTrue(std::string_view text) {
    return text == "true" || text == "1";
}

}  // namespace

uint32_t StringPool::Intern(std::string_view text) {
    const auto found = ids_.find(text);
    if (found != ids_.end()) return found->second;
    const auto id = static_cast<uint32_t>(strings_.size());
    strings_.emplace_back(text);
    ids_.emplace(std::string(text), id);
    return id;
}

uint32_t StringPool::Find(std::string_view text) const {
    const auto found = ids_.find(text);
    return found == ids_.end() ? kNone : found->second;
}

Ipc2581Collector::Tag Ipc2581Collector::TagOf(std::string_view name) {
    struct Entry {
        std::string_view name;
        Tag tag;
    };
    // Grouped by first letter: one short scan instead of hashing every element name.
    static constexpr Entry kByLetter[][8] = {
        /* B */ {{"Bom", Tag::Bom}, {"BomItem", Tag::BomItem}},
        /* C */
        {{"Component", Tag::Component},
         {"Circle", Tag::Circle},
         {"CadHeader", Tag::CadHeader},
         {"CadData", Tag::CadData},
         {"Contour", Tag::Contour},
         {"Cutout", Tag::Cutout}},
        /* D */ {{"DictionaryStandard", Tag::Dictionary}, {"DictionaryUser", Tag::Dictionary}},
        /* E */ {{"EntryStandard", Tag::Entry}, {"EntryUser", Tag::Entry}},
        /* I */ {{"IPC-2581", Tag::Root}},
        /* L */
        {{"Location", Tag::Location},
         {"LayerFeature", Tag::LayerFeature},
         {"Layer", Tag::Layer},
         {"LayerPad", Tag::LayerPad},
         {"LayerHole", Tag::LayerHole}},
        /* N */ {{"NonstandardAttribute", Tag::NonstandardAttribute}},
        /* O */ {{"Outline", Tag::Outline}, {"Oval", Tag::Oval}},
        /* P */
        {{"Pad", Tag::Pad},
         {"PinRef", Tag::PinRef},
         {"PolyStepSegment", Tag::PolyStep},
         {"PolyBegin", Tag::PolyBegin},
         {"PolyStepCurve", Tag::PolyStepCurve},
         {"Polygon", Tag::Polygon},
         {"Pin", Tag::Pin},
         {"Package", Tag::Package}},
        /* P, continued */
        {{"PadStackDef", Tag::PadStackDef},
         {"PadstackHoleDef", Tag::PadstackHoleDef},
         {"PadstackPadDef", Tag::PadstackPadDef},
         {"PadStack", Tag::PadStack},
         {"Profile", Tag::Profile}},
        /* R */
        {{"RefDes", Tag::RefDes},
         {"RectCenter", Tag::RectCenter},
         {"RectRound", Tag::RectRound},
         {"RectCham", Tag::RectCham}},
        /* S */
        {{"Set", Tag::Set}, {"StandardPrimitiveRef", Tag::PrimitiveRef}, {"Step", Tag::Step}},
        /* T */ {{"Textual", Tag::Textual}},
        /* U */ {{"UserPrimitiveRef", Tag::PrimitiveRef}},
        /* X */ {{"Xform", Tag::Xform}},
    };
    if (name.empty()) return Tag::Other;
    int first = -1, count = 1;
    switch (name[0]) {
        case 'B':
            first = 0;
            break;
        case 'C':
            first = 1;
            break;
        case 'D':
            first = 2;
            break;
        case 'E':
            first = 3;
            break;
        case 'I':
            first = 4;
            break;
        case 'L':
            first = 5;
            break;
        case 'N':
            first = 6;
            break;
        case 'O':
            first = 7;
            break;
        case 'P':
            first = 8;
            count = 2;
            break;
        case 'R':
            first = 10;
            break;
        case 'S':
            first = 11;
            break;
        case 'T':
            first = 12;
            break;
        case 'U':
            first = 13;
            break;
        case 'X':
            first = 14;
            break;
        default:
            return Tag::Other;
    }
    for (int group = first; group < first + count; ++group)
        for (const Entry& entry : kByLetter[group])
            if (!entry.name.empty() && entry.name == name) return entry.tag;
    return Tag::Other;
}

template <typename Lookup>
uint32_t Ipc2581Collector::Cached(LastLookup& last, std::string_view text, Lookup lookup) {
    if (!last.valid || text != last.text) {
        last.text = text;
        last.id = lookup(text);
        last.valid = true;
    }
    return last.id;
}

Ipc2581Collector::Tag Ipc2581Collector::Parent(size_t up) const {
    return stack_.size() > up ? stack_[stack_.size() - 1 - up] : Tag::Other;
}

bool Ipc2581Collector::Inside(Tag tag) const {
    for (auto it = stack_.rbegin(); it != stack_.rend(); ++it)
        if (*it == tag) return true;
    return false;
}

void Ipc2581Collector::Fail(const std::string& reason) {
    failed_ = true;
    if (reader_) reader_->Fail(reason);
}

bool Ipc2581Collector::ReadDouble(const XmlAttributes& attributes, std::string_view name,
                                  double& value) {
    const std::string_view text = attributes.Get(name);
    if (text.empty()) return true;  // absent: the default stands
    const char* begin = text.data() + (text[0] == '+' ? 1 : 0);
    const auto [end, status] = std::from_chars(begin, text.data() + text.size(), value);
    if (status != std::errc() || end != text.data() + text.size() || !std::isfinite(value) ||
        std::fabs(value) > kMaxCoordinateMm) {
        Fail("bad number in " + std::string(name) + "=\"" + std::string(text.substr(0, 40)) + "\"");
        return false;
    }
    return true;
}

bool Ipc2581Collector::ReadDecimal(const XmlAttributes& attributes, std::string_view name,
                                   DecimalText& value) {
    const std::string_view text = attributes.Get(name);
    if (text.empty()) return true;
    if (!DecimalText::Parse(text, value) || std::fabs(value.ToDouble()) > kMaxCoordinateMm) {
        Fail("bad number in " + std::string(name) + "=\"" + std::string(text.substr(0, 40)) + "\"");
        return false;
    }
    return true;
}

uint32_t Ipc2581Collector::PrimitiveId(std::string_view id) const {
    const auto found = model_.primitiveIds.find(id);
    return found == model_.primitiveIds.end() ? kNone : found->second;
}

uint32_t Ipc2581Collector::LayerOrderIndex(std::string_view layer) {
    const auto [it, added] = model_.layerIndex.emplace(
        std::string(layer), static_cast<uint32_t>(model_.layerOrder.size()));
    if (added) model_.layerOrder.emplace_back(layer);
    return it->second;
}

bool Ipc2581Collector::IsCopper(std::string_view layer) const {
    const auto found = model_.layers.find(layer);
    return found != model_.layers.end() && found->second.copper;
}

bool Ipc2581Collector::IsOuterCopper(std::string_view layer) const {
    const auto found = model_.layers.find(layer);
    return found != model_.layers.end() && found->second.copper && found->second.outer;
}

void Ipc2581Collector::StartElement(std::string_view name, const XmlAttributes& attributes) {
    if (failed_) return;
    if (!sawRoot_) {
        if (name != "IPC-2581") {
            Fail("not an IPC-2581 file (root element <" + std::string(name.substr(0, 64)) + ">)");
            return;
        }
        sawRoot_ = true;
    }
    const Tag tag = TagOf(name);
    const Tag parent = stack_.empty() ? Tag::Other : stack_.back();
    stack_.push_back(tag);
    switch (tag) {
        case Tag::BomItem:
            if (parent != Tag::Bom) break;
            bomItem_ = static_cast<uint32_t>(model_.bomItems.size());
            model_.bomItems.emplace_back();
            if (attributes.Has("description"))
                model_.bomItems.back().description = std::string(attributes.Get("description"));
            break;
        case Tag::RefDes:
            if (parent == Tag::BomItem && bomItem_ != kNone)
                model_.bomItemOfRefDes.emplace(model_.strings.Intern(attributes.Get("name")),
                                               bomItem_);
            break;
        case Tag::Textual:
            if (bomItem_ != kNone && Inside(Tag::BomItem) &&
                attributes.Has("textualCharacteristicName"))
                model_.bomItems[bomItem_].characteristics.emplace_back(
                    attributes.Get("textualCharacteristicName"),
                    attributes.Get("textualCharacteristicValue"));
            break;
        case Tag::Dictionary:
            dictionaryUnit_ = LengthUnit::Millimetre();
            dictionaryUnitGiven_ = attributes.Has("units");
            if (dictionaryUnitGiven_ &&
                !LengthUnit::FromName(attributes.Get("units"), dictionaryUnit_))
                Fail("unknown units \"" + std::string(attributes.Get("units").substr(0, 40)) +
                     "\"");
            break;
        case Tag::Entry:
            entryId_ = attributes.Get("id");
            entryHasShape_ = false;
            break;
        case Tag::CadHeader:
            if (attributes.Has("units") &&
                !LengthUnit::FromName(attributes.Get("units"), stepUnit_))
                Fail("unknown units \"" + std::string(attributes.Get("units").substr(0, 40)) +
                     "\"");
            break;
        case Tag::Layer:
            if (parent == Tag::CadData) {
                const std::string_view function = attributes.Get("layerFunction");
                const std::string_view side = attributes.Get("side");
                Layer layer;
                layer.copper = function == "CONDUCTOR" || function == "SIGNAL" ||
                               function == "PLANE" || function == "MIXED" ||
                               function == "CONDFILM" || function == "CONDFOIL";
                layer.outer = side == "TOP" || side == "BOTTOM";
                layer.bottom = side == "BOTTOM";
                model_.layers.emplace(std::string(attributes.Get("name")), layer);
            }
            break;
        case Tag::PadStackDef:
            if (parent != Tag::Step) break;
            padStackDef_ = model_.strings.Intern(attributes.Get("name"));
            padStackDefHasHole_ = false;
            model_.padStackDefs.try_emplace(padStackDef_);
            break;
        case Tag::PadstackHoleDef:
            if (parent == Tag::PadStackDef && padStackDef_ != kNone && !padStackDefHasHole_) {
                DecimalText diameter;
                if (!ReadDecimal(attributes, "diameter", diameter)) break;
                padStackDefHasHole_ = true;
                const int64_t units = diameter.ToScaledMm(stepUnit_, DBX_DESIGN_UNITS_PER_MM);
                if (units < 0 || units > kMaxHoleUnits) {
                    Fail("hole diameter out of range");
                    break;
                }
                model_.padStackDefs[padStackDef_].holeUnits = static_cast<int32_t>(units);
            }
            break;
        case Tag::PadstackPadDef:
            padstackPadLayer_ = attributes.Get("layerRef");
            padstackPadRegular_ =
                !attributes.Has("padUse") || attributes.Get("padUse") == "REGULAR";
            break;
        case Tag::Package:
            if (parent != Tag::Step) break;
            package_ = model_.strings.Intern(attributes.Get("name"));
            model_.packages.try_emplace(package_);
            break;
        case Tag::Pin:
            if (parent == Tag::Package && package_ != kNone)
                model_.packages[package_].pins.push_back(
                    {model_.strings.Intern(attributes.Get("number")), {}});
            break;
        case Tag::Component:
            if (parent != Tag::Step) break;
            {
                ComponentRecord component;
                component.refDes = model_.strings.Intern(attributes.Get("refDes"));
                component.package = model_.strings.Intern(attributes.Get("packageRef"));
                component.line = reader_ ? reader_->CurrentLine() : 0;
                const auto layer = model_.layers.find(attributes.Get("layerRef"));
                component.bottom = layer != model_.layers.end() && layer->second.bottom;
                model_.components.push_back(std::move(component));
                componentDepth_ = stack_.size();
            }
            break;
        case Tag::NonstandardAttribute:
            if (InComponent())
                model_.components.back().attributes.emplace_back(attributes.Get("name"),
                                                                 attributes.Get("value"));
            break;
        case Tag::LayerFeature:
            layerFeatureIndex_ = LayerOrderIndex(attributes.Get("layerRef"));
            break;
        case Tag::Pad:
            if (parent != Tag::Set || Parent(2) != Tag::LayerFeature || padDepth_ != 0) break;
            pad_ = {};
            padDepth_ = stack_.size();
            pad_.occurrence.layer = layerFeatureIndex_;
            if (attributes.Has("padstackDefRef")) {
                pad_.occurrence.padStackDef =
                    Cached(lastPadStack_, attributes.Get("padstackDefRef"),
                           [&](std::string_view text) { return model_.strings.Intern(text); });
            }
            break;
        case Tag::PadStack:
            if (parent != Tag::Step) break;
            model_.inlinePadStacks.emplace_back();
            inlineDepth_ = stack_.size();
            inlineHasHole_ = false;
            break;
        case Tag::LayerHole:
            if (InInlinePadStack() && !inlineHasHole_) {
                auto& stack = model_.inlinePadStacks.back();
                if (!ReadDecimal(attributes, "diameter", stack.hole)) break;
                if (stack.hole.IsNegative() ||
                    stack.hole.ToScaledMm(stepUnit_, DBX_DESIGN_UNITS_PER_MM) > kMaxHoleUnits) {
                    Fail("hole diameter out of range");
                    break;
                }
                inlineHasHole_ = true;
                stack.holeUnit = stepUnit_;
                stack.holeType = attributes.Get("platingStatus") == "NONPLATED"
                                     ? InlinePadStack::HoleType::NonPlated
                                     : InlinePadStack::HoleType::Plated;
            }
            break;
        case Tag::LayerPad:
            if (!InInlinePadStack() || padDepth_ != 0) break;
            pad_ = {};
            padDepth_ = stack_.size();
            layerPadLayer_ = attributes.Get("layerRef");
            pad_.occurrence.layer = LayerOrderIndex(layerPadLayer_);
            pad_.occurrence.inlinePadStack =
                static_cast<uint32_t>(model_.inlinePadStacks.size() - 1);
            break;
        case Tag::PinRef:
            if (InPad() && !pad_.hasPinRef) {
                pad_.hasPinRef = true;
                pad_.occurrence.component =
                    Cached(lastComponentRef_, attributes.Get("componentRef"),
                           [&](std::string_view text) { return model_.strings.Intern(text); });
                pad_.occurrence.pin = model_.strings.Intern(attributes.Get("pin"));
            }
            break;
        case Tag::Xform: {
            double rotation = 0;
            if (!ReadDouble(attributes, "rotation", rotation)) break;
            const bool mirror = IsTrue(attributes.Get("mirror"));
            if (InComponent()) {
                model_.components.back().rotation = rotation;
                model_.components.back().mirror = mirror;
            } else if (InPad()) {
                pad_.occurrence.rotation = static_cast<float>(rotation);
            } else if (shapeOpen_) {
                entryPrimitive_.rotation = rotation;
            }
            break;
        }
        case Tag::Location: {
            double x = 0, y = 0;
            if (!ReadDouble(attributes, "x", x) || !ReadDouble(attributes, "y", y)) break;
            const double mm = stepUnit_.mmPerUnit;
            if (InComponent()) {
                model_.components.back().location = {x * mm, y * mm};
            } else if (InPad()) {
                pad_.occurrence.x = static_cast<float>(x * mm);
                pad_.occurrence.y = static_cast<float>(y * mm);
            } else if (parent == Tag::Pin && Parent(2) == Tag::Package && package_ != kNone) {
                auto& pins = model_.packages[package_].pins;
                if (!pins.empty()) pins.back().location = {x * mm, y * mm};
            }
            break;
        }
        case Tag::PrimitiveRef: {
            const uint32_t primitive = Cached(lastPrimitive_, attributes.Get("id"),
                                              [&](std::string_view id) { return PrimitiveId(id); });
            if (InPad()) {
                pad_.occurrence.primitive = primitive;
            } else if (parent == Tag::PadstackPadDef && padStackDef_ != kNone &&
                       padstackPadRegular_ && IsCopper(padstackPadLayer_)) {
                auto& def = model_.padStackDefs[padStackDef_];
                if (def.primitive == kNone) def.primitive = primitive;
            }
            break;
        }
        case Tag::Circle:
        case Tag::RectCenter:
        case Tag::Oval:
        case Tag::RectRound:
        case Tag::RectCham:
        case Tag::Contour:
            if (Inside(Tag::Entry) && !entryHasShape_) StartShape(tag, attributes);
            break;
        case Tag::Polygon:
        case Tag::Cutout:
            polygonOpen_ = false;
            if ((tag == Tag::Polygon && shapeOpen_ && parent == Tag::Contour) ||
                (parent == Tag::Outline && Parent(2) == Tag::Package && package_ != kNone) ||
                parent == Tag::Profile) {
                polygonOpen_ = true;
                polygon_.clear();
                polygonUnit_ = shapeOpen_ ? dictionaryUnit_ : stepUnit_;
            }
            break;
        case Tag::PolyBegin:
        case Tag::PolyStep:
        case Tag::PolyStepCurve:
            if (polygonOpen_) StartPolyPoint(tag, attributes);
            break;
        default:
            break;
    }
}

void Ipc2581Collector::StartShape(Tag tag, const XmlAttributes& attributes) {
    entryHasShape_ = true;
    shapeOpen_ = true;
    entryPrimitive_ = {};
    entryPrimitive_.unit = dictionaryUnit_;
    entryPrimitive_.unitFromHeader = !dictionaryUnitGiven_;
    Primitive& p = entryPrimitive_;
    bool ok = true;
    switch (tag) {
        case Tag::Circle:
            p.kind = Primitive::Kind::Circle;
            ok = ReadDecimal(attributes, "diameter", p.width);
            p.height = p.width;
            break;
        case Tag::RectCenter:
            p.kind = Primitive::Kind::Rect;
            ok = ReadDecimal(attributes, "width", p.width) &&
                 ReadDecimal(attributes, "height", p.height);
            break;
        case Tag::Oval:
            p.kind = Primitive::Kind::Oval;
            ok = ReadDecimal(attributes, "width", p.width) &&
                 ReadDecimal(attributes, "height", p.height);
            break;
        case Tag::RectRound:
            p.kind = Primitive::Kind::RoundRect;
            ok = ReadDecimal(attributes, "width", p.width) &&
                 ReadDecimal(attributes, "height", p.height) &&
                 ReadDecimal(attributes, "radius", p.corner);
            break;
        case Tag::RectCham:
            p.kind = Primitive::Kind::ChamferedRect;
            ok = ReadDecimal(attributes, "width", p.width) &&
                 ReadDecimal(attributes, "height", p.height) &&
                 ReadDecimal(attributes, "chamfer", p.corner);
            break;
        default:
            p.kind = Primitive::Kind::Custom;
            break;
    }
    if (!ok) shapeOpen_ = false;
}

void Ipc2581Collector::StartPolyPoint(Tag tag, const XmlAttributes& attributes) {
    double x = 0, y = 0;
    if (!ReadDouble(attributes, "x", x) || !ReadDouble(attributes, "y", y)) return;
    const double mm = polygonUnit_.mmPerUnit;
    const Point end{x * mm, y * mm};
    if (tag == Tag::PolyStepCurve && !polygon_.empty()) {
        double cx = 0, cy = 0;
        if (!ReadDouble(attributes, "centerX", cx) || !ReadDouble(attributes, "centerY", cy))
            return;
        const Point centre{cx * mm, cy * mm};
        const Point start = polygon_.back();
        const bool clockwise = IsTrue(attributes.Get("clockwise"));
        const double radius = std::hypot(start.x - centre.x, start.y - centre.y);
        const double a0 = std::atan2(start.y - centre.y, start.x - centre.x);
        double sweep = std::atan2(end.y - centre.y, end.x - centre.x) - a0;
        if (clockwise && sweep >= 0) sweep -= 2 * kPi;
        if (!clockwise && sweep <= 0) sweep += 2 * kPi;
        constexpr int kSteps = 8;
        for (int i = 1; i < kSteps; ++i) {
            const double a = a0 + sweep * i / kSteps;
            polygon_.push_back({centre.x + radius * std::cos(a), centre.y + radius * std::sin(a)});
        }
    }
    if (polygon_.size() < 100000) polygon_.push_back(end);
}

void Ipc2581Collector::EndPolygon() {
    if (!polygonOpen_) return;
    polygonOpen_ = false;
    if (polygon_.size() < 2) return;
    const Tag parent = stack_.empty() ? Tag::Other : stack_.back();  // the Polygon is popped
    if (shapeOpen_) {
        if (entryPrimitive_.vertices.empty()) entryPrimitive_.vertices = std::move(polygon_);
    } else if (parent == Tag::Outline && package_ != kNone) {
        model_.packages[package_].outline.push_back(std::move(polygon_));
    } else if (parent == Tag::Profile) {
        model_.boardOutline.push_back(std::move(polygon_));
    }
    polygon_.clear();
}

void Ipc2581Collector::EndPad() {
    padDepth_ = 0;
    if (pad_.hasPinRef) {
        model_.occurrences.push_back(pad_.occurrence);
    } else if (pad_.occurrence.padStackDef != kNone) {
        model_.loosePads.push_back({pad_.occurrence.x, pad_.occurrence.y,
                                    pad_.occurrence.padStackDef, pad_.occurrence.primitive});
    }
}

void Ipc2581Collector::Finish() {
    for (Primitive& p : model_.primitives) {
        if (!p.unitFromHeader) continue;
        p.unit = stepUnit_;
        for (Point& v : p.vertices) v = {v.x * stepUnit_.mmPerUnit, v.y * stepUnit_.mmPerUnit};
    }
}

void Ipc2581Collector::EndElement() {
    if (failed_ || stack_.empty()) return;
    const Tag tag = stack_.back();
    switch (tag) {
        case Tag::BomItem:
            bomItem_ = kNone;
            break;
        case Tag::Entry:
            if (entryHasShape_ && !entryId_.empty()) {
                if (entryPrimitive_.kind != Primitive::Kind::Custom ||
                    entryPrimitive_.vertices.size() >= 3) {
                    model_.primitiveIds.emplace(entryId_,
                                                static_cast<uint32_t>(model_.primitives.size()));
                    model_.primitives.push_back(std::move(entryPrimitive_));
                    lastPrimitive_.valid = false;
                }
            }
            entryPrimitive_ = {};
            shapeOpen_ = false;
            break;
        case Tag::Circle:
        case Tag::RectCenter:
        case Tag::Oval:
        case Tag::RectRound:
        case Tag::RectCham:
        case Tag::Contour:
            // The shape stays open for its Xform and polygon until the entry ends.
            break;
        case Tag::PadStackDef:
            padStackDef_ = kNone;
            break;
        case Tag::Component:
            if (componentDepth_ == stack_.size()) componentDepth_ = 0;
            break;
        case Tag::PadStack:
            if (inlineDepth_ == stack_.size()) inlineDepth_ = 0;
            break;
        case Tag::Package:
            package_ = kNone;
            break;
        case Tag::Pad:
            if (padDepth_ == stack_.size()) EndPad();
            break;
        case Tag::LayerPad:
            if (padDepth_ == stack_.size() &&
                pad_.occurrence.inlinePadStack < model_.inlinePadStacks.size()) {
                const uint32_t primitive = pad_.occurrence.primitive;
                auto& stack = model_.inlinePadStacks[pad_.occurrence.inlinePadStack];
                if (stack.outerPrimitive == kNone && primitive != kNone &&
                    IsOuterCopper(layerPadLayer_))
                    stack.outerPrimitive = primitive;
                EndPad();
            }
            break;
        case Tag::Polygon:
        case Tag::Cutout:
            stack_.pop_back();
            EndPolygon();
            return;
        default:
            break;
    }
    stack_.pop_back();
}

}  // namespace boards::ipc2581
