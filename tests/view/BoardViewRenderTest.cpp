// SPDX-License-Identifier: GPL-3.0-or-later
// Renders the board view offscreen and checks the pixels: copper where pads are, highlight
// colours on highlighted components only, and what survives a reload.
#include <gtest/gtest.h>

#include <QApplication>
#include <QMouseEvent>
#include <QPushButton>
#include <QWheelEvent>

#include "Dbx32.h"
#include "ViewTestDesigns.h"
#include "pcbhost/view/BoardRenderer.h"
#include "pcbhost/view/BoardView.h"
#include "pcbhost/view/BoardWindow.h"
#include "pcbhost/view/HighlightColours.h"
#include "pcbhost/view/HighlightList.h"

namespace pcbhost::view {
namespace {

using testing::NoGeometryDesign;
using testing::TwoPartBoard;

bool Near(QColor a, QColor b, int tolerance = 40) {
    return std::abs(a.red() - b.red()) + std::abs(a.green() - b.green()) +
               std::abs(a.blue() - b.blue()) <=
           tolerance;
}

QColor Colour(int code) {
    return HighlightColours::ForCode(code).colour;
}

class RenderedView {
  public:
    explicit RenderedView(std::shared_ptr<const Design> design, QSize size = QSize(600, 400)) {
        view.resize(size);
        view.setScene(std::make_shared<const BoardScene>(std::move(design)));
    }

    QColor at(QPointF mm) {
        const QImage image = view.grab().toImage();
        const QPoint px = view.viewTransform().toScreen(mm).toPoint();
        return image.pixelColor(px);
    }

    void highlight(std::vector<Highlight> highlights) { view.setHighlights(std::move(highlights)); }

    BoardView view;
};

TEST(BoardViewRender, DrawsCopperHolesAndBothSides) {
    RenderedView r(TwoPartBoard());
    EXPECT_TRUE(Near(r.at({8, 10}), BoardRenderer::kTopCopper))
        << r.at({8, 10}).name().toStdString();
    EXPECT_TRUE(Near(r.at({52, 10}), BoardRenderer::kTopCopper));
    EXPECT_TRUE(Near(r.at({30, 30}), BoardRenderer::kBackground)) << "the drill is a hole";
    EXPECT_TRUE(Near(r.at({30.75, 30}), BoardRenderer::kTopCopper)) << "the annular ring";
    EXPECT_TRUE(Near(r.at({20, 20}), BoardRenderer::kBackground));
    // B4's 2 x 0.5 mm pad is turned 90 degrees: long along y, on the bottom side.
    EXPECT_TRUE(Near(r.at({10, 30.8}), BoardRenderer::kBottomCopper));
    EXPECT_TRUE(Near(r.at({10.8, 30}), BoardRenderer::kBackground));
}

TEST(BoardViewRender, HighlightFillsOnlyTheHighlightedComponent) {
    RenderedView r(TwoPartBoard());
    r.highlight({{0, "U1", DBX_COLOUR_BLUE}});
    for (QPointF pad : {QPointF(8, 10), QPointF(12, 10)}) {
        EXPECT_TRUE(Near(r.at(pad), Colour(DBX_COLOUR_BLUE))) << r.at(pad).name().toStdString();
    }
    for (QPointF pad : {QPointF(48, 10), QPointF(52, 10)}) {
        EXPECT_FALSE(Near(r.at(pad), Colour(DBX_COLOUR_BLUE), 120));
        EXPECT_TRUE(Near(r.at(pad), BoardRenderer::kTopCopper));
    }

    r.highlight({{0, "U1", DBX_COLOUR_RED}, {2, "J3", DBX_COLOUR_CYAN}});
    EXPECT_TRUE(Near(r.at({8, 10}), Colour(DBX_COLOUR_RED)));
    EXPECT_TRUE(Near(r.at({30.75, 30}), Colour(DBX_COLOUR_CYAN)));
    EXPECT_TRUE(Near(r.at({30, 30}), BoardRenderer::kBackground)) << "holes stay holes";

    r.highlight({});
    EXPECT_TRUE(Near(r.at({8, 10}), BoardRenderer::kTopCopper));
}

TEST(BoardViewRender, HighlightsShowAtEveryZoom) {
    auto scene = std::make_shared<const BoardScene>(TwoPartBoard());
    BoardRenderer renderer(scene);
    const std::vector<Highlight> highlights = {{1, "R2", DBX_COLOUR_YELLOW}};
    // From pads a fraction of a pixel wide to pads far larger than any sprite.
    for (double scale : {0.3, 2.0, 40.0, 400.0}) {
        QImage image(400, 300, QImage::Format_RGB32);
        const ViewTransform view(scale, QPointF(200, 150) - QPointF(48, 10) * scale);
        renderer.renderBoard(image, view);
        const QPoint pad = view.toScreen({48, 10}).toPoint();
        EXPECT_TRUE(Near(image.pixelColor(pad), BoardRenderer::kTopCopper)) << scale;
        QPainter p(&image);
        renderer.renderHighlights(p, view, highlights);
        p.end();
        EXPECT_TRUE(Near(image.pixelColor(pad), Colour(DBX_COLOUR_YELLOW))) << scale;
    }
}

TEST(BoardViewRender, DesignWithoutGeometryIsLaidOutAndHighlightable) {
    RenderedView r(NoGeometryDesign());
    const BoardScene& scene = *r.view.scene();
    ASSERT_TRUE(scene.laidOutInGrid());
    r.highlight({{1, "C2", DBX_COLOUR_WHITE}});
    const SceneComponent& c2 = scene.components()[1];
    for (int i = c2.firstPad; i < c2.firstPad + c2.padCount; ++i) {
        EXPECT_TRUE(Near(r.at(scene.pads()[i].position), Colour(DBX_COLOUR_WHITE)));
    }
    const SceneComponent& u3 = scene.components()[2];
    EXPECT_TRUE(Near(r.at(scene.pads()[u3.firstPad].position), BoardRenderer::kTopCopper));
}

TEST(BoardViewRender, WheelZoomsAroundTheCursorAndHomeFits) {
    RenderedView r(TwoPartBoard());
    const QPointF cursor = r.view.viewTransform().toScreen({12, 10});
    QWheelEvent wheel(cursor, r.view.mapToGlobal(cursor), QPoint(), QPoint(0, 360), Qt::NoButton,
                      Qt::NoModifier, Qt::NoScrollPhase, false);
    const double before = r.view.viewTransform().scale();
    QApplication::sendEvent(&r.view, &wheel);
    const ViewTransform zoomed = r.view.viewTransform();
    EXPECT_GT(zoomed.scale(), before * 1.5);
    EXPECT_NEAR(zoomed.toScreen({12, 10}).x(), cursor.x(), 1e-6);
    EXPECT_NEAR(zoomed.toScreen({12, 10}).y(), cursor.y(), 1e-6);

    // R2 is out of view now; bringing it in keeps the zoom.
    EXPECT_FALSE(QRectF(r.view.rect()).contains(zoomed.toScreen(QPointF(52, 10))));
    r.view.bringIntoView(1);
    EXPECT_TRUE(
        QRectF(r.view.rect())
            .contains(r.view.viewTransform().toScreen(r.view.scene()->components()[1].bounds)));
    EXPECT_DOUBLE_EQ(r.view.viewTransform().scale(), zoomed.scale());

    r.view.zoomToFit();
    EXPECT_DOUBLE_EQ(r.view.viewTransform().scale(), before);
}

TEST(BoardViewRender, ReportsTheComponentUnderTheCursor) {
    RenderedView r(TwoPartBoard());
    QPointF seenMm;
    int seen = -2;
    r.view.onCursorMoved = [&](QPointF mm, int component) {
        seenMm = mm;
        seen = component;
    };
    const QPointF at = r.view.viewTransform().toScreen({48, 10});
    QMouseEvent move(QEvent::MouseMove, at, r.view.mapToGlobal(at), Qt::NoButton, Qt::NoButton,
                     Qt::NoModifier);
    QApplication::sendEvent(&r.view, &move);
    EXPECT_EQ(seen, 1);
    EXPECT_NEAR(seenMm.x(), 48, 0.2);
    EXPECT_NEAR(seenMm.y(), 10, 0.2);
}

class BoardWindowTest : public ::testing::Test {
  protected:
    BoardWindowTest() : window("/tmp/boards/demo.kicad_pcb") {
        window.setDesign(TwoPartBoard());
        view = dynamic_cast<BoardView*>(window.findChild<QWidget*>("boardView"));
        list = dynamic_cast<HighlightList*>(window.findChild<QWidget*>("highlights"));
    }

