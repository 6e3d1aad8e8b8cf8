// SPDX-License-Identifier: GPL-3.0-or-later
// Board millimetres to view pixels: a uniform scale and an offset (both axes grow the same way).
#pragma once

#include <algorithm>

#include <QPointF>
#include <QRectF>
#include <QSizeF>
#include <QTransform>

namespace pcbhost::view {

class ViewTransform {
  public:
    ViewTransform() = default;
    ViewTransform(double pixelsPerMm, QPointF offset) : scale_(pixelsPerMm), offset_(offset) {}

    // The scale and offset that show `board` centred in `viewport`, with `margin` (a fraction
    // of the viewport) left free around it.
    static ViewTransform Fit(const QRectF& board, const QSizeF& viewport, double margin = 0.04) {
        const double w = std::max(board.width(), 1e-3);
        const double h = std::max(board.height(), 1e-3);
        const double free = 1.0 - 2 * margin;
        const double scale =
            std::max(std::min(viewport.width() * free / w, viewport.height() * free / h), 1e-6);
        const QPointF centre(viewport.width() / 2, viewport.height() / 2);
        return ViewTransform(scale, centre - board.center() * scale);
    }

    double scale() const { return scale_; }
    QPointF offset() const { return offset_; }

    QPointF toScreen(QPointF mm) const { return mm * scale_ + offset_; }
    QPointF toBoard(QPointF px) const { return (px - offset_) / scale_; }
    QRectF toScreen(const QRectF& mm) const {
        return QRectF(toScreen(mm.topLeft()), mm.size() * scale_);
    }
    QRectF toBoard(const QRectF& px) const {
        return QRectF(toBoard(px.topLeft()), px.size() / scale_);
    }
    QTransform transform() const {
        return QTransform(scale_, 0, 0, scale_, offset_.x(), offset_.y());
    }

    // Zooms by `factor` keeping the board point under `anchor` (pixels) where it is.
    ViewTransform zoomedAround(QPointF anchor, double factor) const {
        return ViewTransform(scale_ * factor, anchor - (anchor - offset_) * factor);
    }
    ViewTransform panned(QPointF delta) const { return ViewTransform(scale_, offset_ + delta); }

    bool operator==(const ViewTransform& other) const {
        return scale_ == other.scale_ && offset_ == other.offset_;
    }

  private:
    double scale_ = 1.0;
    QPointF offset_;
};

}  // namespace pcbhost::view
