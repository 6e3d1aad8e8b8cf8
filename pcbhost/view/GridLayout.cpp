// SPDX-License-Identifier: GPL-3.0-or-later
#include "pcbhost/view/GridLayout.h"

#include <algorithm>
#include <cmath>

namespace pcbhost::view {
namespace {

constexpr double kBoxMargin = 1.0;    // box edge to pad centre row, beyond half a pitch
constexpr double kCellGap = 3.0;      // free space between boxes
constexpr double kLabelHeight = 2.5;  // room for the reference designator above each box
constexpr double kAspect = 1.6;       // grid width over height

QSizeF BoxSize(size_t padCount) {
    const int n = static_cast<int>(std::max<size_t>(padCount, 1));
    const int columns = std::min(n, GridLayout::kPadsPerRow);
    const int rows = (n + GridLayout::kPadsPerRow - 1) / GridLayout::kPadsPerRow;
    return QSizeF(columns * GridLayout::kPadPitch + 2 * kBoxMargin,
                  rows * GridLayout::kPadPitch + 2 * kBoxMargin);
}

}  // namespace

GridLayout::GridLayout(const std::vector<Component>& components) {
    QSizeF cell(0, 0);
    for (const Component& c : components) {
        sizes_.push_back(BoxSize(c.pads.size()));
        cell = cell.expandedTo(sizes_.back());
    }
    cell += QSizeF(kCellGap, kCellGap + kLabelHeight);
    const double count = static_cast<double>(std::max<size_t>(components.size(), 1));
    const int columns = std::max(
        1, static_cast<int>(std::ceil(std::sqrt(kAspect * count * cell.height() / cell.width()))));
    for (size_t i = 0; i < components.size(); ++i) {
        const int column = static_cast<int>(i % columns);
        const int row = static_cast<int>(i / columns);
        origins_.emplace_back(column * cell.width() + kCellGap,
                              row * cell.height() + kCellGap + kLabelHeight);
    }
    const int rows = static_cast<int>((components.size() + columns - 1) / columns);
    board_ = QRectF(
        0, 0,
        std::min<size_t>(columns, std::max<size_t>(components.size(), 1)) * cell.width() + kCellGap,
        std::max(rows, 1) * cell.height() + kCellGap);
}

QPointF GridLayout::padPosition(int component, int pad) const {
    const QPointF first =
        origins_[component] + QPointF(kBoxMargin + kPadPitch / 2, kBoxMargin + kPadPitch / 2);
    return first + QPointF((pad % kPadsPerRow) * kPadPitch, (pad / kPadsPerRow) * kPadPitch);
}

QRectF GridLayout::componentBox(int component) const {
    return QRectF(origins_[component], sizes_[component]);
}

QPointF GridLayout::refDesPosition(int component) const {
    const QRectF box = componentBox(component);
    return QPointF(box.center().x(), box.top() - kLabelHeight / 2);
}

}  // namespace pcbhost::view
