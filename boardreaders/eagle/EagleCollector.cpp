// SPDX-License-Identifier: GPL-3.0-or-later
#include "EagleCollector.h"

#include <charconv>
#include <cmath>

#include "EagleUnits.h"

namespace boards::eagle {
namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr double kMaxCoordinateMm = 1e7;  // 10 km
constexpr double kMaxSizeMm = 1e6;        // 1 km
constexpr double kMaxPadMm = 1e3;         // pad sizes and drills: 1 m
constexpr int kCircleSteps = 24;
// Drawings kept for the view (packages' outlines, the Dimension layer): an arc or a circle
// becomes up to 24 segments, so past this many the rest is left undrawn.
constexpr size_t kMaxKeptSegments = 4'000'000;

bool IsOutlineLayer(int layer) {
    return layer == 21 || layer == 22 || layer == 51 || layer == 52;  // t/bPlace, t/bDocu
}
constexpr int kDimensionLayer = 20;

// An arc from a to b turning `curve` degrees counter-clockwise (clockwise when negative), as
// straight pieces of at most 15 degrees.
void AddArc(std::vector<Segment>& out, Point a, Point b, double curve, double width) {
    const double chord = std::hypot(b.x - a.x, b.y - a.y);
    const double half = curve * kPi / 360.0;
    if (chord == 0 || std::fabs(std::sin(half)) < 1e-9) {
        out.push_back({a, b, width});
        return;
    }
    // The centre lies left of the chord for a counter-clockwise arc shorter than a half turn.
    const double h = chord / 2 / std::tan(half);
    const Point mid{(a.x + b.x) / 2, (a.y + b.y) / 2};
    const Point centre{mid.x - (b.y - a.y) / chord * h, mid.y + (b.x - a.x) / chord * h};
    const double radius = std::hypot(a.x - centre.x, a.y - centre.y);
    const double start = std::atan2(a.y - centre.y, a.x - centre.x);
    const int steps = std::max(2, static_cast<int>(std::ceil(std::fabs(curve) / 15.0)));
    Point last = a;
    for (int i = 1; i <= steps; ++i) {
        const Point next =
            i == steps
                ? b
                : Point{centre.x + radius * std::cos(start + curve * kPi / 180.0 * i / steps),
                        centre.y + radius * std::sin(start + curve * kPi / 180.0 * i / steps)};
        out.push_back({last, next, width});
        last = next;
    }
}

}  // namespace

void EagleCollector::Fail(std::string reason) {
    if (failed_) return;
    failed_ = true;
    if (!context_.empty()) reason = context_ + ": " + reason;
    reader_->Fail(std::move(reason));
}

bool EagleCollector::Required(const XmlAttributes& a, std::string_view name,
                              std::string_view& out) {
    if (!a.Has(name)) {
        Fail("missing " + std::string(name) + "=");
        return false;
    }
    out = a.Get(name);
    return true;
}

bool EagleCollector::Number(const XmlAttributes& a, std::string_view name, double& out,
                            bool required, double limit) {
    if (!a.Has(name)) {
        if (required) Fail("missing " + std::string(name) + "=");
        return !required;
    }
    const std::string_view text = a.Get(name);
    double value = 0;
    const char* begin = text.data();
    const char* end = begin + text.size();
    if (begin != end && *begin == '+') ++begin;
    const auto [ptr, ec] = std::from_chars(begin, end, value);
    if (begin == end || ec != std::errc() || ptr != end || !std::isfinite(value) ||
        std::fabs(value) > limit) {
        Fail(std::string(name) + "=\"" + std::string(text.substr(0, 40)) +
             (std::isfinite(value) && ec == std::errc() && ptr == end && begin != end
                  ? "\" is out of range"
                  : "\" is not a number"));
        return false;
    }
    out = value;
    return true;
}

bool EagleCollector::Decimal(const XmlAttributes& a, std::string_view name, DecimalText& out,
                             bool required) {
    if (!a.Has(name)) {
        if (required) Fail("missing " + std::string(name) + "=");
        return !required;
    }
    const std::string_view text = a.Get(name);
    DecimalText value;
    if (!DecimalText::Parse(text, value) || value.IsNegative() || value.ToDouble() > kMaxPadMm) {
        Fail(std::string(name) + "=\"" + std::string(text.substr(0, 40)) +
             "\" is not a size in mm from 0 to 1000");
        return false;
    }
    out = value;
    return true;
}

bool EagleCollector::Integer(const XmlAttributes& a, std::string_view name, int& out, int low,
                             int high) {
    if (!a.Has(name)) return true;
    const std::string_view text = a.Get(name);
    int value = 0;
    const auto [ptr, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || ec != std::errc() || ptr != text.data() + text.size() || value < low ||
        value > high) {
        Fail(std::string(name) + "=\"" + std::string(text.substr(0, 40)) +
             "\" is not a whole number from " + std::to_string(low) + " to " +
             std::to_string(high));
        return false;
    }
    out = value;
    return true;
}

