// SPDX-License-Identifier: GPL-3.0-or-later
#include "EagleDesignBuilder.h"

#include <cmath>
#include <unordered_set>

#include "EagleStyleNames.h"

namespace boards::eagle {
namespace {

constexpr size_t kPadStyleNameCapacity = DBX_PAD_STYLE_NAME_SIZE;
constexpr size_t kTextStyleNameCapacity = DBX_TEXT_STYLE_NAME_SIZE;
constexpr double kPi = 3.14159265358979323846;
// Elements place their packages' pads and drawings again and again: a small file could ask for
// far more than any board holds. Pads beyond this refuse the board; drawing segments beyond the
// second are left out of the view (the finders lose nothing).
constexpr size_t kMaxPads = 5'000'000;
constexpr size_t kMaxDrawingSegments = 4'000'000;

// Eagle's frame (y up) to the design's (y down).
Point BoardPoint(Point yUp) {
    return {yUp.x, -yUp.y};
}

}  // namespace

int EagleDesignBuilder::PadStyleIndex(Package& package, size_t pad, Design& design,
                                      std::string& problem) {
    if (package.padStyles.size() != package.pads.size())
        package.padStyles.assign(package.pads.size(), -1);
    int& index = package.padStyles[pad];
    if (index >= 0) return index;
    PadStyle style = PadStyleFor(package.pads[pad], model_.padRules);
    if (style.name.size() >= kPadStyleNameCapacity) {
        problem = "pad style " + style.name.substr(0, 40) + "... longer than " +
                  std::to_string(kPadStyleNameCapacity - 1) + " bytes";
        return -1;
    }
    const auto [at, inserted] =
        padStyles_.try_emplace(style.name, static_cast<int>(design.padStyles.size()));
    if (inserted) design.padStyles.push_back(std::move(style));
    index = at->second;
    return index;
}

int EagleDesignBuilder::TextStyleIndex(const TextLook& look, Design& design, std::string& problem) {
    if (!look.given) return -1;
    std::string name = TextStyleName(look);
    if (name.size() >= kTextStyleNameCapacity) {
        problem = "text style " + name.substr(0, 40) + "... longer than " +
                  std::to_string(kTextStyleNameCapacity - 1) + " bytes";
        return -1;
    }
    const auto [at, inserted] =
        textStyles_.try_emplace(name, static_cast<int>(design.textStyles.size()));
    if (inserted) design.textStyles.push_back({std::move(name)});
    return at->second;
}

bool EagleDesignBuilder::AddAttributes(const Element& element, const Package& package,
                                       Component& component, Design& design, ReadError& error) {
    // NAME and VALUE first, from the element; their <attribute> children (smashed texts) give
    // only the look. Any other name counts once, at its first <attribute>. Names and values
    // were checked while reading.
    const ElementAttribute* nameChild = nullptr;
    const ElementAttribute* valueChild = nullptr;
    for (const auto& a : element.attributes) {
        if (a.name == "NAME" && !nameChild) nameChild = &a;
        if (a.name == "VALUE" && !valueChild) valueChild = &a;
    }
    std::string problem;
    auto look = [&](const ElementAttribute* child, const TextLook& packageText) {
        return TextStyleIndex(child && child->look.given ? child->look : packageText, design,
                              problem);
    };
    component.attributes.reserve(element.attributes.size() + 2);
    component.attributes.push_back({"NAME", element.name, look(nameChild, package.nameText)});
    component.attributes.push_back({"VALUE", element.value, look(valueChild, package.valueText)});
    std::unordered_set<std::string_view> seen;
    for (const auto& a : element.attributes) {
        if (a.name == "NAME" || a.name == "VALUE") continue;
        // Most elements carry a handful of attributes, all different: the set is only filled
        // when there are more than the first one.
        if (component.attributes.size() > 2) {
            if (seen.empty())
                for (size_t i = 2; i < component.attributes.size(); ++i)
                    seen.insert(component.attributes[i].name);
            if (!seen.insert(a.name).second) continue;
        }
        component.attributes.push_back({a.name, a.value, TextStyleIndex(a.look, design, problem)});
    }
    if (!problem.empty()) {
        error = {fileName_, element.line, "element " + element.name + ": " + problem};
        return false;
    }
    return true;
}

bool EagleDesignBuilder::AddComponent(const Element& element, Design& design, ReadError& error) {
    std::string problem;
    Package& package = model_.packages[static_cast<size_t>(element.packageIndex)];
    const Placement placement(element.at, element.rotation);
    const bool mirrored = element.rotation.mirror;

    Component component;
    component.refDes = element.name;
    component.position = BoardPoint(element.at);
    component.refDesPosition = component.position;
    component.rotation = placement.PadAngle(Rotation{});
    component.bottomSide = mirrored;
    component.hasGeometry = true;
    component.pads.reserve(package.pads.size());
    for (size_t i = 0; i < package.pads.size(); ++i) {
        const PackagePad& p = package.pads[i];
        Pad pad;
        pad.padStyle = PadStyleIndex(package, i, design, problem);
        if (pad.padStyle < 0) {
            error = {fileName_, element.line,
                     "package " + element.package + ", pad " + p.name + ": " + problem};
            return false;
        }
        pad.number = p.name;
        Point at = placement.Apply(p.at);
        pad.rotation = placement.PadAngle(p.rotation);
        const PadGeometry& g = design.padStyles[static_cast<size_t>(pad.padStyle)].geometry;
        if (g.drillOffset.x != 0) {
            // An offset pad: the copper's centre lies beside the drill, which Eagle places.
            if (mirrored) pad.rotation = std::fmod(pad.rotation + 180, 360);
            const double a = pad.rotation * kPi / 180;
            at.x -= g.drillOffset.x * std::cos(a);
            at.y -= g.drillOffset.x * std::sin(a);
        }
        pad.position = BoardPoint(at);
        if (p.smd) {
            const bool top = (p.layer == 1) != mirrored;
            pad.onTop = top;
            pad.onBottom = !top;
        } else {
            pad.onTop = pad.onBottom = true;
        }
        component.pads.push_back(std::move(pad));
    }
    auto place = [&](const std::vector<Segment>& from, std::vector<Segment>& to) {
        if (from.size() > drawingBudget_) return;
        drawingBudget_ -= from.size();
        for (const Segment& s : from)
            to.push_back(
                {BoardPoint(placement.Apply(s.a)), BoardPoint(placement.Apply(s.b)), s.width});
    };
    component.outline.reserve(package.outline.size());
    place(package.outline, component.outline);
    place(package.dimension, design.boardOutline);
    if (!AddAttributes(element, package, component, design, error)) return false;
    design.components.push_back(std::move(component));
    return true;
}

bool EagleDesignBuilder::Build(Design& out, ReadError& error) {
    size_t pads = 0;
    for (Element& element : model_.elements) {
        if (element.packageIndex < 0) {
            // Its package was not known when the element was read.
            std::string problem;
            element.packageIndex = FindPackage(model_, element, problem);
            if (element.packageIndex < 0) {
                error = {fileName_, element.line, "element " + element.name + ": " + problem};
                return false;
            }
        }
        pads += model_.packages[static_cast<size_t>(element.packageIndex)].pads.size();
    }
    if (pads > kMaxPads) {
        error = {fileName_, 0,
                 "the elements place " + std::to_string(pads) + " pads, more than " +
                     std::to_string(kMaxPads) + " (no board holds that many)"};
        return false;
    }
    drawingBudget_ = kMaxDrawingSegments;
    Design design;
    design.hasGeometry = true;
    for (const Segment& s : model_.boardOutline)
        design.boardOutline.push_back({BoardPoint(s.a), BoardPoint(s.b), s.width});
    design.components.reserve(model_.elements.size());
    for (const Element& element : model_.elements)
        if (!AddComponent(element, design, error)) return false;
    out = std::move(design);
    return true;
}

}  // namespace boards::eagle
