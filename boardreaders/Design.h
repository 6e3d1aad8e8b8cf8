// SPDX-License-Identifier: GPL-3.0-or-later
// The design model every board reader fills: what pcbhost serves to the library and draws.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "Dbx32.h"

namespace boards {

// Design unit served to the library.
constexpr double kDesignUnitsPerMm = DBX_DESIGN_UNITS_PER_MM;

struct Point {
    double x = 0;  // mm, board coordinates (y grows downwards, as in the board file)
    double y = 0;
};

enum class PadType { ThroughHole, Smd, Connect, NpThroughHole };
enum class PadShape { Circle, Rect, Oval, Trapezoid, RoundRect, ChamferedRect, Custom };

// Chamfered corners, as bits.
enum ChamferCorner : unsigned {
    kChamferTopLeft = 1,
    kChamferTopRight = 2,
    kChamferBottomLeft = 4,
    kChamferBottomRight = 8,
};

// A pad's shape in its own frame (centre at 0,0, unrotated), mm.
struct PadGeometry {
    PadType type = PadType::Smd;
    PadShape shape = PadShape::Rect;
    double sizeX = 0, sizeY = 0;
    double drillX = 0, drillY = 0;  // 0: no drill; drillX != drillY: oval drill
    Point drillOffset;
    double roundRectRatio = 0;  // RoundRect and ChamferedRect corner radius / min(size)
    double chamferRatio = 0;
    unsigned chamferCorners = 0;
    double deltaX = 0, deltaY = 0;                   // Trapezoid
    std::vector<std::vector<Point>> customPolygons;  // Custom: primitives as closed polygons
};

struct PadStyle {
    std::string name;
    int32_t holeDiameter = 0;  // design units; 0: no hole
    PadGeometry geometry;      // empty for designs without geometry
};

struct TextStyle {
    std::string name;
};

struct Pad {
    int padStyle = -1;  // index into Design::padStyles
    std::string number;
    Point position;         // board coordinates, mm
    double rotation = 0;    // degrees, counter-clockwise as in the board file
    bool onTop = true;      // copper on the top side
    bool onBottom = false;  // copper on the bottom side
};

struct Attribute {
    std::string name;
    std::string value;
    int textStyle = -1;  // index into Design::textStyles; -1: the field has no text of its own
};

struct Segment {
    Point a, b;
    double width = 0;
};

struct Component {
    std::string refDes;
    std::vector<Pad> pads;              // file order
    std::vector<Attribute> attributes;  // file order
    // Geometry, for drawing only.
    Point position;
    double rotation = 0;
    bool bottomSide = false;
    std::vector<Segment> outline;  // courtyard or fabrication lines, board coordinates
    Point refDesPosition;
    bool hasGeometry = false;
};

struct Design {
    std::vector<PadStyle> padStyles;
    std::vector<TextStyle> textStyles;
    std::vector<Component> components;  // walk order
    std::vector<Segment> boardOutline;  // arcs and circles as segments
    bool hasGeometry = false;
    // What the reader chose that the user should be told (which step of a job holding several),
    // or empty.
    std::string readNote;
};

}  // namespace boards
