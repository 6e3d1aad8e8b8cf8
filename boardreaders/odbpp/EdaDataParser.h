// SPDX-License-Identifier: GPL-3.0-or-later
// A step's `eda/data`: the packages' outlines (for drawing) and the links from layer features
// to toeprints and vias (FID records under SNT TOP and SNT VIA subnets).
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "RecordText.h"
#include "boardreaders/Design.h"

namespace boards::odbpp {

// A package pin's own outline, the first shape after its PIN record: RC, SQ, CR or a contour
// (CT ... CE, its vertices relative to the pin's centre).
struct PinOutline {
    enum class Shape { None, Rect, Circle, Contour } shape = Shape::None;
    double sizeX = 0, sizeY = 0;  // mm; a contour's bounding box
    Point centre;                 // package frame
    std::vector<Point> polygon;   // Contour only
};

struct PackageOutline {
    std::string_view name;
    std::vector<Segment> edges;    // package frame, mm, y up
    std::vector<PinOutline> pins;  // by pin number (0-based, as TOP records count them)
};

// A feature linked to a toeprint (or to a via when `via`).
struct FeatureLink {
    int layer = 0;    // index into EdaData::layers
    int feature = 0;  // the feature's place in that layer's file
    bool via = false;
    bool bottom = false;  // the toeprint's side (SNT TOP B)
    int component = 0;    // the component's place in its components file
    int toeprint = 0;
};

struct EdaData {
    std::vector<std::string> layers;  // the LYR line, lower case
    std::vector<PackageOutline> packages;
    std::vector<FeatureLink> links;  // sorted by layer, then feature
    // The link of a layer's feature, or null.
    const FeatureLink* Find(int layer, int feature) const;
    // The index of a layer by its (lower-case) name, or -1.
    int Layer(std::string_view name) const;
};

bool ParseEdaData(std::string_view text, Units defaultUnits, EdaData& out, int& errorLine,
                  std::string& reason);

}  // namespace boards::odbpp