bool EagleCollector::Turn(const XmlAttributes& a, Rotation& out) {
    const std::string_view text = a.Get("rot");
    if (!Rotation::Parse(text, out)) {
        Fail("rot=\"" + std::string(text.substr(0, 40)) + "\" is not a rotation ([S][M]R<angle>)");
        return false;
    }
    return true;
}

bool EagleCollector::Look(const XmlAttributes& a, TextLook& look) {
    if (!a.Has("size")) return true;  // no text of its own
    TextLook l;
    if (!Number(a, "size", l.size, true, kMaxSizeMm)) return false;
    if (l.size < 0) {
        Fail("negative text size");
        return false;
    }
    if (a.Has("font")) {
        const std::string_view font = a.Get("font");
        if (font != "vector" && font != "proportional" && font != "fixed") {
            Fail("font=\"" + std::string(font.substr(0, 40)) +
                 "\" is none of vector, proportional, fixed");
            return false;
        }
        l.font = std::string(font);
    }
    if (!Integer(a, "ratio", l.ratio, 0, 100)) return false;
    l.given = true;
    look = std::move(l);
    return true;
}

void EagleCollector::StartElement(std::string_view name, const XmlAttributes& attributes) {
    const Tag parent = open_.empty() ? Tag::Eagle : open_.back();
    Tag tag = Tag::Other;
    if (open_.empty()) {
        if (name != "eagle") {
            Fail("not an Eagle file: the root element is <" + std::string(name.substr(0, 40)) +
                 ">, not <eagle>");
            return;
        }
        sawRoot_ = true;
        model_.version = std::string(attributes.Get("version").substr(0, 40));
        tag = Tag::Eagle;
    } else if (parent != Tag::Other && parent != Tag::Leaf) {
        tag = Open(parent, name, attributes);
    }
    open_.push_back(tag);
}

void EagleCollector::EndElement() {
    if (open_.empty()) return;
    const Tag tag = open_.back();
    open_.pop_back();
    if (tag == Tag::Package) {
        package_ = -1;
        context_.clear();
    } else if (tag == Tag::Element) {
        context_.clear();
    } else if (tag == Tag::Library) {
        libraryName_.clear();
        libraryUrn_.clear();
    }
}

EagleCollector::Tag EagleCollector::Open(Tag parent, std::string_view name,
                                         const XmlAttributes& a) {
    switch (parent) {
        case Tag::Eagle:
            return name == "drawing" ? Tag::Drawing : Tag::Other;
        case Tag::Drawing:
            if (name == "board") {
                model_.sawBoard = true;
                return Tag::Board;
            }
            if (name == "schematic")
                Fail("an Eagle schematic (<schematic>), not a board: open its .brd file");
            else if (name == "library")
                Fail("an Eagle library (<library>), not a board");
            return Tag::Other;
        case Tag::Board:
            if (name == "plain") return Tag::Plain;
            if (name == "libraries") return Tag::Libraries;
            if (name == "designrules") return Tag::DesignRules;
            if (name == "elements") return Tag::Elements;
            return Tag::Other;
        case Tag::Plain:
            if (name == "wire") AddWire(a, nullptr, &model_.boardOutline);
            if (name == "circle") AddCircle(a, nullptr, &model_.boardOutline);
            return Tag::Leaf;
        case Tag::Libraries:
            if (name != "library") return Tag::Other;
            OpenLibrary(a);
            return Tag::Library;
        case Tag::Library:
            return name == "packages" ? Tag::Packages : Tag::Other;
        case Tag::Packages:
            if (name != "package") return Tag::Other;
            OpenPackage(a);
            return Tag::Package;
        case Tag::Package: {
            if (package_ < 0) return Tag::Leaf;
            Package& p = model_.packages[static_cast<size_t>(package_)];
            if (name == "smd")
                AddPad(a, true);
            else if (name == "pad")
                AddPad(a, false);
            else if (name == "wire")
                AddWire(a, &p.outline, &p.dimension);
            else if (name == "circle")
                AddCircle(a, &p.outline, &p.dimension);
            else if (name == "text")
                AddPackageText(a);
            return Tag::Leaf;  // <hole>: a mechanical hole, no pad
        }
        case Tag::DesignRules:
            if (name == "param") AddDesignRule(a);
            return Tag::Leaf;
        case Tag::Elements:
            if (name != "element") return Tag::Other;
            OpenElement(a);
            return Tag::Element;
        case Tag::Element:
            if (name == "attribute") AddElementAttribute(a);
            return Tag::Leaf;
        default:
            return Tag::Other;
    }
}

