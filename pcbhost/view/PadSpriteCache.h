// SPDX-License-Identifier: GPL-3.0-or-later
// Pad shapes rasterised once per zoom level, so that drawing a pad is a blend of a small alpha
// mask instead of a path fill. Pads too small to show their shape are single pixels; pads too
// large for a mask are left to the painter.
#pragma once

#include <cstdint>
#include <vector>

#include <QPointF>

#include "pcbhost/view/BoardScene.h"

namespace pcbhost::view {

struct PadSprite {
    enum class Kind { Pixel, Mask, Path, None };
    Kind kind = Kind::None;
    int width = 0;
    int height = 0;
    int originX = 0;  // mask pixel holding the pad centre
    int originY = 0;
    std::vector<uint8_t> alpha;  // width * height coverage values
};

class PadSpriteCache {
  public:
    static constexpr double kPixelBelow = 1.5;  // px: smaller shapes are drawn as one pixel
    static constexpr int kMaskAbove = 192;      // px: larger shapes are painted as paths

    // Forgets every sprite when the scene or the scale changes.
    void prepare(const BoardScene* scene, double pixelsPerMm);

    const PadSprite& copper(int shape) { return get(shape, false); }
    const PadSprite& hole(int shape) { return get(shape, true); }

  private:
    const PadSprite& get(int shape, bool hole);
    PadSprite build(int shape, bool hole) const;

    const BoardScene* scene_ = nullptr;
    double scale_ = 0;
    std::vector<PadSprite> copper_;
    std::vector<PadSprite> holes_;
    std::vector<char> copperReady_;
    std::vector<char> holeReady_;
};

}  // namespace pcbhost::view
