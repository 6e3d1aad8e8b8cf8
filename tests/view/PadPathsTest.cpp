// SPDX-License-Identifier: GPL-3.0-or-later
// Pad shapes: what each shape covers, and that garbage sizes still give a small visible pad.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "pcbhost/view/PadPaths.h"

namespace pcbhost::view {
namespace {

PadGeometry Shape(PadShape shape, double w, double h) {
    PadGeometry g;
    g.shape = shape;
    g.sizeX = w;
    g.sizeY = h;
    return g;
}

TEST(PadPaths, ShapesCoverTheirOwnAreaOnly) {
    const PadPaths circle = PadPaths::Build(Shape(PadShape::Circle, 2, 2));
    EXPECT_TRUE(circle.copper.contains(QPointF(0.95, 0)));
    EXPECT_FALSE(circle.copper.contains(QPointF(0.9, 0.9)));

    const PadPaths rect = PadPaths::Build(Shape(PadShape::Rect, 2, 1));
    EXPECT_TRUE(rect.copper.contains(QPointF(0.95, 0.45)));
    EXPECT_FALSE(rect.copper.contains(QPointF(0, 0.6)));
    EXPECT_TRUE(rect.hole.isEmpty());

    const PadPaths oval = PadPaths::Build(Shape(PadShape::Oval, 3, 1));
    EXPECT_TRUE(oval.copper.contains(QPointF(1.4, 0)));
    EXPECT_FALSE(oval.copper.contains(QPointF(1.45, 0.45)));  // the rounded end

    PadGeometry rr = Shape(PadShape::RoundRect, 2, 2);
    rr.roundRectRatio = 0.25;  // radius 0.5
    const PadPaths roundRect = PadPaths::Build(rr);
    EXPECT_FALSE(roundRect.copper.contains(QPointF(0.95, 0.95)));
    EXPECT_TRUE(roundRect.copper.contains(QPointF(0.95, 0.4)));
}

TEST(PadPaths, ChamfersCutOnlyTheChosenCorners) {
    PadGeometry g = Shape(PadShape::ChamferedRect, 2, 2);
    g.chamferRatio = 0.4;  // 0.8 mm
    g.chamferCorners = kChamferTopLeft | kChamferBottomRight;
    const PadPaths p = PadPaths::Build(g);
    EXPECT_FALSE(p.copper.contains(QPointF(-0.9, -0.9)));  // top left (y grows downwards)
    EXPECT_FALSE(p.copper.contains(QPointF(0.9, 0.9)));
    EXPECT_TRUE(p.copper.contains(QPointF(0.9, -0.9)));
    EXPECT_TRUE(p.copper.contains(QPointF(-0.9, 0.9)));
}

TEST(PadPaths, TrapezoidDeltasTaperTheirOwnEdges) {
    PadGeometry g = Shape(PadShape::Trapezoid, 2, 2);
    g.deltaY = 1;  // top edge 0.5 mm shorter at each end, bottom edge as much longer
    PadPaths p = PadPaths::Build(g);
    EXPECT_FALSE(p.copper.contains(QPointF(-0.8, -0.9)));
    EXPECT_TRUE(p.copper.contains(QPointF(-0.8, 0.9)));
    EXPECT_NEAR(p.copper.boundingRect().width(), 3.0, 1e-9);
    EXPECT_NEAR(p.copper.boundingRect().height(), 2.0, 1e-9);

    g.deltaY = 0;
    g.deltaX = 1;  // left edge 0.5 mm longer at each end, right edge as much shorter
    p = PadPaths::Build(g);
    EXPECT_TRUE(p.copper.contains(QPointF(-0.9, -1.3)));
    EXPECT_FALSE(p.copper.contains(QPointF(0.9, -0.9)));
    EXPECT_NEAR(p.copper.boundingRect().width(), 2.0, 1e-9);
    EXPECT_NEAR(p.copper.boundingRect().height(), 3.0, 1e-9);
}

TEST(PadPaths, CustomPolygonsJoinTheAnchor) {
    PadGeometry g = Shape(PadShape::Custom, 1, 1);
    g.customPolygons = {{{0, -0.2}, {3, -0.2}, {3, 0.2}, {0, 0.2}}, {{5, 5}, {6, 6}}};
    const PadPaths p = PadPaths::Build(g);
    EXPECT_TRUE(p.copper.contains(QPointF(0, 0)));
    EXPECT_TRUE(p.copper.contains(QPointF(2.5, 0)));
    EXPECT_FALSE(p.copper.contains(QPointF(2.5, 0.5)));
    EXPECT_LT(p.copper.boundingRect().right(), 3.1) << "two-point polygon ignored";
}

TEST(PadPaths, DrillsAreRoundOrSlottedAndOffset) {
    PadGeometry g = Shape(PadShape::Circle, 3, 3);
    g.drillX = 1;
    g.drillY = 2;
    g.drillOffset = {0.5, 0};
    const QRectF hole = PadPaths::Build(g).hole.boundingRect();
    EXPECT_NEAR(hole.center().x(), 0.5, 1e-9);
    EXPECT_NEAR(hole.width(), 1, 1e-9);
    EXPECT_NEAR(hole.height(), 2, 1e-9);

    g.drillY = 0;  // one size given: round
    EXPECT_NEAR(PadPaths::Build(g).hole.boundingRect().height(), 1, 1e-9);
}

TEST(PadPaths, GarbageSizesGiveASmallSquare) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    for (double bad : {0.0, -3.0, nan, 1e300, std::numeric_limits<double>::infinity()}) {
        PadGeometry g = Shape(PadShape::Rect, bad, bad);
        g.drillX = bad;
        g.drillOffset = {nan, bad};
        const PadPaths p = PadPaths::Build(g);
        EXPECT_NEAR(p.copper.boundingRect().width(), 0.5, 1e-9) << bad;
        EXPECT_TRUE(p.hole.isEmpty()) << bad;
    }
    // One good size: a square of it.
    EXPECT_NEAR(PadPaths::Build(Shape(PadShape::Rect, 1.2, nan)).copper.boundingRect().height(),
                1.2, 1e-9);
}

}  // namespace
}  // namespace pcbhost::view
