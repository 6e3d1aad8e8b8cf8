// SPDX-License-Identifier: GPL-3.0-or-later
// pcbhost's board view on a real Eagle board: copper where the pads were placed, top and
// bottom, holes in through-hole pads, nothing between.
#include <gtest/gtest.h>

#include <memory>

#include "boardreaders/eagle/EagleReader.h"
#include "pcbhost/view/BoardRenderer.h"
#include "pcbhost/view/BoardView.h"

namespace {

using pcbhost::view::BoardRenderer;

bool Near(QColor a, QColor b, int tolerance = 40) {
    return std::abs(a.red() - b.red()) + std::abs(a.green() - b.green()) +
               std::abs(a.blue() - b.blue()) <=
           tolerance;
}

TEST(EagleBoardView, DrawsPadsWhereTheElementsPlacedThem) {
    auto design = std::make_shared<boards::Design>();
    boards::ReadError error;
    ASSERT_TRUE(boards::ReadEagleBoard(
        std::string(PARTWISE_EAGLE_DATA_DIR) + "/sparkfun-openlog.brd", *design, error))
        << error.ToString();
    pcbhost::view::BoardView view;
    view.resize(1200, 1400);
    view.setScene(std::make_shared<const pcbhost::view::BoardScene>(design));
    const QImage image = view.grab().toImage();
    auto colourAt = [&](boards::Point mm) {
        return image.pixelColor(view.viewTransform().toScreen(QPointF(mm.x, mm.y)).toPoint());
    };
    int top = 0, bottom = 0, holes = 0, topPads = 0, bottomPads = 0;
    for (const auto& c : design->components) {
        for (const auto& pad : c.pads) {
            const auto& style = design->padStyles[size_t(pad.padStyle)];
            const QColor centre = colourAt(pad.position);
            if (style.holeDiameter > 0) {
                // The drill is a hole; copper rings it half-way out to the pad's edge.
                holes += Near(centre, BoardRenderer::kBackground);
                const double ring = (style.geometry.drillX + style.geometry.sizeX) / 4;
                EXPECT_FALSE(Near(colourAt({pad.position.x + ring, pad.position.y}),
                                  BoardRenderer::kBackground))
                    << c.refDes << " " << pad.number;
            } else if (pad.onTop) {
                ++topPads;
                top += Near(centre, BoardRenderer::kTopCopper);
            } else {
                ++bottomPads;
                bottom += Near(centre, BoardRenderer::kBottomCopper);
            }
        }
    }
    // Labels and the top side's copper stand over some pads: most are seen as placed. The
    // bottom pads are the mirrored microSD socket's, partly under the processor's.
    EXPECT_EQ(topPads, 65);
    EXPECT_EQ(bottomPads, 14);
    EXPECT_GE(top, 55);
    EXPECT_GE(bottom, 6);
    EXPECT_GE(holes, 5);  // JP2's label stands over one of its six
}

}  // namespace
