// SPDX-License-Identifier: GPL-3.0-or-later
// The board view draws the real PcbDoc board: copper at its pads, holes in its through-hole pads,
// components' overlay outlines and the board outline inside the picture.
#include <gtest/gtest.h>

#include <QImage>
#include <cstdlib>
#include <memory>

#include "boardreaders/pcbdoc/PcbDocReader.h"
#include "pcbhost/view/BoardRenderer.h"
#include "pcbhost/view/BoardView.h"

namespace {

using pcbhost::view::BoardRenderer;

bool Near(QColor a, QColor b, int tolerance = 40) {
    return std::abs(a.red() - b.red()) + std::abs(a.green() - b.green()) +
               std::abs(a.blue() - b.blue()) <=
           tolerance;
}

TEST(PcbDocBoardView, DrawsPadsHolesAndOutlines) {
    auto design = std::make_shared<boards::Design>();
    boards::ReadError error;
    ASSERT_TRUE(boards::ReadPcbDocBoard(
        std::string(PARTWISE_PCBDOC_DATA_DIR) + "/oim-fsm-driver.PcbDoc", *design, error))
        << error.ToString();
    pcbhost::view::BoardView view;
    view.resize(1600, 1000);
    view.setScene(std::make_shared<const pcbhost::view::BoardScene>(design));
    view.zoomToFit();
    const QImage image = view.grab().toImage();
    if (const char* out = std::getenv("PARTWISE_PCBDOC_VIEW_PNG")) image.save(out);
    auto at = [&](boards::Point mm) {
        const QPoint px = view.viewTransform().toScreen(QPointF(mm.x, mm.y)).toPoint();
        return image.pixelColor(px);
    };
    std::size_t smd = 0, holes = 0, copper = 0, drilled = 0;
    for (const auto& c : design->components)
        for (const auto& pad : c.pads) {
            const auto& style = design->padStyles[std::size_t(pad.padStyle)];
            if (style.holeDiameter == 0 && pad.onTop) {
                ++smd;
                copper += Near(at(pad.position), BoardRenderer::kTopCopper);
            } else if (style.holeDiameter > 0) {
                ++holes;
                drilled += Near(at(pad.position), BoardRenderer::kBackground);
            }
        }
    EXPECT_GT(smd, 100u);
    EXPECT_EQ(copper, smd) << "every top pad's centre is copper";
    EXPECT_EQ(holes, 41u);
    EXPECT_EQ(drilled, holes) << "every through-hole pad's centre is its hole";
    // A pad's neighbourhood a hole's size away from a 3.05 mm mounting hole is its copper ring.
    for (const auto& c : design->components)
        for (const auto& pad : c.pads)
            if (design->padStyles[std::size_t(pad.padStyle)].name == "THT Circle 5 D3.05") {
                EXPECT_TRUE(
                    Near(at({pad.position.x + 2.0, pad.position.y}), BoardRenderer::kTopCopper));
            }
}

}  // namespace
