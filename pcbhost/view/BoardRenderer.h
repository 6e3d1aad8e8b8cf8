// SPDX-License-Identifier: GPL-3.0-or-later
// Draws a scene: the board itself into an image (redrawn only when the view moves), and the
// highlights over it with a painter (cheap, redrawn on every paint).
#pragma once

#include <memory>
#include <vector>

#include <QColor>
#include <QImage>
#include <QPainter>

#include "pcbhost/view/BoardScene.h"
#include "pcbhost/view/Highlights.h"
#include "pcbhost/view/PadSpriteCache.h"
#include "pcbhost/view/ViewTransform.h"

namespace pcbhost::view {

class BoardRenderer {
  public:
    static const QColor kBackground;
    static const QColor kBoardEdge;
    static const QColor kTopCopper;
    static const QColor kBottomCopper;
    static const QColor kTopOutline;
    static const QColor kBottomOutline;

    static constexpr double kMinLabelPx = 7;    // smaller reference designators are left out
    static constexpr double kMinOutlinePx = 5;  // components smaller on screen get no outline

    explicit BoardRenderer(std::shared_ptr<const BoardScene> scene);

    const BoardScene& scene() const { return *scene_; }

    // Draws the board without highlights over the whole image, which must be Format_RGB32 or
    // Format_ARGB32_Premultiplied.
    void renderBoard(QImage& image, const ViewTransform& view);

    // Fills the highlighted components' pads and outlines in their colours, marks components
    // too small to see, and labels them.
    void renderHighlights(QPainter& painter, const ViewTransform& view,
                          const std::vector<Highlight>& highlights) const;

  private:
    // One side's copper, or (holes) every drill hole, drawn after both sides' copper.
    void drawPads(QImage& image, const ViewTransform& view, const std::vector<int>& components,
                  bool topSide, bool holes);
    void drawOutlinesAndLabels(QImage& image, const ViewTransform& view,
                               const std::vector<int>& components) const;

    std::shared_ptr<const BoardScene> scene_;
    PadSpriteCache sprites_;
    std::vector<int> largePads_;
};

}  // namespace pcbhost::view
