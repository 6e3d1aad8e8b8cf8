// SPDX-License-Identifier: GPL-3.0-or-later
// Scene building, the grid for designs without geometry, lookups and highlight bookkeeping.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "Dbx32.h"
#include "ViewTestDesigns.h"
#include "pcbhost/view/BoardScene.h"
#include "pcbhost/view/GridLayout.h"
#include "pcbhost/view/Highlights.h"

namespace pcbhost::view {
namespace {

using testing::MakeComponent;
using testing::MakePad;
using testing::NoGeometryDesign;
using testing::TwoPartBoard;

TEST(BoardScene, BoundsFollowPadsRotationAndOutline) {
    auto design = TwoPartBoard();
    design->components[0].outline = {{{6, 8}, {14, 8}}, {{14, 8}, {14, 12}}};
    const BoardScene scene(design);
    const auto& u1 = scene.components()[0];
    EXPECT_EQ(u1.outlineCount, 2);
    EXPECT_NEAR(u1.bounds.left(), 6, 1e-2);
    EXPECT_NEAR(u1.bounds.right(), 14, 1e-2);
    // Without an outline: the pads' box, a little larger.
    const auto& r2 = scene.components()[1];
    EXPECT_EQ(r2.outlineCount, 4);
    EXPECT_NEAR(r2.bounds.left(), 47.25, 1e-9);
    // B4's 2 x 0.5 pad at 90 degrees is tall, not wide.
    const ScenePad& b4 = scene.pads()[scene.components()[3].firstPad];
    EXPECT_NEAR(b4.bounds.width(), 0.5, 1e-9);
    EXPECT_NEAR(b4.bounds.height(), 2.0, 1e-9);
    EXPECT_TRUE(b4.bottom);
    EXPECT_FALSE(b4.top);
    const QRectF all = scene.bounds();
    EXPECT_NEAR(all.left(), 0, 1e-2);
    EXPECT_NEAR(all.bottom(), 40, 1e-2);
    EXPECT_NEAR(all.right(), 60, 1e-2);
}

TEST(BoardScene, OneShapePerStyleAndRotation) {
    auto design = TwoPartBoard();
    design->components[0].pads.push_back(MakePad(0, 9, 9, 360));  // same as 0 degrees
    design->components[0].pads.push_back(MakePad(0, 9, 9, -90));  // same as 270
    design->components[0].pads.push_back(MakePad(0, 9, 9, 270));
    const BoardScene scene(design);
    // Style 0 at 0 and 270, style 1 at 0, style 2 at 90.
    EXPECT_EQ(scene.shapes().size(), 4u);
}

TEST(BoardScene, SurvivesBadIndicesAndCoordinates) {
    auto design = std::make_shared<Design>();
    design->hasGeometry = true;
    const double nan = std::numeric_limits<double>::quiet_NaN();
    design->components.push_back(
        MakeComponent("X1", {MakePad(-1, 5, 5), MakePad(42, nan, 1e300, nan)}));
    design->components.push_back(MakeComponent("X2", {}));
    const BoardScene scene(design);
    ASSERT_EQ(scene.pads().size(), 2u);
    for (const ScenePad& p : scene.pads()) {
        EXPECT_TRUE(std::isfinite(p.bounds.left()) && std::isfinite(p.bounds.width()));
        EXPECT_GT(p.bounds.width(), 0);
    }
    EXPECT_FALSE(scene.components()[1].bounds.isEmpty()) << "a component without pads";
    EXPECT_FALSE(BoardScene(nullptr).bounds().isEmpty());
}

TEST(BoardScene, FindsComponentsByIndexThenReferenceAndByPosition) {
    auto design = TwoPartBoard();
    design->components.push_back(MakeComponent("U1", {MakePad(0, 30, 5)}));  // a duplicate
    const BoardScene scene(design);
    EXPECT_EQ(scene.findComponent(4, "U1"), 4);
    EXPECT_EQ(scene.findComponent(1, "U1"), 0);
    EXPECT_EQ(scene.findComponent(-3, "J3"), 2);
    EXPECT_EQ(scene.findComponent(0, "nope"), -1);

    EXPECT_EQ(scene.componentAt({12, 10}), 0);
    EXPECT_EQ(scene.componentAt({30, 20}), -1);
    // Overlapping bounds: the smaller one wins.
    design->components.push_back(MakeComponent("BIG", {MakePad(1, 0, 0), MakePad(1, 20, 20)}));
    EXPECT_EQ(BoardScene(design).componentAt({12, 10}), 0);
    EXPECT_EQ(BoardScene(design).componentAt({15, 15}), 5);
}

TEST(GridLayout, BoxesDoNotOverlapAndHoldTheirPads) {
    std::vector<Component> components(23);
    for (size_t i = 0; i < components.size(); ++i) components[i].pads.resize(i * 3);
    const GridLayout grid(components);
    for (size_t i = 0; i < components.size(); ++i) {
        const QRectF box = grid.componentBox(static_cast<int>(i));
        EXPECT_TRUE(grid.board().contains(box));
        EXPECT_FALSE(box.contains(grid.refDesPosition(static_cast<int>(i))));
        for (size_t p = 0; p < components[i].pads.size(); ++p) {
            EXPECT_TRUE(box.contains(grid.padPosition(static_cast<int>(i), static_cast<int>(p))));
        }
        for (size_t j = 0; j < i; ++j) {
            EXPECT_FALSE(box.intersects(grid.componentBox(static_cast<int>(j)))) << i << " " << j;
        }
    }
    // Wide rather than tall, like a screen.
    EXPECT_GT(grid.board().width(), grid.board().height());
}

TEST(BoardScene, DesignWithoutGeometryGetsAGridAndABoard) {
    const BoardScene scene(NoGeometryDesign());
    EXPECT_TRUE(scene.laidOutInGrid());
    EXPECT_EQ(scene.pads().size(), 9u);
    EXPECT_EQ(scene.boardOutline().size(), 4u);
    // Pad 1 square, the others round: two styles.
    EXPECT_EQ(scene.styles().size(), 2u);
    EXPECT_NE(scene.pads()[0].shape, scene.pads()[1].shape);
}

TEST(Highlights, ReplaceColourAndRebindAfterReload) {
    const BoardScene before(TwoPartBoard());
    Highlights h;
    EXPECT_EQ(h.add(before, 0, "U1", DBX_COLOUR_BLUE), 0);
    EXPECT_EQ(h.add(before, 9, "J3", DBX_COLOUR_RED), 2);
    EXPECT_EQ(h.add(before, 0, "U1", DBX_COLOUR_CYAN), 0);
    EXPECT_EQ(h.add(before, 0, "ZZ", DBX_COLOUR_CYAN), -1);
    ASSERT_EQ(h.items().size(), 2u);
    EXPECT_EQ(h.items()[0].colourCode, DBX_COLOUR_CYAN);

    auto design = TwoPartBoard();
    design->components.erase(design->components.begin() + 2);  // J3 gone
    std::swap(design->components[0], design->components[1]);   // U1 now second
    const BoardScene after(design);
    h.rebind(after);
    ASSERT_EQ(h.items().size(), 1u);
    EXPECT_EQ(h.items()[0].component, 1);
    EXPECT_EQ(h.items()[0].refDes, "U1");
    h.clear();
    EXPECT_TRUE(h.items().empty());
}

}  // namespace
}  // namespace pcbhost::view
