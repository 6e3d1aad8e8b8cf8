// SPDX-License-Identifier: GPL-3.0-or-later
#include "SyntheticBoard.h"

#include <cmath>
#include <string>

namespace pcbhost::view::bench {
namespace {

constexpr double kCell = 8.0;  // mm between component centres

enum Style { kChip, kSoic, kDip, kBall, kQfp, kStyleCount };

PadStyle MakeStyle(PadShape shape, double w, double h, double drill = 0) {
    PadStyle s;
    s.geometry.shape = shape;
    s.geometry.sizeX = w;
    s.geometry.sizeY = h;
    s.geometry.drillX = s.geometry.drillY = drill;
    s.geometry.type = drill > 0 ? PadType::ThroughHole : PadType::Smd;
    s.geometry.roundRectRatio = 0.25;
    return s;
}

void AddPad(Component& c, int style, double x, double y, bool th) {
    // (x, y) relative to the component, turned with it.
    const double a = c.rotation * M_PI / 180;
    Pad p;
    p.padStyle = style;
    p.number = std::to_string(c.pads.size() + 1);
    p.position = {c.position.x + x * std::cos(a) + y * std::sin(a),
                  c.position.y - x * std::sin(a) + y * std::cos(a)};
    p.rotation = c.rotation;
    p.onTop = th || !c.bottomSide;
    p.onBottom = th || c.bottomSide;
    c.pads.push_back(p);
}

// Adds the pads of a footprint of the given kind; returns its reference prefix.
const char* AddFootprint(Component& c, int kind) {
    const char* prefix = "";
    switch (kind % 8) {
        case 0:
        case 1:
        case 2:
            prefix = "R";
            AddPad(c, kChip, -0.5, 0, false);
            AddPad(c, kChip, 0.5, 0, false);
            break;
        case 3:
            prefix = "U";
            for (int i = 0; i < 8; ++i)
                AddPad(c, kSoic, i < 4 ? -2.7 : 2.7, (i % 4 - 1.5) * 1.27, false);
            break;
        case 4:
            prefix = "J";
            for (int i = 0; i < 14; ++i)
                AddPad(c, kDip, i < 7 ? -3.81 : 3.81, (i % 7 - 3) * 1.0, true);
            break;
        case 5:
        case 6:
            prefix = "BGA";
            for (int i = 0; i < 64; ++i)
                AddPad(c, kBall, (i % 8 - 3.5) * 0.8, (i / 8 - 3.5) * 0.8, false);
            break;
        default:
            prefix = "Q";
            for (int side = 0; side < 4; ++side) {
                for (int i = 0; i < 11; ++i) {
                    const double along = (i - 5) * 0.5, across = 3.4;
                    const double x = side == 0 ? -across : side == 1 ? across : along;
                    const double y = side == 0 || side == 1 ? along : side == 2 ? -across : across;
                    AddPad(c, kQfp, x, y, false);
                }
            }
            break;
    }
    return prefix;
}

}  // namespace

std::shared_ptr<Design> MakeSyntheticBoard(int minimumPads) {
    auto d = std::make_shared<Design>();
    d->hasGeometry = true;
    d->padStyles.resize(kStyleCount);
    d->padStyles[kChip] = MakeStyle(PadShape::RoundRect, 0.6, 0.6);
    d->padStyles[kSoic] = MakeStyle(PadShape::RoundRect, 1.5, 0.6);
    d->padStyles[kDip] = MakeStyle(PadShape::Oval, 1.6, 0.8, 0.5);
    d->padStyles[kBall] = MakeStyle(PadShape::Circle, 0.4, 0.4);
    d->padStyles[kQfp] = MakeStyle(PadShape::Rect, 0.3, 1.2);
    // About 19 pads per component on average: size the grid for a 16:10 board.
    const int estimate = minimumPads / 19 + 1;
    const int columns = static_cast<int>(std::ceil(std::sqrt(estimate * 1.6)));
    int pads = 0;
    for (int i = 0; pads < minimumPads; ++i) {
        Component c;
        c.hasGeometry = true;
        c.position = {(i % columns + 0.5) * kCell, (i / columns + 0.5) * kCell};
        c.rotation = (i % 5 == 0) ? 90 : (i % 11 == 0) ? 45 : 0;
        c.bottomSide = i % 7 == 0;
        c.refDes = AddFootprint(c, i) + std::to_string(i + 1);
        const double half = kCell * 0.45;
        const Point corners[4] = {{c.position.x - half, c.position.y - half},
                                  {c.position.x + half, c.position.y - half},
                                  {c.position.x + half, c.position.y + half},
                                  {c.position.x - half, c.position.y + half}};
        for (int k = 0; k < 4; ++k) c.outline.push_back({corners[k], corners[(k + 1) % 4], 0.05});
        c.refDesPosition = {c.position.x, c.position.y - half + 0.8};
        pads += static_cast<int>(c.pads.size());
        d->components.push_back(std::move(c));
    }
    const int rows = static_cast<int>((d->components.size() + columns - 1) / columns);
    const double w = columns * kCell, h = rows * kCell;
    d->boardOutline = {{{0, 0}, {w, 0}}, {{w, 0}, {w, h}}, {{w, h}, {0, h}}, {{0, h}, {0, 0}}};
    return d;
}

}  // namespace pcbhost::view::bench
