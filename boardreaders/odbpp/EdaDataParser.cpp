// SPDX-License-Identifier: GPL-3.0-or-later
#include "EdaDataParser.h"

#include <algorithm>
#include <cmath>

#include "FeaturesParser.h"

namespace boards::odbpp {
namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr std::size_t kMaxLinks = std::size_t(1) << 26;

bool Number(const Fields& f, int at, double scale, double& v) {
    if (at >= f.count || !ParseNumber(f.field[at], v)) return false;
    v *= scale;
    return true;
}

void AddRect(std::vector<Segment>& edges, Point a, Point b) {
    const Point c{b.x, a.y}, d{a.x, b.y};
    edges.push_back({a, c, 0});
    edges.push_back({c, b, 0});
    edges.push_back({b, d, 0});
    edges.push_back({d, a, 0});
}

void AddCircle(std::vector<Segment>& edges, Point c, double r) {
    constexpr int kSteps = 32;
    for (int i = 0; i < kSteps; ++i) {
        const double t0 = 2 * kPi * i / kSteps, t1 = 2 * kPi * (i + 1) / kSteps;
        edges.push_back({{c.x + r * std::cos(t0), c.y + r * std::sin(t0)},
                         {c.x + r * std::cos(t1), c.y + r * std::sin(t1)},
                         0});
    }
}

}  // namespace

const FeatureLink* EdaData::Find(int layer, int feature) const {
    auto it = std::lower_bound(links.begin(), links.end(), std::pair(layer, feature),
                               [](const FeatureLink& l, const std::pair<int, int>& key) {
                                   return std::pair(l.layer, l.feature) < key;
                               });
    if (it == links.end() || it->layer != layer || it->feature != feature) return nullptr;
    return &*it;
}

int EdaData::Layer(std::string_view name) const {
    for (std::size_t i = 0; i < layers.size(); ++i)
        if (layers[i] == name) return int(i);
    return -1;
}

