// SPDX-License-Identifier: GPL-3.0-or-later
// A layer's `features` file (and a step's `profile`): the symbol table, the pads, the lines
// (drilled slots) and the surfaces (the board outline), in millimetres with y up as in the file.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "RecordText.h"
#include "boardreaders/Design.h"

namespace boards::odbpp {

// How a drill-layer feature's `.drill` attribute says it was drilled.
enum class DrillKind { Unknown, Plated, NonPlated, Via };

struct FeatureSymbol {
    std::string_view name;  // as in the `$` line, without a unit suffix
    double sizeMm = 0.001;  // millimetres per size unit in the name (microns or mils)
};

struct FeaturePad {
    Point position;  // mm, y up
    int symbol = -1;
    double rotation = 0;  // degrees clockwise, as in the file
    bool mirror = false;
    DrillKind drill = DrillKind::Unknown;
    int index = 0;  // the feature's 0-based place in the file (eda/data's FID numbers)
};

struct FeatureLine {
    Point a, b;  // mm, y up
    int symbol = -1;
    DrillKind drill = DrillKind::Unknown;
    int index = 0;
};

struct LayerFeatures {
    std::vector<FeatureSymbol> symbols;
    std::vector<FeaturePad> pads;
    std::vector<FeatureLine> lines;
    std::vector<Segment> surfaceEdges;  // outlines of surfaces, arcs as chords (when asked)
};

struct FeaturesOptions {
    Units defaultUnits = Units::Inch;  // when the file has no UNITS line
    bool keepLines = false;
    bool keepSurfaces = false;
};

// False, with the line and reason, for a record that does not read.
bool ParseFeatures(std::string_view text, const FeaturesOptions& options, LayerFeatures& out,
                   int& errorLine, std::string& reason);

// Arc from `a` to `b` around `c` as chords appended to `edges` (clockwise when `clockwise`).
void AppendArc(Point a, Point b, Point c, bool clockwise, std::vector<Segment>& edges);

}  // namespace boards::odbpp