void EagleCollector::OpenLibrary(const XmlAttributes& a) {
    libraryName_ = std::string(a.Get("name"));
    libraryUrn_ = std::string(a.Get("urn"));
}

void EagleCollector::OpenPackage(const XmlAttributes& a) {
    std::string_view name;
    if (!Required(a, "name", name)) return;
    std::string key = libraryName_;
    key += '\x1f';
    key += libraryUrn_;
    key += '\x1f';
    key += name;
    // A package met again under the same library keeps its first drawing.
    const auto [at, inserted] =
        model_.packageByKey.try_emplace(std::move(key), static_cast<int>(model_.packages.size()));
    if (!inserted) return;
    context_ = "package " + std::string(name) + " of library " + libraryName_;
    std::string byName = libraryName_;
    byName += '\x1f';
    byName += name;
    model_.packagesByName[std::move(byName)].push_back(at->second);
    model_.packages.emplace_back();
    package_ = at->second;
}

void EagleCollector::AddPad(const XmlAttributes& a, bool smd) {
    PackagePad pad;
    pad.smd = smd;
    std::string_view name;
    if (!Required(a, "name", name)) return;
    if (std::string problem = NameProblem(name, DBX_PAD_NUMBER_SIZE, "pad name");
        !problem.empty()) {
        Fail(problem);
        return;
    }
    pad.name = std::string(name);
    if (!Number(a, "x", pad.at.x, true, kMaxCoordinateMm) ||
        !Number(a, "y", pad.at.y, true, kMaxCoordinateMm) || !Turn(a, pad.rotation))
        return;
    if (smd) {
        if (!Decimal(a, "dx", pad.dx, true) || !Decimal(a, "dy", pad.dy, true) ||
            !Integer(a, "roundness", pad.roundness, 0, 100) ||
            !Integer(a, "layer", pad.layer, 1, 16))
            return;
    } else {
        if (!Decimal(a, "drill", pad.drill, true) || !Decimal(a, "diameter", pad.diameter, false))
            return;
        const std::string_view shape = a.Get("shape");
        if (shape.empty() || shape == "round")
            pad.shape = EaglePadShape::Round;
        else if (shape == "square")
            pad.shape = EaglePadShape::Square;
        else if (shape == "octagon")
            pad.shape = EaglePadShape::Octagon;
        else if (shape == "long")
            pad.shape = EaglePadShape::Long;
        else if (shape == "offset")
            pad.shape = EaglePadShape::Offset;
        else {
            Fail("pad shape=\"" + std::string(shape.substr(0, 40)) +
                 "\" is none of round, square, octagon, long, offset");
            return;
        }
    }
    model_.packages[static_cast<size_t>(package_)].pads.push_back(std::move(pad));
}

void EagleCollector::AddWire(const XmlAttributes& a, std::vector<Segment>* outline,
                             std::vector<Segment>* dimension) {
    int layer = 0;
    if (!Integer(a, "layer", layer, 1, 255)) return;
    std::vector<Segment>* to = layer == kDimensionLayer ? dimension
                               : IsOutlineLayer(layer)  ? outline
                                                        : nullptr;
    if (!to || keptSegments_ > kMaxKeptSegments) return;
    const size_t before = to->size();
    Point p1, p2;
    double width = 0, curve = 0;
    if (!Number(a, "x1", p1.x, true, kMaxCoordinateMm) ||
        !Number(a, "y1", p1.y, true, kMaxCoordinateMm) ||
        !Number(a, "x2", p2.x, true, kMaxCoordinateMm) ||
        !Number(a, "y2", p2.y, true, kMaxCoordinateMm) ||
        !Number(a, "width", width, false, kMaxSizeMm) || !Number(a, "curve", curve, false, 360))
        return;
    if (curve == 0)
        to->push_back({p1, p2, width});
    else
        AddArc(*to, p1, p2, curve, width);
    keptSegments_ += to->size() - before;
}

void EagleCollector::AddCircle(const XmlAttributes& a, std::vector<Segment>* outline,
                               std::vector<Segment>* dimension) {
    int layer = 0;
    if (!Integer(a, "layer", layer, 1, 255)) return;
    std::vector<Segment>* to = layer == kDimensionLayer ? dimension
                               : IsOutlineLayer(layer)  ? outline
                                                        : nullptr;
    if (!to || keptSegments_ > kMaxKeptSegments) return;
    keptSegments_ += kCircleSteps;
    Point c;
    double radius = 0, width = 0;
    if (!Number(a, "x", c.x, true, kMaxCoordinateMm) ||
        !Number(a, "y", c.y, true, kMaxCoordinateMm) ||
        !Number(a, "radius", radius, true, kMaxSizeMm) ||
        !Number(a, "width", width, false, kMaxSizeMm))
        return;
    Point last{c.x + radius, c.y};
    for (int i = 1; i <= kCircleSteps; ++i) {
        const double angle = 2 * kPi * i / kCircleSteps;
        const Point next{c.x + radius * std::cos(angle), c.y + radius * std::sin(angle)};
        to->push_back({last, next, width});
        last = next;
    }
}

