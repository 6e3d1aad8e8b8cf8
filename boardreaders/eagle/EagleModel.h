// SPDX-License-Identifier: GPL-3.0-or-later
// What the Eagle reader keeps of a board while streaming it: the packages of the board's
// libraries, the elements placed from them, the board outline and the design rules that size
// pads without a diameter. Lengths in mm, Eagle's frame (y grows upwards).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "EagleRotation.h"
#include "boardreaders/Design.h"
#include "boardreaders/ipc2581/DecimalText.h"

namespace boards::eagle {

using ipc2581::DecimalText;

enum class EaglePadShape : uint8_t { Round, Square, Octagon, Long, Offset };

// A <pad> (through-hole) or <smd> of a package.
struct PackagePad {
    std::string name;
    bool smd = false;
    Point at;
    Rotation rotation;
    // <pad>
    DecimalText drill;
    DecimalText diameter;  // zero: sized by the design rules
    EaglePadShape shape = EaglePadShape::Round;
    // <smd>
    DecimalText dx, dy;
    int roundness = 0;  // percent
    int layer = 1;      // 1 top, 16 bottom
};

// How a text is drawn, as Eagle stores it.
struct TextLook {
    bool given = false;
    std::string font;  // "vector", "proportional", "fixed"; empty: not stored (proportional)
    double size = 0;
    int ratio = 8;
};

struct Package {
    std::vector<PackagePad> pads;
    std::vector<Segment> outline;    // tPlace, tDocu (and their bottom twins), package frame
    std::vector<Segment> dimension;  // layer 20 drawn by the package
    TextLook nameText, valueText;    // the first text on tNames / tValues
    std::vector<int> padStyles;      // per pad, filled when first placed (-1: not yet)
};

struct ElementAttribute {
    std::string name;
    std::string value;
    bool hasValue = false;
    TextLook look;
};

struct Element {
    std::string name, library, libraryUrn, package, value;
    Point at;
    Rotation rotation;
    std::vector<ElementAttribute> attributes;
    int packageIndex = -1;  // found while reading, or -1: looked up again once all is read
    int line = 0;           // kept only for an element whose package was not found at once
};

// Restring of pads on the top layer: restring = clamp(ratio * drill, min, max); a pad's
// diameter is drill + 2 * restring, or the library's diameter when larger and Eagle is told to
// use it. Defaults are Eagle's own.
struct PadRules {
    double restringRatio = 0.25;
    double restringMinMm = 0.254;  // 10 mil
    double restringMaxMm = 0.508;  // 20 mil
    bool useLibraryDiameter = true;
    double longElongation = 100;    // percent of the diameter added to a long pad's length
    double offsetElongation = 100;  // same for an offset pad
};

struct Model {
    std::string version;
    std::vector<Package> packages;
    // Library name, library URN and package name, '\x1f'-separated.
    std::unordered_map<std::string, int> packageByKey;
    // Library name and package name: every library of that name holding the package.
    std::unordered_map<std::string, std::vector<int>> packagesByName;
    std::vector<Element> elements;
    std::vector<Segment> boardOutline;  // layer 20 of <plain>, Eagle's frame
    PadRules padRules;
    bool sawBoard = false;
};

// The package an element is placed from (rule 2 of README.md), or -1 with the reason.
int FindPackage(const Model& model, const Element& element, std::string& problem);

// Why a name cannot be served (a control character, or `capacity` bytes or more), or empty.
std::string NameProblem(std::string_view text, size_t capacity, const std::string& what);

}  // namespace boards::eagle
