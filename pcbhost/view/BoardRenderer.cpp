// SPDX-License-Identifier: GPL-3.0-or-later
#include "pcbhost/view/BoardRenderer.h"

#include <algorithm>
#include <cmath>

#include <QFont>
#include <QFontMetricsF>
#include <QPen>

#include "pcbhost/view/HighlightColours.h"

namespace pcbhost::view {

const QColor BoardRenderer::kBackground(21, 23, 28);
const QColor BoardRenderer::kBoardEdge(150, 146, 120);
const QColor BoardRenderer::kTopCopper(158, 108, 78);
const QColor BoardRenderer::kBottomCopper(78, 118, 108);
const QColor BoardRenderer::kTopOutline(150, 150, 160);
const QColor BoardRenderer::kBottomOutline(90, 98, 118);

namespace {

constexpr double kMinHighlightPx = 3;  // highlighted pads are never drawn smaller than this
constexpr double kMarkerBelowPx = 14;  // highlighted components smaller than this get a ring

// Blends `colour` over the pixel with coverage `alpha`.
inline void Blend(QRgb& pixel, QRgb colour, unsigned alpha) {
    if (alpha >= 255) {
        pixel = colour;
        return;
    }
    const unsigned inverse = 255 - alpha;
    const auto mix = [&](unsigned c, unsigned d) { return (c * alpha + d * inverse + 127) / 255; };
    pixel = qRgb(static_cast<int>(mix(qRed(colour), qRed(pixel))),
                 static_cast<int>(mix(qGreen(colour), qGreen(pixel))),
                 static_cast<int>(mix(qBlue(colour), qBlue(pixel))));
}

// The image's pixels, fetched once: QImage::scanLine() checks for sharing on every call.
struct Pixels {
    explicit Pixels(QImage& image)
        : bits(image.bits()),
          stride(image.bytesPerLine()),
          width(image.width()),
          height(image.height()) {}
    QRgb* line(int y) const { return reinterpret_cast<QRgb*>(bits + stride * y); }