    QColor at(QPointF mm) {
        const QImage image = view->grab().toImage();
        return image.pixelColor(view->viewTransform().toScreen(mm).toPoint());
    }

    BoardWindow window;
    BoardView* view = nullptr;
    HighlightList* list = nullptr;
};

TEST_F(BoardWindowTest, TitleNamesTheFile) {
    EXPECT_EQ(window.windowTitle(), QStringLiteral("pcbhost \u2014 demo.kicad_pcb"));
}

TEST_F(BoardWindowTest, HighlightAgainReplacesTheColourAndClearRemovesAll) {
    ASSERT_TRUE(view && list);
    window.highlight(0, "U1", DBX_COLOUR_BLUE);
    window.highlight(7, "R2", 99);  // index out of range: found by reference designator
    window.highlight(1, "U1",
                     DBX_COLOUR_YELLOW);  // index names R2: U1 is found by reference designator
    window.highlight(0, "Q9", DBX_COLOUR_RED);  // no such component
    ASSERT_EQ(list->count(), 2);
    EXPECT_EQ(list->text(0), QStringLiteral("U1 \u2014 yellow"));
    EXPECT_EQ(list->text(1), QStringLiteral("R2 \u2014 magenta"));
    EXPECT_TRUE(Near(at({8, 10}), Colour(DBX_COLOUR_YELLOW)));
    EXPECT_TRUE(Near(at({48, 10}), HighlightColours::Fallback().colour));

    QPushButton* clear = window.findChild<QPushButton*>("clearHighlights");
    ASSERT_NE(clear, nullptr);
    clear->click();
    EXPECT_EQ(list->count(), 0);
    EXPECT_TRUE(Near(at({8, 10}), BoardRenderer::kTopCopper));
}

TEST_F(BoardWindowTest, ReloadKeepsHighlightsWhoseComponentsRemain) {
    window.highlight(0, "U1", DBX_COLOUR_BLUE);
    window.highlight(1, "R2", DBX_COLOUR_RED);
    // The new file drops R2 and puts U1 second, moved.
    auto reloaded = TwoPartBoard();
    auto u1 = reloaded->components[0];
    for (Pad& p : u1.pads) p.position.y += 10;
    reloaded->components = {reloaded->components[2], u1};
    window.setDesign(reloaded);
    ASSERT_EQ(list->count(), 1);
    EXPECT_EQ(list->text(0), QStringLiteral("U1 \u2014 blue"));
    EXPECT_TRUE(Near(at({8, 20}), Colour(DBX_COLOUR_BLUE)));
    EXPECT_TRUE(Near(at({8, 10}), BoardRenderer::kBackground));
}

}  // namespace
}  // namespace pcbhost::view
