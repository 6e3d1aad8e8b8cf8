// SPDX-License-Identifier: GPL-3.0-or-later
// The board on screen: pan by dragging, zoom with the wheel around the cursor, Home to fit.
// The board image is cached and redrawn only when the scene, the zoom or the position changes;
// highlights are painted over it.
#pragma once

#include <functional>
#include <memory>
#include <vector>

#include <QImage>
#include <QPoint>
#include <QWidget>

#include "pcbhost/view/BoardRenderer.h"
#include "pcbhost/view/BoardScene.h"
#include "pcbhost/view/Highlights.h"
#include "pcbhost/view/ViewTransform.h"

namespace pcbhost::view {

class BoardView : public QWidget {
  public:
    explicit BoardView(QWidget* parent = nullptr);

    // Keeps the zoom and position unless the view was still fitted to the old board.
    void setScene(std::shared_ptr<const BoardScene> scene);
    const BoardScene* scene() const { return scene_.get(); }

    void setHighlights(std::vector<Highlight> highlights);

    void zoomToFit();
    // Centres the component if any part of it is outside the view, zooming out if it is larger.
    void bringIntoView(int component);

    ViewTransform viewTransform();

    // Called with the board position under the cursor (mm) and the component there (-1: none).
    std::function<void(QPointF, int)> onCursorMoved;

  protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

  private:
    void setTransform(const ViewTransform& view);

    std::shared_ptr<const BoardScene> scene_;
    std::unique_ptr<BoardRenderer> renderer_;
    std::vector<Highlight> highlights_;
    ViewTransform view_;
    bool fitted_ = true;  // follows the window size until the user pans or zooms

    QImage cache_;
    ViewTransform cacheView_;
    bool cacheValid_ = false;

    bool dragging_ = false;
    QPoint lastDrag_;
};

}  // namespace pcbhost::view
