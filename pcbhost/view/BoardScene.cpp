// SPDX-License-Identifier: GPL-3.0-or-later
#include "pcbhost/view/BoardScene.h"

#include <cmath>

#include "pcbhost/view/GridLayout.h"

namespace pcbhost::view {
namespace {

constexpr double kMaxCoordinate = 1e5;  // mm; anything beyond is garbage and drawn at 0

double Sane(double v) {
    return std::isfinite(v) && std::abs(v) <= kMaxCoordinate ? v : 0.0;
}

QPointF ToQt(const Point& p) {
    return QPointF(Sane(p.x), Sane(p.y));
}

QRectF Unite(const QRectF& a, const QRectF& b) {
    if (a.isNull()) return b;
    if (b.isNull()) return a;
    return a.united(b);
}

QRectF LineBounds(const QLineF& l) {
    return QRectF(l.p1(), l.p2()).normalized().adjusted(-1e-3, -1e-3, 1e-3, 1e-3);
}

void AddRectLines(std::vector<QLineF>& lines, const QRectF& r) {
    lines.emplace_back(r.topLeft(), r.topRight());
    lines.emplace_back(r.topRight(), r.bottomRight());
    lines.emplace_back(r.bottomRight(), r.bottomLeft());
    lines.emplace_back(r.bottomLeft(), r.topLeft());
}

}  // namespace

BoardScene::BoardScene(std::shared_ptr<const Design> design) : design_(std::move(design)) {
    if (!design_) design_ = std::make_shared<const Design>();
    for (const Segment& s : design_->boardOutline) {
        boardOutline_.emplace_back(ToQt(s.a), ToQt(s.b));
    }
    if (design_->hasGeometry) {
        buildFromGeometry();
    } else {
        buildGrid();
    }
    for (const QLineF& l : boardOutline_) bounds_ = Unite(bounds_, LineBounds(l));
    for (const SceneComponent& c : components_) bounds_ = Unite(bounds_, c.bounds);
    if (bounds_.isEmpty()) bounds_ = QRectF(0, 0, 100, 100);
}

int BoardScene::addStyle(const PadGeometry& geometry) {
    styles_.push_back(PadPaths::Build(geometry));
    styleBounds_.push_back(
        styles_.back().copper.boundingRect().united(styles_.back().hole.boundingRect()));
    return static_cast<int>(styles_.size()) - 1;
}

int BoardScene::shapeFor(int style, double rotation) {
    double r = std::fmod(Sane(rotation), 360.0);
    if (r < 0) r += 360.0;
    const long tenths = std::lround(r * 10) % 3600;
    const auto [it, added] =
        shapeIndex_.try_emplace({style, tenths}, static_cast<int>(shapes_.size()));
    if (added) shapes_.push_back({style, tenths / 10.0});
    return it->second;
}

QTransform BoardScene::padTransform(const ScenePad& pad) const {
    QTransform t;
    t.translate(pad.position.x(), pad.position.y());
    t.rotate(-shapes_[pad.shape].rotation);  // counter-clockwise on a y-down screen
    return t;
}

void BoardScene::addPad(int component, QPointF position, double rotation, int style, bool top,
                        bool bottom) {
    ScenePad pad;
    pad.position = position;
    pad.shape = shapeFor(style, rotation);
    pad.component = component;
    pad.top = top || !bottom;
    pad.bottom = bottom;
    pad.bounds = padTransform(pad).mapRect(styleBounds_[style]);
    pads_.push_back(pad);
    SceneComponent& c = components_[component];
    c.bottomOnlyPads = c.bottomOnlyPads || !pad.top;
    c.drilledPads = c.drilledPads || !styles_[style].hole.isEmpty();
}

void BoardScene::buildFromGeometry() {
    const Design& d = *design_;
    for (const PadStyle& style : d.padStyles) addStyle(style.geometry);
    const int fallbackStyle = addStyle(PadGeometry{});
    for (size_t ci = 0; ci < d.components.size(); ++ci) {
        const Component& c = d.components[ci];
        SceneComponent& sc = components_.emplace_back();
        sc.refDes = QString::fromStdString(c.refDes);
        sc.bottomSide = c.bottomSide;
        sc.firstPad = static_cast<int>(pads_.size());
        QRectF padBounds;
        for (const Pad& p : c.pads) {
            const bool known = p.padStyle >= 0 && p.padStyle < static_cast<int>(d.padStyles.size());
            addPad(static_cast<int>(ci), ToQt(p.position), p.rotation,
                   known ? p.padStyle : fallbackStyle, p.onTop, p.onBottom);
            padBounds = Unite(padBounds, pads_.back().bounds);
        }
        sc.padCount = static_cast<int>(pads_.size()) - sc.firstPad;
        sc.firstOutline = static_cast<int>(outlines_.size());
        QRectF bounds = padBounds;
        for (const Segment& s : c.outline) {
            outlines_.emplace_back(ToQt(s.a), ToQt(s.b));
            bounds = Unite(bounds, LineBounds(outlines_.back()));
        }
        if (c.outline.empty()) {
            if (padBounds.isNull())
                padBounds = QRectF(ToQt(c.position) - QPointF(0.5, 0.5), QSizeF(1, 1));
            bounds = padBounds.adjusted(-0.25, -0.25, 0.25, 0.25);
            AddRectLines(outlines_, bounds);
        }
        sc.outlineCount = static_cast<int>(outlines_.size()) - sc.firstOutline;
        sc.bounds = bounds;
        const QPointF label = ToQt(c.refDesPosition);
        sc.refDesPosition = label.isNull() || !bounds.adjusted(-50, -50, 50, 50).contains(label)
                                ? bounds.center()
                                : label;
    }
}

void BoardScene::buildGrid() {
    const Design& d = *design_;
    laidOutInGrid_ = true;
    PadGeometry square;
    square.shape = PadShape::Rect;
    square.sizeX = square.sizeY = GridLayout::kPadSize;
    PadGeometry round = square;
    round.shape = PadShape::Circle;
    const int squareStyle = addStyle(square);
    const int roundStyle = addStyle(round);
    const GridLayout grid(d.components);
    for (size_t ci = 0; ci < d.components.size(); ++ci) {
        const Component& c = d.components[ci];
        const int index = static_cast<int>(ci);
        SceneComponent& sc = components_.emplace_back();
        sc.refDes = QString::fromStdString(c.refDes);
        sc.bottomSide = c.bottomSide;
        sc.firstPad = static_cast<int>(pads_.size());
        for (size_t pi = 0; pi < c.pads.size(); ++pi) {
            const Pad& p = c.pads[pi];
            addPad(index, grid.padPosition(index, static_cast<int>(pi)), 0,
                   pi == 0 ? squareStyle : roundStyle, p.onTop, p.onBottom);
        }
        sc.padCount = static_cast<int>(c.pads.size());
        sc.bounds = grid.componentBox(index);
        sc.firstOutline = static_cast<int>(outlines_.size());
        AddRectLines(outlines_, sc.bounds);
        sc.outlineCount = 4;
        sc.refDesPosition = grid.refDesPosition(index);
    }
    if (boardOutline_.empty() && !d.components.empty()) AddRectLines(boardOutline_, grid.board());
}

int BoardScene::componentAt(QPointF mm) const {
    int best = -1;
    double bestArea = 0;
    for (size_t i = 0; i < components_.size(); ++i) {
        const QRectF& b = components_[i].bounds;
        if (!b.contains(mm)) continue;
        const double area = b.width() * b.height();
        if (best < 0 || area < bestArea) {
            best = static_cast<int>(i);
            bestArea = area;
        }
    }
    return best;
}

int BoardScene::findComponent(int index, const QString& refDes) const {
    if (index >= 0 && index < static_cast<int>(components_.size()) &&
        components_[index].refDes == refDes) {
        return index;
    }
    for (size_t i = 0; i < components_.size(); ++i) {
        if (components_[i].refDes == refDes) return static_cast<int>(i);
    }
    return -1;
}

}  // namespace pcbhost::view