void EagleCollector::AddPackageText(const XmlAttributes& a) {
    int layer = 0;
    if (!Integer(a, "layer", layer, 1, 255)) return;
    Package& p = model_.packages[static_cast<size_t>(package_)];
    TextLook* look = (layer == 25 || layer == 26)   ? &p.nameText
                     : (layer == 27 || layer == 28) ? &p.valueText
                                                    : nullptr;
    if (!look || look->given) return;
    Look(a, *look);
}

void EagleCollector::AddDesignRule(const XmlAttributes& a) {
    const std::string_view name = a.Get("name");
    const std::string_view value = a.Get("value");
    PadRules& rules = model_.padRules;
    double number = 0;
    auto length = [&](double& out) {
        if (!ParseEagleLength(value, number) || number < 0 || number > kMaxSizeMm) {
            Fail("design rule " + std::string(name) + "=\"" + std::string(value.substr(0, 40)) +
                 "\" is not a length");
            return;
        }
        out = number;
    };
    auto plain = [&](double& out, double high) {
        const auto [ptr, ec] = std::from_chars(value.data(), value.data() + value.size(), number);
        if (value.empty() || ec != std::errc() || ptr != value.data() + value.size() ||
            !(number >= 0 && number <= high)) {
            Fail("design rule " + std::string(name) + "=\"" + std::string(value.substr(0, 40)) +
                 "\" is not a number from 0 to " + std::to_string(static_cast<int>(high)));
            return;
        }
        out = number;
    };
    if (name == "rvPadTop") {
        plain(rules.restringRatio, 1);
    } else if (name == "rlMinPadTop") {
        length(rules.restringMinMm);
    } else if (name == "rlMaxPadTop") {
        length(rules.restringMaxMm);
    } else if (name == "psElongationLong") {
        plain(rules.longElongation, 1000);
    } else if (name == "psElongationOffset") {
        plain(rules.offsetElongation, 1000);
    } else if (name == "useDiameter") {
        double bits = 0;
        plain(bits, 1 << 30);
        rules.useLibraryDiameter = (static_cast<long>(bits) & 1) != 0;
    }
}

void EagleCollector::OpenElement(const XmlAttributes& a) {
    Element e;
    std::string_view name, library, package;
    if (!Required(a, "name", name)) return;
    e.name = std::string(name);
    context_ = "element " + e.name;
    if (std::string problem = NameProblem(name, DBX_REFDES_SIZE, "element name");
        !problem.empty()) {
        Fail(problem);
        return;
    }
    if (!Required(a, "library", library) || !Required(a, "package", package)) return;
    e.library = std::string(library);
    e.package = std::string(package);
    e.libraryUrn = std::string(a.Get("library_urn"));
    e.value = std::string(a.Get("value"));
    if (e.value.size() >= DBX_ATTRIBUTE_VALUE_SIZE) {
        Fail("value longer than " + std::to_string(DBX_ATTRIBUTE_VALUE_SIZE - 1) + " bytes");
        return;
    }
    // Eagle writes the libraries first: the package is known by now. When it is not (yet), it
    // is looked up again once the file is read, and the line is kept for the error.
    std::string problem;
    e.packageIndex = FindPackage(model_, e, problem);
    if (e.packageIndex < 0) e.line = reader_->CurrentLine();
    model_.elements.push_back(std::move(e));
    Element& placed = model_.elements.back();
    if (!Number(a, "x", placed.at.x, true, kMaxCoordinateMm) ||
        !Number(a, "y", placed.at.y, true, kMaxCoordinateMm))
        return;
    Turn(a, placed.rotation);
}

void EagleCollector::AddElementAttribute(const XmlAttributes& a) {
    if (model_.elements.empty()) return;
    ElementAttribute attribute;
    std::string_view name;
    if (!Required(a, "name", name)) return;
    std::string problem = NameProblem(name, DBX_ATTRIBUTE_NAME_SIZE, "attribute name");
    if (problem.empty() && a.Get("value").size() >= DBX_ATTRIBUTE_VALUE_SIZE)
        problem = "value of attribute " + std::string(name) + " longer than " +
                  std::to_string(DBX_ATTRIBUTE_VALUE_SIZE - 1) + " bytes";
    if (!problem.empty()) {
        Fail(problem);
        return;
    }
    attribute.name = std::string(name);
    attribute.hasValue = a.Has("value");
    attribute.value = std::string(a.Get("value"));
    if (!Look(a, attribute.look)) return;
    model_.elements.back().attributes.push_back(std::move(attribute));
}

}  // namespace boards::eagle
