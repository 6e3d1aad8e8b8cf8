// SPDX-License-Identifier: GPL-3.0-or-later
// A drawn shape of a board or footprint (gr_* and fp_* lists) and its outline as segments.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "SexprTokenizer.h"
#include "boardreaders/Design.h"

namespace boards::kicad {

struct GraphicShape {
    enum class Kind { Line, Rect, Circle, Arc, Poly, Curve };
    Kind kind = Kind::Line;
    Point start, end, mid, centre;
    bool hasMid = false;
    double angle = 0;           // arcs of older files: start is the centre, end the first point
    std::vector<Point> points;  // Poly, Curve
    std::string layer;
    double width = 0;
};

// Which kind a list head names ("gr_line", "fp_arc", ...); false for any other head.
bool GraphicKindOf(std::string_view head, GraphicShape::Kind& kind);

// Reads the rest of a shape's list.
GraphicShape ReadGraphicShape(SexprTokenizer& tok, GraphicShape::Kind kind);

// Reads the rest of a `(pts (xy x y) (arc (start ..) (mid ..) (end ..)) ...)` list.
void ReadPoints(SexprTokenizer& tok, std::vector<Point>& points);

// Where a footprint puts its local coordinates on the board.
class Placement {
  public:
    Placement() = default;
    // `angle`: degrees, counter-clockwise on screen (y grows downwards).
    Placement(Point origin, double angle);
    Point ToBoard(Point local) const {
        return {origin_.x + local.x * cos_ + local.y * sin_,
                origin_.y - local.x * sin_ + local.y * cos_};
    }

  private:
    Point origin_;
    double cos_ = 1, sin_ = 0;
};

// Appends the shape's outline, arcs and circles as short segments.
void AppendSegments(const GraphicShape& shape, const Placement& placement,
                    std::vector<Segment>& out);

// The shape as a closed polygon in local coordinates (custom pad primitives).
std::vector<Point> ShapePolygon(const GraphicShape& shape);

}  // namespace boards::kicad
