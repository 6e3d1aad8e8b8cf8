// SPDX-License-Identifier: GPL-3.0-or-later
// Small designs for the view tests.
#pragma once

#include <memory>
#include <string>

#include "pcbhost/Design.h"

namespace pcbhost::view::testing {

inline Pad MakePad(int style, double x, double y, double rotation = 0, bool top = true,
                   bool bottom = false) {
    Pad pad;
    pad.padStyle = style;
    pad.position = {x, y};
    pad.rotation = rotation;
    pad.onTop = top;
    pad.onBottom = bottom;
    return pad;
}

inline Component MakeComponent(const std::string& refDes, std::vector<Pad> pads) {
    Component c;
    c.refDes = refDes;
    c.pads = std::move(pads);
    c.hasGeometry = true;
    return c;
}

// A 60 x 40 mm board: U1 (two 1 mm SMD pads at (8,10) and (12,10)), R2 (same at (48,10) and
// (52,10)), J3 (one drilled 2 mm round pad at (30,30)), B4 (a bottom-side 2 x 0.5 mm pad at
// (10,30) turned 90 degrees).
inline std::shared_ptr<Design> TwoPartBoard() {
    auto d = std::make_shared<Design>();
    d->hasGeometry = true;
    PadStyle smd;
    smd.geometry.shape = PadShape::Rect;
    smd.geometry.sizeX = smd.geometry.sizeY = 1.0;
    PadStyle th;
    th.geometry.type = PadType::ThroughHole;
    th.geometry.shape = PadShape::Circle;
    th.geometry.sizeX = th.geometry.sizeY = 2.0;
    th.geometry.drillX = th.geometry.drillY = 1.0;
    PadStyle thin;
    thin.geometry.shape = PadShape::Rect;
    thin.geometry.sizeX = 2.0;
    thin.geometry.sizeY = 0.5;
    d->padStyles = {smd, th, thin};
    d->components.push_back(MakeComponent("U1", {MakePad(0, 8, 10), MakePad(0, 12, 10)}));
    d->components.push_back(MakeComponent("R2", {MakePad(0, 48, 10), MakePad(0, 52, 10)}));
    d->components.push_back(MakeComponent("J3", {MakePad(1, 30, 30, 0, true, true)}));
    Component b4 = MakeComponent("B4", {MakePad(2, 10, 30, 90, false, true)});
    b4.bottomSide = true;
    d->components.push_back(b4);
    d->boardOutline = {
        {{0, 0}, {60, 0}}, {{60, 0}, {60, 40}}, {{60, 40}, {0, 40}}, {{0, 40}, {0, 0}}};
    return d;
}

// A design as read from JSON: components and pads, no geometry at all.
inline std::shared_ptr<Design> NoGeometryDesign() {
    auto d = std::make_shared<Design>();
    d->padStyles.resize(1);
    for (const char* name : {"C1", "C2", "U3"}) {
        Component c;
        c.refDes = name;
        c.pads = {MakePad(0, 0, 0), MakePad(0, 0, 0), MakePad(0, 0, 0)};
        d->components.push_back(c);
    }
    return d;
}

}  // namespace pcbhost::view::testing