bool ParseEdaData(std::string_view text, Units defaultUnits, EdaData& out, int& errorLine,
                  std::string& reason) {
    Units units = defaultUnits;
    double scale = CoordinateMm(units);
    LineCursor lines(text);
    std::string_view line;
    Fields f;
    auto fail = [&](const char* why) {
        errorLine = lines.line();
        reason = why;
        return false;
    };
    // What the FID records that follow belong to.
    enum class Subnet { None, Toeprint, Via } subnet = Subnet::None;
    FeatureLink current;
    // Whether outline records go to the current package (before its first PIN).
    bool packageOutline = false;
    // Whether the next RC, SQ or CR record is the current pin's outline.
    bool pinOutline = false;
    Point contourLast;
    bool inContour = false;
    while (lines.Next(line)) {
        if (line.empty() || line.front() == '#') continue;
        SplitFields(line, f);
        if (f.count == 0) continue;
        const std::string_view kind = f.field[0];
        static constexpr std::string_view kPinShapes[] = {"RC", "SQ", "CR", "CT", "OB",
                                                          "OS", "OC", "OE", "CE"};
        if (pinOutline &&
            std::find(std::begin(kPinShapes), std::end(kPinShapes), kind) == std::end(kPinShapes))
            pinOutline = false;
        if (kind == "FID") {
            if (subnet == Subnet::None) continue;
            FeatureLink link = current;
            if (f.count < 4 || !ParseIndex(f.field[2], link.layer) ||
                !ParseIndex(f.field[3], link.feature))
                return fail("malformed FID record");
            if (out.links.size() >= kMaxLinks) return fail("too many FID records");
            out.links.push_back(link);
        } else if (kind == "SNT") {
            subnet = Subnet::None;
            if (f.count >= 2 && f.field[1] == "VIA") {
                subnet = Subnet::Via;
                current = {};
                current.via = true;
            } else if (f.count >= 5 && f.field[1] == "TOP") {
                current = {};
                current.bottom = f.field[2] == "B";
                if (!ParseIndex(f.field[3], current.component) ||
                    !ParseIndex(f.field[4], current.toeprint))
                    return fail("malformed SNT TOP record");
                subnet = Subnet::Toeprint;
            }
        } else if (kind == "NET") {
            subnet = Subnet::None;
        } else if (kind == "LYR") {
            for (int i = 1; i < f.count; ++i) out.layers.push_back(Lower(f.field[i]));
            // A long LYR line holds more names than one split keeps.
            if (f.count == Fields::kMax) {
                out.layers.clear();
                std::size_t i = 3;
                while (i < line.size()) {
                    while (i < line.size() && (line[i] == ' ' || line[i] == '\t')) ++i;
                    std::size_t end = i;
                    while (end < line.size() && line[end] != ' ' && line[end] != '\t') ++end;
                    if (end > i) out.layers.push_back(Lower(line.substr(i, end - i)));
                    i = end;
                }
            }
        } else if (kind == "PKG") {
            if (f.count < 2) return fail("malformed PKG record");
            out.packages.push_back({f.field[1], {}, {}});
            packageOutline = true;
            pinOutline = false;
            inContour = false;
        } else if (kind == "PIN") {
            packageOutline = false;
            if (!out.packages.empty()) {
                if (out.packages.back().pins.size() >= kMaxLinks) return fail("too many pins");
                out.packages.back().pins.emplace_back();
                pinOutline = true;
                Point centre;
                if (Number(f, 3, scale, centre.x) && Number(f, 4, scale, centre.y))
                    out.packages.back().pins.back().centre = centre;
            }
        } else if (pinOutline &&
                   (kind == "CT" || kind == "OB" || kind == "OS" || kind == "OC" || kind == "OE")) {
            // A contour pin: its vertices (arcs by their ends), bounding box taken at CE.
            PinOutline& pin = out.packages.back().pins.back();
            Point p;
            if (kind != "CT" && kind != "OE") {
                if (!Number(f, 1, scale, p.x) || !Number(f, 2, scale, p.y))
                    return fail("malformed pin contour record");
                if (pin.polygon.size() < 4096)
                    pin.polygon.push_back({p.x - pin.centre.x, p.y - pin.centre.y});
            }
        } else if (pinOutline && kind == "CE") {
            PinOutline& pin = out.packages.back().pins.back();
            pinOutline = false;
            if (pin.polygon.size() >= 3) {
                double x0 = pin.polygon[0].x, x1 = x0, y0 = pin.polygon[0].y, y1 = y0;
                for (const Point& q : pin.polygon) {
                    x0 = std::min(x0, q.x), x1 = std::max(x1, q.x);
                    y0 = std::min(y0, q.y), y1 = std::max(y1, q.y);
                }
                pin.shape = PinOutline::Shape::Contour;
                pin.sizeX = x1 - x0;
                pin.sizeY = y1 - y0;
            } else {
                pin.polygon.clear();
            }
        } else if (pinOutline && (kind == "RC" || kind == "SQ" || kind == "CR")) {
            PinOutline& pin = out.packages.back().pins.back();
            double a = 0, b = 0;
            if (!Number(f, 3, scale, a) || (kind == "RC" && !Number(f, 4, scale, b)))
                return fail("malformed pin outline record");
            pin.shape = kind == "CR" ? PinOutline::Shape::Circle : PinOutline::Shape::Rect;
            pin.sizeX = kind == "RC" ? a : 2 * a;
            pin.sizeY = kind == "RC" ? b : 2 * a;
            pinOutline = false;
        } else if (packageOutline) {
            std::vector<Segment>& edges = out.packages.back().edges;
            if (kind == "RC") {
                double x, y, w, h;
                if (!Number(f, 1, scale, x) || !Number(f, 2, scale, y) || !Number(f, 3, scale, w) ||
                    !Number(f, 4, scale, h))
                    return fail("malformed RC record");
                AddRect(edges, {x, y}, {x + w, y + h});
            } else if (kind == "CR") {
                double x, y, r;
                if (!Number(f, 1, scale, x) || !Number(f, 2, scale, y) || !Number(f, 3, scale, r))
                    return fail("malformed CR record");
                AddCircle(edges, {x, y}, r);
            } else if (kind == "SQ") {
                double x, y, half;
                if (!Number(f, 1, scale, x) || !Number(f, 2, scale, y) ||
                    !Number(f, 3, scale, half))
                    return fail("malformed SQ record");
                AddRect(edges, {x - half, y - half}, {x + half, y + half});
            } else if (kind == "OB" || kind == "OS") {
                Point p;
                if (!Number(f, 1, scale, p.x) || !Number(f, 2, scale, p.y))
                    return fail("malformed outline record");
                if (kind == "OS" && inContour) edges.push_back({contourLast, p, 0});
                inContour = true;
                contourLast = p;
            } else if (kind == "OC") {
                Point p, c;
                if (!inContour || f.count < 6 || !Number(f, 1, scale, p.x) ||
                    !Number(f, 2, scale, p.y) || !Number(f, 3, scale, c.x) ||
                    !Number(f, 4, scale, c.y))
                    return fail("malformed OC record");
                AppendArc(contourLast, p, c, f.field[5] == "Y" || f.field[5] == "y", edges);
                contourLast = p;
            } else if (kind == "OE") {
                inContour = false;
            }
        } else if (line.front() == 'U' && ParseUnitsLine(line, units)) {
            scale = CoordinateMm(units);
        }
    }
    std::sort(out.links.begin(), out.links.end(), [](const FeatureLink& a, const FeatureLink& b) {
        return std::pair(a.layer, a.feature) < std::pair(b.layer, b.feature);
    });
    return true;
}

}  // namespace boards::odbpp
