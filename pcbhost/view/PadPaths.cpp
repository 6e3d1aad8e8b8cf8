// SPDX-License-Identifier: GPL-3.0-or-later
#include "pcbhost/view/PadPaths.h"

#include <algorithm>
#include <cmath>

#include <QPolygonF>

namespace pcbhost::view {
namespace {

constexpr double kDefaultSize = 0.5;
constexpr double kMaxSize = 500.0;

double SaneSize(double v) {
    return std::isfinite(v) && v > 0 && v <= kMaxSize ? v : 0.0;
}

double SaneOffset(double v) {
    return std::isfinite(v) && std::abs(v) <= kMaxSize ? v : 0.0;
}

double Ratio(double v, double max) {
    return std::isfinite(v) ? std::clamp(v, 0.0, max) : 0.0;
}

QPolygonF Chamfered(const QRectF& r, double c, unsigned corners) {
    QPolygonF p;
    const auto corner = [&](unsigned bit, QPointF at, QPointF in, QPointF out) {
        if (c > 0 && (corners & bit)) {
            p << at + in * c << at + out * c;
        } else {
            p << at;
        }
    };
    // Clockwise on screen (y grows downwards), starting at the top left.
    corner(kChamferTopLeft, r.topLeft(), {0, 1}, {1, 0});
    corner(kChamferTopRight, r.topRight(), {-1, 0}, {0, 1});
    corner(kChamferBottomRight, r.bottomRight(), {0, -1}, {-1, 0});
    corner(kChamferBottomLeft, r.bottomLeft(), {1, 0}, {0, -1});
    p << p.first();
    return p;
}

QPolygonF Trapezoid(double w, double h, double deltaX, double deltaY) {
    // deltaX lengthens the left edge and shortens the right one by as much; deltaY lengthens
    // the bottom edge and shortens the top one (y grows downwards).
    const double hx = w / 2, hy = h / 2;
    const double dx = std::clamp(deltaX / 2, -hy, hy), dy = std::clamp(deltaY / 2, -hx, hx);
    QPolygonF p;
    p << QPointF(-hx + dy, -hy - dx) << QPointF(hx - dy, -hy + dx) << QPointF(hx + dy, hy - dx)
      << QPointF(-hx - dy, hy + dx) << QPointF(-hx + dy, -hy - dx);
    return p;
}

}  // namespace

PadPaths PadPaths::Build(const PadGeometry& g) {
    PadPaths paths;
    double w = SaneSize(g.sizeX), h = SaneSize(g.sizeY);
    if (w == 0 && h == 0) {
        w = h = kDefaultSize;
    } else if (w == 0 || h == 0) {
        w = h = std::max(w, h);
    }
    const QRectF r(-w / 2, -h / 2, w, h);
    const double small = std::min(w, h);
    QPainterPath& copper = paths.copper;
    switch (g.shape) {
        case PadShape::Circle:
            copper.addEllipse(QPointF(0, 0), w / 2, w / 2);
            break;
        case PadShape::Oval:
            copper.addRoundedRect(r, small / 2, small / 2);
            break;
        case PadShape::RoundRect: {
            const double radius = Ratio(g.roundRectRatio, 0.5) * small;
            copper.addRoundedRect(r, radius, radius);
            break;
        }
        case PadShape::ChamferedRect:
            copper.addPolygon(Chamfered(r, Ratio(g.chamferRatio, 0.5) * small, g.chamferCorners));
            copper.closeSubpath();
            break;
        case PadShape::Trapezoid:
            copper.addPolygon(Trapezoid(w, h, SaneOffset(g.deltaX), SaneOffset(g.deltaY)));
            copper.closeSubpath();
            break;
        case PadShape::Custom:
            copper.setFillRule(Qt::WindingFill);
            copper.addEllipse(QPointF(0, 0), small / 2, small / 2);
            for (const auto& polygon : g.customPolygons) {
                QPolygonF p;
                for (const Point& pt : polygon) {
                    p << QPointF(SaneOffset(pt.x), SaneOffset(pt.y));
                }
                if (p.size() >= 3) {
                    copper.addPolygon(p);
                    copper.closeSubpath();
                }
            }
            break;
        case PadShape::Rect:
        default:
            copper.addRect(r);
            break;
    }

    double drillX = SaneSize(g.drillX), drillY = SaneSize(g.drillY);
    if (drillX > 0 || drillY > 0) {
        if (drillX == 0 || drillY == 0) drillX = drillY = std::max(drillX, drillY);
        const QPointF at(SaneOffset(g.drillOffset.x), SaneOffset(g.drillOffset.y));
        const double radius = std::min(drillX, drillY) / 2;
        paths.hole.addRoundedRect(
            QRectF(at - QPointF(drillX / 2, drillY / 2), QSizeF(drillX, drillY)), radius, radius);
    }
    return paths;
}

}  // namespace pcbhost::view