    uchar* bits;
    qsizetype stride;
    int width;
    int height;
};

void BlitMask(const Pixels& pixels, const PadSprite& sprite, int left, int top, QRgb colour) {
    const int x0 = std::max(left, 0), x1 = std::min(left + sprite.width, pixels.width);
    const int y0 = std::max(top, 0), y1 = std::min(top + sprite.height, pixels.height);
    for (int y = y0; y < y1; ++y) {
        QRgb* line = pixels.line(y);
        const uint8_t* mask = sprite.alpha.data() + static_cast<ptrdiff_t>(y - top) * sprite.width;
        for (int x = x0; x < x1; ++x) {
            if (const uint8_t a = mask[x - left]) Blend(line[x], colour, a);
        }
    }
}

// Clips the line to the pixel area (Liang-Barsky); false if nothing is left.
bool Clip(QLineF& line, double width, double height) {
    const double x0 = line.x1(), y0 = line.y1(), dx = line.dx(), dy = line.dy();
    double t0 = 0, t1 = 1;
    const double p[4] = {-dx, dx, -dy, dy};
    const double q[4] = {x0, width - 1 - x0, y0, height - 1 - y0};
    for (int i = 0; i < 4; ++i) {
        if (p[i] == 0) {
            if (q[i] < 0) return false;
            continue;
        }
        const double t = q[i] / p[i];
        if (p[i] < 0) {
            t0 = std::max(t0, t);
        } else {
            t1 = std::min(t1, t);
        }
        if (t0 > t1) return false;
    }
    line = QLineF(x0 + t0 * dx, y0 + t0 * dy, x0 + t1 * dx, y0 + t1 * dy);
    return true;
}

// One-pixel lines straight into the image: many times faster than the painter for the
// thousands of short outline segments of a large board.
void DrawThinLines(const Pixels& pixels, const std::vector<QLineF>& lines, QRgb colour) {
    for (QLineF line : lines) {
        if (!Clip(line, pixels.width, pixels.height)) continue;
        int x = static_cast<int>(std::lround(line.x1())),
            y = static_cast<int>(std::lround(line.y1()));
        const int x1 = static_cast<int>(std::lround(line.x2()));
        const int y1 = static_cast<int>(std::lround(line.y2()));
        const int dx = std::abs(x1 - x), dy = -std::abs(y1 - y);
        const int sx = x < x1 ? 1 : -1, sy = y < y1 ? 1 : -1;
        int error = dx + dy;
        for (;;) {
            pixels.line(y)[x] = colour;
            if (x == x1 && y == y1) break;
            const int e2 = 2 * error;
            if (e2 >= dy) {
                error += dy;
                x += sx;
            }
            if (e2 <= dx) {
                error += dx;
                y += sy;
            }
        }
    }
}

bool Drawn(const ScenePad& pad, bool topSide) {
    return topSide ? pad.top : !pad.top;
}

double LabelHeightMm(const SceneComponent& c) {
    return std::clamp(0.5 * std::min(c.bounds.width(), c.bounds.height()), 0.6, 2.0);
}

}  // namespace

BoardRenderer::BoardRenderer(std::shared_ptr<const BoardScene> scene) : scene_(std::move(scene)) {}

void BoardRenderer::renderBoard(QImage& image, const ViewTransform& view) {
    image.fill(kBackground);
    const QRectF visible = view.toBoard(QRectF(image.rect()));
    std::vector<int> components;
    const auto& all = scene_->components();
    for (size_t i = 0; i < all.size(); ++i) {
        if (all[i].bounds.intersects(visible) || visible.contains(all[i].bounds.topLeft())) {
            components.push_back(static_cast<int>(i));
        }
    }
    {
        QPainter p(&image);
        p.setRenderHint(QPainter::Antialiasing);
        p.setPen(QPen(kBoardEdge, std::clamp(0.15 * view.scale(), 1.0, 3.0)));
        std::vector<QLineF> edges;
        edges.reserve(scene_->boardOutline().size());
        for (const QLineF& l : scene_->boardOutline()) {
            edges.emplace_back(view.toScreen(l.p1()), view.toScreen(l.p2()));
        }
        p.drawLines(edges.data(), static_cast<int>(edges.size()));
    }
    sprites_.prepare(scene_.get(), view.scale());
    drawPads(image, view, components, false, false);
    drawPads(image, view, components, true, false);
    drawPads(image, view, components, true, true);
    drawOutlinesAndLabels(image, view, components);
}

void BoardRenderer::drawPads(QImage& image, const ViewTransform& view,
                             const std::vector<int>& components, bool topSide, bool holes) {
    const QRgb colour = (holes ? kBackground : topSide ? kTopCopper : kBottomCopper).rgb();
    const QRectF visible = view.toBoard(QRectF(image.rect()));
    const auto& pads = scene_->pads();
    const Pixels pixels(image);
    largePads_.clear();
    for (int ci : components) {
        const SceneComponent& c = scene_->components()[ci];
        if (holes ? !c.drilledPads : !topSide && !c.bottomOnlyPads) continue;
        const bool whole = visible.contains(c.bounds);
        for (int pi = c.firstPad; pi < c.firstPad + c.padCount; ++pi) {
            const ScenePad& pad = pads[pi];
            if (!holes && !Drawn(pad, topSide)) continue;
            if (!whole && !pad.bounds.intersects(visible)) continue;
            const PadSprite& sprite = holes ? sprites_.hole(pad.shape) : sprites_.copper(pad.shape);
            const QPointF at = view.toScreen(pad.position);
            const int x = static_cast<int>(std::floor(at.x()));
            const int y = static_cast<int>(std::floor(at.y()));
            switch (sprite.kind) {
                case PadSprite::Kind::Pixel:
                    if (x >= 0 && y >= 0 && x < pixels.width && y < pixels.height) {
                        pixels.line(y)[x] = colour;
                    }
                    break;
                case PadSprite::Kind::Mask:
                    BlitMask(pixels, sprite, x - sprite.originX, y - sprite.originY, colour);
                    break;
                case PadSprite::Kind::Path:
                    largePads_.push_back(pi);
                    break;
                case PadSprite::Kind::None:
                    break;
            }
        }
    }
    if (largePads_.empty()) return;
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    for (int pi : largePads_) {
        const ScenePad& pad = pads[pi];
        const PadPaths& paths = scene_->styles()[scene_->shapes()[pad.shape].style];
        p.setTransform(scene_->padTransform(pad) * view.transform());
        p.fillPath(holes ? paths.hole : paths.copper, QColor(colour));
    }
}

void BoardRenderer::drawOutlinesAndLabels(QImage& image, const ViewTransform& view,
                                          const std::vector<int>& components) const {
    std::vector<QLineF> top, bottom;
    struct Label {
        int component;
        int pixelSize;
    };
    std::vector<Label> labels;
    for (int ci : components) {
        const SceneComponent& c = scene_->components()[ci];
        const double extent = std::max(c.bounds.width(), c.bounds.height()) * view.scale();
        if (extent < kMinOutlinePx) continue;
        auto& lines = c.bottomSide ? bottom : top;
        for (int li = c.firstOutline; li < c.firstOutline + c.outlineCount; ++li) {
            const QLineF& l = scene_->outlines()[li];
            lines.emplace_back(view.toScreen(l.p1()), view.toScreen(l.p2()));
        }
        const double labelPx = LabelHeightMm(c) * view.scale();
        if (labelPx >= kMinLabelPx && !c.refDes.isEmpty()) {
            labels.push_back({ci, static_cast<int>(std::min(labelPx, 48.0))});
        }
    }
    const double penWidth = std::clamp(0.1 * view.scale(), 1.0, 2.0);
    if (penWidth == 1.0) {
        const Pixels pixels(image);
        DrawThinLines(pixels, bottom, kBottomOutline.rgb());
        DrawThinLines(pixels, top, kTopOutline.rgb());
    }
    if (labels.empty() && penWidth == 1.0) return;
    QPainter p(&image);
    if (penWidth > 1.0) {
        p.setPen(QPen(kBottomOutline, penWidth));
        p.drawLines(bottom.data(), static_cast<int>(bottom.size()));
        p.setPen(QPen(kTopOutline, penWidth));
        p.drawLines(top.data(), static_cast<int>(top.size()));
    }
    if (labels.empty()) return;
    std::sort(labels.begin(), labels.end(),
              [](const Label& a, const Label& b) { return a.pixelSize < b.pixelSize; });
    p.setRenderHint(QPainter::TextAntialiasing);
    QFont font = p.font();
    int fontSize = -1;
    for (const Label& label : labels) {
        const SceneComponent& c = scene_->components()[label.component];
        if (label.pixelSize != fontSize) {
            fontSize = label.pixelSize;
            font.setPixelSize(fontSize);
            p.setFont(font);
        }
        p.setPen(c.bottomSide ? kBottomOutline.lighter(130) : kTopOutline.lighter(125));
        const QPointF at = view.toScreen(c.refDesPosition);
        const QRectF box(at.x() - 20 * fontSize, at.y() - fontSize, 40 * fontSize, 2 * fontSize);
        p.drawText(box, Qt::AlignCenter, c.refDes);
    }
}

void BoardRenderer::renderHighlights(QPainter& p, const ViewTransform& view,
                                     const std::vector<Highlight>& highlights) const {
    p.save();
    p.setRenderHint(QPainter::Antialiasing);
    for (const Highlight& h : highlights) {
        if (h.component < 0 || h.component >= static_cast<int>(scene_->components().size())) {
            continue;
        }
        const SceneComponent& c = scene_->components()[h.component];
        const QColor colour = HighlightColours::ForCode(h.colourCode).colour;
        for (int pi = c.firstPad; pi < c.firstPad + c.padCount; ++pi) {
            const ScenePad& pad = scene_->pads()[pi];
            const PadPaths& paths = scene_->styles()[scene_->shapes()[pad.shape].style];
            const QRectF screen = view.toScreen(pad.bounds);
            if (std::max(screen.width(), screen.height()) < kMinHighlightPx) {
                p.resetTransform();
                const QPointF at = view.toScreen(pad.position);
                p.fillRect(QRectF(at - QPointF(1.5, 1.5), QSizeF(3, 3)), colour);
                continue;
            }
            p.setTransform(scene_->padTransform(pad) * view.transform());
            p.fillPath(paths.copper, colour);
            if (!paths.hole.isEmpty() &&
                paths.hole.boundingRect().width() * view.scale() >= kMinHighlightPx) {
                p.fillPath(paths.hole, kBackground);
            }
        }
        p.resetTransform();
        std::vector<QLineF> lines;
        for (int li = c.firstOutline; li < c.firstOutline + c.outlineCount; ++li) {
            const QLineF& l = scene_->outlines()[li];
            lines.emplace_back(view.toScreen(l.p1()), view.toScreen(l.p2()));
        }
        p.setPen(QPen(colour, 2));
        p.drawLines(lines.data(), static_cast<int>(lines.size()));

        const QRectF box = view.toScreen(c.bounds);
        if (std::max(box.width(), box.height()) < kMarkerBelowPx) {
            p.setBrush(Qt::NoBrush);
            p.drawEllipse(box.center(), kMarkerBelowPx, kMarkerBelowPx);
        }
        QFont font = p.font();
        font.setPixelSize(13);
        font.setBold(true);
        p.setFont(font);
        const QPointF labelAt(std::max(box.right(), box.center().x() + kMarkerBelowPx) + 4,
                              std::min(box.top(), box.center().y() - kMarkerBelowPx) + 2);
        const QRectF labelBox =
            QFontMetricsF(font).boundingRect(c.refDes).translated(labelAt).adjusted(-3, -1, 3, 1);
        p.fillRect(labelBox, QColor(0, 0, 0, 170));
        p.setPen(colour);
        p.drawText(labelAt, c.refDes);
    }
    p.restore();
}

}  // namespace pcbhost::view
