// SPDX-License-Identifier: GPL-3.0-or-later
#include "EagleDesignBuilder.h"

#include <algorithm>
#include <cmath>
#include <unordered_set>

#include "EagleStyleNames.h"

namespace boards::eagle {
namespace {

constexpr size_t kRefDesCapacity = DBX_REFDES_SIZE;
constexpr size_t kPadNumberCapacity = DBX_PAD_NUMBER_SIZE;
constexpr size_t kPadStyleNameCapacity = DBX_PAD_STYLE_NAME_SIZE;
constexpr size_t kAttributeNameCapacity = DBX_ATTRIBUTE_NAME_SIZE;
constexpr size_t kAttributeValueCapacity = DBX_ATTRIBUTE_VALUE_SIZE;
constexpr size_t kTextStyleNameCapacity = DBX_TEXT_STYLE_NAME_SIZE;
constexpr double kPi = 3.14159265358979323846;

bool HasControlCharacter(std::string_view text) {
    return std::any_of(text.begin(), text.end(),
                       [](char c) { return static_cast<unsigned char>(c) < 0x20 || c == 0x7f; });
}

// Why a name cannot be served, or empty when it can.
std::string NameProblem(std::string_view text, size_t capacity, const std::string& what) {
    if (HasControlCharacter(text)) return what + " holds a control character";
    if (text.size() >= capacity)
        return what + " longer than " + std::to_string(capacity - 1) + " bytes";
    return {};
}

// Eagle's frame (y up) to the design's (y down).
Point BoardPoint(Point yUp) {
    return {yUp.x, -yUp.y};
}

std::string Key(const std::string& a, const std::string& b) {
    std::string key = a;
    key += '\x1f';
    key += b;
    return key;
}

}  // namespace

int EagleDesignBuilder::PackageOf(const Element& element, std::string& problem) const {
    const auto exact =
        model_.packageByKey.find(Key(Key(element.library, element.libraryUrn), element.package));
    if (exact != model_.packageByKey.end()) return exact->second;
    // An element without a library URN (or one whose URN no library has) takes the package
    // from the one library of that name that holds it.
    const auto named = model_.packagesByName.find(Key(element.library, element.package));
    if (named != model_.packagesByName.end() && named->second.size() == 1 &&
        element.libraryUrn.empty())
        return named->second.front();
    problem = "package " + element.package + " of library " + element.library;
    if (!element.libraryUrn.empty()) problem += " (" + element.libraryUrn + ")";
    if (named != model_.packagesByName.end() && named->second.size() > 1)
        problem +=
            " is held by several libraries of that name, and the element names no URN "
            "that tells them apart";
    else
        problem += " is not in the board's libraries";
    return -1;
}

int EagleDesignBuilder::PadStyleIndex(Package& package, size_t pad, Design& design) {
    if (package.padStyles.size() != package.pads.size())
        package.padStyles.assign(package.pads.size(), -1);
    int& index = package.padStyles[pad];
    if (index >= 0) return index;
    PadStyle style = PadStyleFor(package.pads[pad], model_.padRules);
    const auto [at, inserted] =
        padStyles_.try_emplace(style.name, static_cast<int>(design.padStyles.size()));
    if (inserted) design.padStyles.push_back(std::move(style));
    index = at->second;
    return index;
}

int EagleDesignBuilder::TextStyleIndex(const TextLook& look, Design& design) {
    if (!look.given) return -1;
    std::string name = TextStyleName(look);
    const auto [at, inserted] =
        textStyles_.try_emplace(name, static_cast<int>(design.textStyles.size()));
    if (inserted) design.textStyles.push_back({std::move(name)});
    return at->second;
}

bool EagleDesignBuilder::AddAttributes(const Element& element, const Package& package,
                                       Component& component, ReadError& error) {
    // NAME and VALUE first, from the element; their <attribute> children (smashed texts) give
    // only the look. Any other name counts once, at its first <attribute>.
    const ElementAttribute* nameChild = nullptr;
    const ElementAttribute* valueChild = nullptr;
    for (const auto& a : element.attributes) {
        if (a.name == "NAME" && !nameChild) nameChild = &a;
        if (a.name == "VALUE" && !valueChild) valueChild = &a;
    }
    Design& design = *design_;
    auto look = [&](const ElementAttribute* child, const TextLook& packageText) {
        return TextStyleIndex(child && child->look.given ? child->look : packageText, design);
    };
    std::unordered_set<std::string_view> seen{"NAME", "VALUE"};
    auto add = [&](const std::string& name, const std::string& value, int textStyle) {
        std::string problem = NameProblem(name, kAttributeNameCapacity, "attribute name");
        if (problem.empty() && value.size() >= kAttributeValueCapacity)
            problem = "value of attribute " + name + " longer than " +
                      std::to_string(kAttributeValueCapacity - 1) + " bytes";
        if (problem.empty() && textStyle >= 0 &&
            design.textStyles[static_cast<size_t>(textStyle)].name.size() >= kTextStyleNameCapacity)
            problem = "text style of attribute " + name + " longer than " +
                      std::to_string(kTextStyleNameCapacity - 1) + " bytes";
        if (!problem.empty()) {
            error = {fileName_, element.line, "element " + element.name + ": " + problem};
            return false;
        }
        component.attributes.push_back({name, value, textStyle});
        return true;
    };
    if (!add("NAME", element.name, look(nameChild, package.nameText)) ||
        !add("VALUE", element.value, look(valueChild, package.valueText)))
        return false;
    for (const auto& a : element.attributes) {
        if (!seen.insert(a.name).second) continue;
        if (!add(a.name, a.value, TextStyleIndex(a.look, design))) return false;
    }
    return true;
}

bool EagleDesignBuilder::AddComponent(const Element& element, Design& design, ReadError& error) {
    std::string problem = NameProblem(element.name, kRefDesCapacity, "element name");
    const int packageIndex = problem.empty() ? PackageOf(element, problem) : -1;
    if (!problem.empty()) {
        error = {fileName_, element.line, "element " + element.name + ": " + problem};
        return false;
    }
    Package& package = model_.packages[static_cast<size_t>(packageIndex)];
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
        problem = NameProblem(p.name, kPadNumberCapacity, "pad name");
        if (problem.empty()) {
            const int style = PadStyleIndex(package, i, design);
            const std::string& styleName = design.padStyles[static_cast<size_t>(style)].name;
            if (styleName.size() >= kPadStyleNameCapacity)
                problem = "pad style " + styleName.substr(0, 40) + "... longer than " +
                          std::to_string(kPadStyleNameCapacity - 1) + " bytes";
        }
        if (!problem.empty()) {
            error = {
                fileName_, package.line,
                "package " + element.package + ", pad " + p.name.substr(0, 40) + ": " + problem};
            return false;
        }
        Pad pad;
        pad.padStyle = package.padStyles[i];
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
        for (const Segment& s : from)
            to.push_back(
                {BoardPoint(placement.Apply(s.a)), BoardPoint(placement.Apply(s.b)), s.width});
    };
    place(package.outline, component.outline);
    place(package.dimension, design.boardOutline);
    if (!AddAttributes(element, package, component, error)) return false;
    design.components.push_back(std::move(component));
    return true;
}

bool EagleDesignBuilder::Build(Design& out, ReadError& error) {
    Design design;
    design_ = &design;
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
