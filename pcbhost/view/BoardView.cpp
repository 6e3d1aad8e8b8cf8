// SPDX-License-Identifier: GPL-3.0-or-later
#include "pcbhost/view/BoardView.h"

#include <algorithm>
#include <cmath>

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QWheelEvent>

namespace pcbhost::view {
namespace {

constexpr double kMaxPixelsPerMm = 2000;
constexpr double kMinZoomOfFit = 0.25;  // how far out beyond the fitted view one can zoom

}  // namespace

BoardView::BoardView(QWidget* parent) : QWidget(parent) {
    setMouseTracking(true);
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMinimumSize(200, 150);
    setScene(std::make_shared<const BoardScene>(std::make_shared<const Design>()));
}

void BoardView::setScene(std::shared_ptr<const BoardScene> scene) {
    scene_ = std::move(scene);
    renderer_ = std::make_unique<BoardRenderer>(scene_);
    highlights_.clear();
    cacheValid_ = false;
    if (fitted_) zoomToFit();
    update();
}

void BoardView::setHighlights(std::vector<Highlight> highlights) {
    highlights_ = std::move(highlights);
    update();
}

void BoardView::zoomToFit() {
    fitted_ = true;
    setTransform(ViewTransform::Fit(scene_->bounds(), QSizeF(size())));
}

void BoardView::bringIntoView(int component) {
    if (component < 0 || component >= static_cast<int>(scene_->components().size())) return;
    const QRectF bounds = scene_->components()[component].bounds;
    const ViewTransform view = viewTransform();
    if (QRectF(rect()).contains(view.toScreen(bounds))) return;
    const QRectF space = QRectF(rect()).adjusted(20, 20, -20, -20);
    double scale = view.scale();
    if (bounds.width() * scale > space.width() || bounds.height() * scale > space.height()) {
        scale = ViewTransform::Fit(bounds, space.size(), 0).scale();
    }
    fitted_ = false;
    setTransform(ViewTransform(scale, QRectF(rect()).center() - bounds.center() * scale));
}

ViewTransform BoardView::viewTransform() {
    if (fitted_) view_ = ViewTransform::Fit(scene_->bounds(), QSizeF(size()));
    return view_;
}

void BoardView::setTransform(const ViewTransform& view) {
    view_ = view;
    update();
}

void BoardView::paintEvent(QPaintEvent*) {
    const ViewTransform view = viewTransform();
    if (!cacheValid_ || cache_.size() != size() || !(cacheView_ == view)) {
        if (cache_.size() != size()) cache_ = QImage(size(), QImage::Format_RGB32);
        if (!cache_.isNull()) renderer_->renderBoard(cache_, view);
        cacheView_ = view;
        cacheValid_ = true;
    }
    QPainter p(this);
    p.drawImage(0, 0, cache_);
    renderer_->renderHighlights(p, view, highlights_);
}

void BoardView::resizeEvent(QResizeEvent*) {
    if (fitted_) zoomToFit();
}

void BoardView::wheelEvent(QWheelEvent* event) {
    const double steps = event->angleDelta().y() / 120.0;
    if (steps == 0) return;
    const ViewTransform view = viewTransform();
    const double fitScale = ViewTransform::Fit(scene_->bounds(), QSizeF(size())).scale();
    const double scale =
        std::clamp(view.scale() * std::pow(1.25, steps), fitScale * kMinZoomOfFit, kMaxPixelsPerMm);
    fitted_ = false;
    setTransform(view.zoomedAround(event->position(), scale / view.scale()));
    event->accept();
}

void BoardView::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton || event->button() == Qt::MiddleButton) {
        dragging_ = true;
        lastDrag_ = event->position().toPoint();
        setCursor(Qt::ClosedHandCursor);
    }
}

void BoardView::mouseMoveEvent(QMouseEvent* event) {
    const QPoint at = event->position().toPoint();
    if (dragging_) {
        const ViewTransform view = viewTransform();
        fitted_ = false;
        setTransform(view.panned(QPointF(at - lastDrag_)));
        lastDrag_ = at;
    }
    if (onCursorMoved) {
        const QPointF mm = viewTransform().toBoard(event->position());
        onCursorMoved(mm, scene_->componentAt(mm));
    }
}

void BoardView::mouseReleaseEvent(QMouseEvent*) {
    dragging_ = false;
    unsetCursor();
}

void BoardView::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Home) {
        zoomToFit();
        return;
    }
    QWidget::keyPressEvent(event);
}

}  // namespace pcbhost::view
