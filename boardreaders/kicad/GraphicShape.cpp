// SPDX-License-Identifier: GPL-3.0-or-later
#include "GraphicShape.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "BoardNumbers.h"

namespace boards::kicad {

namespace {

using Item = SexprTokenizer::Item;

constexpr double kDegToRad = std::numbers::pi / 180.0;
constexpr int kCircleSegments = 32;

// Points along an arc from `from`, turning `sweepDeg` around `centre` (screen degrees).
void AppendArcPoints(Point centre, Point from, double sweepDeg, std::vector<Point>& out) {
    const double radius = std::hypot(from.x - centre.x, from.y - centre.y);
    const double startAngle = std::atan2(from.y - centre.y, from.x - centre.x);
    const int steps =
        std::clamp(static_cast<int>(std::ceil(std::abs(sweepDeg) / 11.25)), 1, kCircleSegments);
    for (int i = 1; i <= steps; ++i) {
        const double a = startAngle + sweepDeg * kDegToRad * i / steps;
        out.push_back({centre.x + radius * std::cos(a), centre.y + radius * std::sin(a)});
    }
}

// Arc through three points as a polyline, `start` included.
void ArcThroughPoints(Point start, Point mid, Point end, std::vector<Point>& out) {
    out.push_back(start);
    const double ax = mid.x - start.x, ay = mid.y - start.y;
    const double bx = end.x - start.x, by = end.y - start.y;
    const double d = 2 * (ax * by - ay * bx);
    if (std::abs(d) < 1e-12) {  // collinear: a straight line
        out.push_back(end);
        return;
    }
    const double a2 = ax * ax + ay * ay, b2 = bx * bx + by * by;
    const Point centre{start.x + (by * a2 - ay * b2) / d, start.y + (ax * b2 - bx * a2) / d};
    if (!(std::abs(centre.x) <= kMaxCoordinateMm && std::abs(centre.y) <= kMaxCoordinateMm)) {
        // So nearly straight that its centre lies off any board: the two chords are exact enough.
        out.push_back(mid);
        out.push_back(end);
        return;
    }
    const auto angleOf = [&](Point p) { return std::atan2(p.y - centre.y, p.x - centre.x); };
    const double a0 = angleOf(start), am = angleOf(mid), a1 = angleOf(end);
    const auto norm = [](double a) {
        a = std::fmod(a, 2 * std::numbers::pi);
        return a < 0 ? a + 2 * std::numbers::pi : a;
    };
    double sweep = norm(a1 - a0);
    if (norm(am - a0) > sweep) sweep -= 2 * std::numbers::pi;  // the other way round
    AppendArcPoints(centre, start, sweep / kDegToRad, out);
    out.back() = end;
}

void CirclePoints(Point centre, double radius, std::vector<Point>& out) {
    for (int i = 0; i < kCircleSegments; ++i) {
        const double a = 2 * std::numbers::pi * i / kCircleSegments;
        out.push_back({centre.x + radius * std::cos(a), centre.y + radius * std::sin(a)});
    }
}

// The shape's path in local coordinates; `closed` when it returns to its first point.
std::vector<Point> ShapePath(const GraphicShape& s, bool& closed) {
    std::vector<Point> path;
    closed = false;
    switch (s.kind) {
        case GraphicShape::Kind::Line:
            path = {s.start, s.end};
            break;
        case GraphicShape::Kind::Rect:
            path = {s.start, {s.end.x, s.start.y}, s.end, {s.start.x, s.end.y}};
            closed = true;
            break;
        case GraphicShape::Kind::Circle:
            CirclePoints(s.centre, std::hypot(s.end.x - s.centre.x, s.end.y - s.centre.y), path);
            closed = true;
            break;
        case GraphicShape::Kind::Arc:
            if (s.hasMid) {
                ArcThroughPoints(s.start, s.mid, s.end, path);
            } else {
                path.push_back(s.end);
                AppendArcPoints(s.start, s.end, s.angle, path);
            }
            break;
        case GraphicShape::Kind::Poly:
            path = s.points;
            closed = true;
            break;
        case GraphicShape::Kind::Curve:
            path = s.points;
            break;
    }
    return path;
}

}  // namespace

bool GraphicKindOf(std::string_view head, GraphicShape::Kind& kind) {
    if (head.size() < 4 || head[2] != '_' || !(head.starts_with("gr") || head.starts_with("fp"))) {
        return false;
    }
    const std::string_view name = head.substr(3);
    if (name == "line")
        kind = GraphicShape::Kind::Line;
    else if (name == "rect")
        kind = GraphicShape::Kind::Rect;
    else if (name == "circle")
        kind = GraphicShape::Kind::Circle;
    else if (name == "arc")
        kind = GraphicShape::Kind::Arc;
    else if (name == "poly")
        kind = GraphicShape::Kind::Poly;
    else if (name == "curve")
        kind = GraphicShape::Kind::Curve;
    else
        return false;
    return true;
}

void ReadPoints(SexprTokenizer& tok, std::vector<Point>& points) {
    for (;;) {
        const Item item = tok.NextItem();
        if (item == Item::ListEnd) return;
        if (item == Item::Atom) continue;
        if (tok.Head() == "xy") {
            points.push_back(ReadPointList(tok));
        } else if (tok.Head() == "arc") {
            Point start, mid, end;
            while (tok.NextChildList()) {
                const std::string_view head = tok.Head();
                if (head == "start")
                    start = ReadPointList(tok);
                else if (head == "mid")
                    mid = ReadPointList(tok);
                else if (head == "end")
                    end = ReadPointList(tok);
                else
                    tok.SkipList();
            }
            ArcThroughPoints(start, mid, end, points);
        } else {
            tok.SkipList();
        }
        if (points.size() > 10'000'000) tok.Fail("too many points");
    }
}

GraphicShape ReadGraphicShape(SexprTokenizer& tok, GraphicShape::Kind kind) {
    GraphicShape s;
    s.kind = kind;
    for (;;) {
        const Item item = tok.NextItem();
        if (item == Item::ListEnd) return s;
        if (item == Item::Atom) continue;
        const std::string_view head = tok.Head();
        if (head == "start") {
            s.start = ReadPointList(tok);
        } else if (head == "end") {
            s.end = ReadPointList(tok);
        } else if (head == "mid") {
            s.mid = ReadPointList(tok);
            s.hasMid = true;
        } else if (head == "center") {
            s.centre = ReadPointList(tok);
        } else if (head == "angle") {
            s.angle = ReadAngle(tok);
            tok.ExpectListEnd();
        } else if (head == "layer") {
            s.layer = tok.ReadString();
            tok.SkipList();
        } else if (head == "width") {
            s.width = ReadSize(tok);
            tok.ExpectListEnd();
        } else if (head == "stroke") {
            while (tok.NextChildList()) {
                if (tok.Head() == "width") {
                    s.width = ReadSize(tok);
                    tok.ExpectListEnd();
                } else {
                    tok.SkipList();
                }
            }
        } else if (head == "pts") {
            ReadPoints(tok, s.points);
        } else {
            tok.SkipList();
        }
    }
}

Placement::Placement(Point origin, double angle) : origin_(origin) {
    // Exact for the right angles that most parts use.
    const double a = std::fmod(angle, 360.0);
    if (a == 0) {
        cos_ = 1, sin_ = 0;
    } else if (a == 90 || a == -270) {
        cos_ = 0, sin_ = 1;
    } else if (a == 180 || a == -180) {
        cos_ = -1, sin_ = 0;
    } else if (a == 270 || a == -90) {
        cos_ = 0, sin_ = -1;
    } else {
        cos_ = std::cos(a * kDegToRad);
        sin_ = std::sin(a * kDegToRad);
    }
}

void AppendSegments(const GraphicShape& shape, const Placement& placement,
                    std::vector<Segment>& out) {
    bool closed = false;
    const std::vector<Point> path = ShapePath(shape, closed);
    if (path.size() < 2) return;
    const size_t count = closed ? path.size() : path.size() - 1;
    for (size_t i = 0; i < count; ++i) {
        out.push_back({placement.ToBoard(path[i]), placement.ToBoard(path[(i + 1) % path.size()]),
                       shape.width});
    }
}

std::vector<Point> ShapePolygon(const GraphicShape& shape) {
    bool closed = false;
    std::vector<Point> path = ShapePath(shape, closed);
    if (closed || path.size() < 2 || shape.width <= 0) return path;
    // An open stroke becomes the band of its width around each of its segments.
    std::vector<Point> polygon;
    const double half = shape.width / 2;
    std::vector<Point> left, right;
    for (size_t i = 0; i + 1 < path.size(); ++i) {
        const double dx = path[i + 1].x - path[i].x, dy = path[i + 1].y - path[i].y;
        const double len = std::hypot(dx, dy);
        if (len == 0) continue;
        const double nx = -dy / len * half, ny = dx / len * half;
        left.push_back({path[i].x + nx, path[i].y + ny});
        left.push_back({path[i + 1].x + nx, path[i + 1].y + ny});
        right.push_back({path[i].x - nx, path[i].y - ny});
        right.push_back({path[i + 1].x - nx, path[i + 1].y - ny});
    }
    polygon = left;
    polygon.insert(polygon.end(), right.rbegin(), right.rend());
    return polygon;
}

}  // namespace boards::kicad
