// SPDX-License-Identifier: GPL-3.0-or-later
// Where to draw the components of a design that carries no geometry: each component is a box
// with its pads in rows (pad 1 square, the others round), the boxes in a grid of equal cells
// about as wide as a screen.
#pragma once

#include <vector>

#include <QPointF>
#include <QRectF>

#include "pcbhost/Design.h"

namespace pcbhost::view {

class GridLayout {
  public:
    static constexpr double kPadPitch = 2.54;
    static constexpr double kPadSize = 1.6;
    static constexpr int kPadsPerRow = 16;

    explicit GridLayout(const std::vector<Component>& components);

    QPointF padPosition(int component, int pad) const;
    QRectF componentBox(int component) const;
    QPointF refDesPosition(int component) const;  // centre of the label, above the box
    QRectF board() const { return board_; }

  private:
    std::vector<QPointF> origins_;  // top left of each component's box
    std::vector<QSizeF> sizes_;
    QRectF board_;
};

}  // namespace pcbhost::view
