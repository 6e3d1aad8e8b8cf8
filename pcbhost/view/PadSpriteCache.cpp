// SPDX-License-Identifier: GPL-3.0-or-later
#include "pcbhost/view/PadSpriteCache.h"

#include <algorithm>
#include <cmath>

#include <QImage>
#include <QPainter>

namespace pcbhost::view {

void PadSpriteCache::prepare(const BoardScene* scene, double pixelsPerMm) {
    if (scene == scene_ && pixelsPerMm == scale_ && copper_.size() == scene->shapes().size()) {
        return;
    }
    scene_ = scene;
    scale_ = pixelsPerMm;
    const size_t n = scene->shapes().size();
    copper_.assign(n, PadSprite{});
    holes_.assign(n, PadSprite{});
    copperReady_.assign(n, false);
    holeReady_.assign(n, false);
}

const PadSprite& PadSpriteCache::get(int shape, bool hole) {
    auto& sprites = hole ? holes_ : copper_;
    char& ready = hole ? holeReady_[shape] : copperReady_[shape];
    if (!ready) {
        sprites[shape] = build(shape, hole);
        ready = true;
    }
    return sprites[shape];
}

PadSprite PadSpriteCache::build(int shape, bool hole) const {
    PadSprite sprite;
    const OrientedShape& s = scene_->shapes()[shape];
    const PadPaths& paths = scene_->styles()[s.style];
    const QPainterPath& path = hole ? paths.hole : paths.copper;
    if (path.isEmpty()) return sprite;

    QTransform t;
    t.scale(scale_, scale_);
    t.rotate(-s.rotation);
    const QRectF b = t.mapRect(path.boundingRect());
    if (std::max(b.width(), b.height()) < kPixelBelow) {
        // A hole that small would blot out its pad: leave it out.
        sprite.kind = hole ? PadSprite::Kind::None : PadSprite::Kind::Pixel;
        return sprite;
    }
    // The pad centre sits at the middle of pixel (originX, originY).
    sprite.originX = static_cast<int>(std::ceil(-b.left() - 0.5)) + 1;
    sprite.originY = static_cast<int>(std::ceil(-b.top() - 0.5)) + 1;
    sprite.width = sprite.originX + static_cast<int>(std::ceil(b.right() + 0.5)) + 1;
    sprite.height = sprite.originY + static_cast<int>(std::ceil(b.bottom() + 0.5)) + 1;
    if (sprite.width > kMaskAbove || sprite.height > kMaskAbove) {
        sprite.kind = PadSprite::Kind::Path;
        return sprite;
    }
    QImage image(sprite.width, sprite.height, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    {
        QPainter p(&image);
        p.setRenderHint(QPainter::Antialiasing);
        p.translate(sprite.originX + 0.5, sprite.originY + 0.5);
        p.setTransform(t, true);
        p.fillPath(path, Qt::white);
    }
    // Keep only the rows and columns with coverage.
    int left = sprite.width, right = -1, top = sprite.height, bottom = -1;
    for (int y = 0; y < sprite.height; ++y) {
        const QRgb* line = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        for (int x = 0; x < sprite.width; ++x) {
            if (qAlpha(line[x]) == 0) continue;
            left = std::min(left, x);
            right = std::max(right, x);
            top = std::min(top, y);
            bottom = std::max(bottom, y);
        }
    }
    if (right < 0) {
        sprite.kind = PadSprite::Kind::Pixel;
        return sprite;
    }
    sprite.kind = PadSprite::Kind::Mask;
    sprite.originX -= left;
    sprite.originY -= top;
    sprite.width = right - left + 1;
    sprite.height = bottom - top + 1;
    sprite.alpha.resize(static_cast<size_t>(sprite.width) * sprite.height);
    for (int y = 0; y < sprite.height; ++y) {
        const QRgb* line = reinterpret_cast<const QRgb*>(image.constScanLine(y + top));
        for (int x = 0; x < sprite.width; ++x) {
            sprite.alpha[static_cast<size_t>(y) * sprite.width + x] =
                static_cast<uint8_t>(qAlpha(line[x + left]));
        }
    }
    return sprite;
}

}  // namespace pcbhost::view
