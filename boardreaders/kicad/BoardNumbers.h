// SPDX-License-Identifier: GPL-3.0-or-later
// Reading numbers from a board file with the ranges that a real board can have.
#pragma once

#include <cmath>
#include <string>

#include "SexprTokenizer.h"
#include "boardreaders/Design.h"

namespace boards::kicad {

constexpr double kMaxCoordinateMm = 10000;  // 10 m: far beyond any board
constexpr double kMaxSizeMm = 1000;
constexpr double kMaxAngleDeg = 36000;

inline double ReadInRange(SexprTokenizer& tok, double low, double high, const char* what) {
    const double v = tok.ReadNumber();
    if (!(v >= low && v <= high)) {
        tok.Fail(std::string(what) + " out of range: " + std::string(tok.Atom().substr(0, 40)));
    }
    return v;
}

inline double ReadCoordinate(SexprTokenizer& tok) {
    return ReadInRange(tok, -kMaxCoordinateMm, kMaxCoordinateMm, "coordinate");
}
inline double ReadSize(SexprTokenizer& tok) {
    return ReadInRange(tok, 0, kMaxSizeMm, "size");
}
inline double ReadAngle(SexprTokenizer& tok) {
    return ReadInRange(tok, -kMaxAngleDeg, kMaxAngleDeg, "angle");
}
inline double ReadRatio(SexprTokenizer& tok) {
    return ReadInRange(tok, 0, 1, "ratio");
}

inline Point ReadPoint(SexprTokenizer& tok) {
    Point p;
    p.x = ReadCoordinate(tok);
    p.y = ReadCoordinate(tok);
    return p;
}

// Reads `x y [angle]` and the list's end, as in `(at x y angle)`.
inline Point ReadPlacement(SexprTokenizer& tok, double& angle) {
    const Point p = ReadPoint(tok);
    angle = 0;
    for (;;) {
        const auto item = tok.NextItem();
        if (item == SexprTokenizer::Item::ListEnd) return p;
        if (item == SexprTokenizer::Item::ListStart) {
            tok.SkipList();
            continue;
        }
        double v = 0;
        if (ParseNumber(tok.Atom(), v)) {
            if (!(std::abs(v) <= kMaxAngleDeg)) tok.Fail("angle out of range");
            angle = v;
        }  // `unlocked` and other flags are skipped
    }
}

// Reads `x y` and the list's end, as in `(start x y)`.
inline Point ReadPointList(SexprTokenizer& tok) {
    const Point p = ReadPoint(tok);
    tok.ExpectListEnd();
    return p;
}

}  // namespace boards::kicad
