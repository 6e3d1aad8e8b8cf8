// SPDX-License-Identifier: GPL-3.0-or-later
#include "FeaturesParser.h"

#include <cmath>

namespace boards::odbpp {
namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr int kMaxSymbols = 1 << 20;

// `;0=2,1=0;ID=12` : the value of attribute number `attribute`, or -1. The attributes end at
// the next ';' (the feature's ID follows).
int AttributeValue(std::string_view attributes, int attribute) {
    attributes = attributes.substr(0, attributes.find(';'));
    std::size_t i = 0;
    while (i < attributes.size()) {
        std::size_t end = attributes.find(',', i);
        if (end == std::string_view::npos) end = attributes.size();
        const std::string_view item = attributes.substr(i, end - i);
        const std::size_t eq = item.find('=');
        int number = -1, value = -1;
        if (eq != std::string_view::npos && ParseIndex(item.substr(0, eq), number) &&
            number == attribute && ParseIndex(item.substr(eq + 1), value))
            return value;
        i = end + 1;
    }
    return -1;
}

DrillKind DrillFrom(std::string_view attributes, int drillAttribute) {
    if (drillAttribute < 0 || attributes.empty()) return DrillKind::Unknown;
    switch (AttributeValue(attributes, drillAttribute)) {
        case 0:
            return DrillKind::Plated;
        case 1:
            return DrillKind::NonPlated;
        case 2:
            return DrillKind::Via;
        default:
            return DrillKind::Unknown;
    }
}

bool Point2(const Fields& f, int at, double scale, Point& p) {
    if (at + 1 >= f.count) return false;
    if (!ParseNumber(f.field[at], p.x) || !ParseNumber(f.field[at + 1], p.y)) return false;
    p.x *= scale;
    p.y *= scale;
    return true;
}

}  // namespace

void AppendArc(Point a, Point b, Point c, bool clockwise, std::vector<Segment>& edges) {
    const double r = std::hypot(a.x - c.x, a.y - c.y);
    double start = std::atan2(a.y - c.y, a.x - c.x);
    double end = std::atan2(b.y - c.y, b.x - c.x);
    double sweep = end - start;
    if (clockwise) {
        while (sweep >= 0) sweep -= 2 * kPi;
    } else {
        while (sweep <= 0) sweep += 2 * kPi;
    }
    if (!(r > 0) || !std::isfinite(sweep)) {
        edges.push_back({a, b, 0});
        return;
    }
    const int steps = std::max(1, std::min(64, int(std::fabs(sweep) / (kPi / 16)) + 1));
    Point last = a;
    for (int i = 1; i <= steps; ++i) {
        const double t = start + sweep * i / steps;
        const Point next = i == steps ? b : Point{c.x + r * std::cos(t), c.y + r * std::sin(t)};
        edges.push_back({last, next, 0});
        last = next;
    }
}

bool ParseFeatures(std::string_view text, const FeaturesOptions& options, LayerFeatures& out,
                   int& errorLine, std::string& reason) {
    Units units = options.defaultUnits;
    double scale = CoordinateMm(units);
    int drillAttribute = -1;
    int index = 0;
    bool inSurface = false, inContour = false;
    Point contourStart, contourLast;
    LineCursor lines(text);
    std::string_view line;
    Fields f;
    auto fail = [&](const char* why) {
        errorLine = lines.line();
        reason = why;
        return false;
    };
    while (lines.Next(line)) {
        if (line.empty()) continue;
        const char c0 = line.front();
        if (c0 == '#' || c0 == ' ' || c0 == '\t') continue;
        // Tracks, arcs, text and barcodes of a layer whose lines are not kept: only counted.
        if (!inSurface && line.size() > 1 && (line[1] == ' ' || line[1] == '\t') &&
            ((c0 == 'L' && !options.keepLines) || c0 == 'A' || c0 == 'T' || c0 == 'B')) {
            ++index;
            continue;
        }
        SplitFields(line, f);
        if (f.count == 0) continue;
        const std::string_view kind = f.field[0];
        if (inSurface) {
            // Surface records: OB/OS/OC/OE inside S ... SE.
            if (kind == "SE") {
                inSurface = inContour = false;
                ++index;
            } else if (kind == "OB") {
                Point p;
                if (!Point2(f, 1, scale, p)) return fail("malformed OB record");
                inContour = true;
                contourStart = contourLast = p;
            } else if (kind == "OS") {
                Point p;
                if (!inContour || !Point2(f, 1, scale, p)) return fail("malformed OS record");
                if (options.keepSurfaces) out.surfaceEdges.push_back({contourLast, p, 0});
                contourLast = p;
            } else if (kind == "OC") {
                Point p, centre;
                if (!inContour || f.count < 6 || !Point2(f, 1, scale, p) ||
                    !Point2(f, 3, scale, centre))
                    return fail("malformed OC record");
                const bool clockwise = f.field[5] == "Y" || f.field[5] == "y";
                if (options.keepSurfaces)
                    AppendArc(contourLast, p, centre, clockwise, out.surfaceEdges);
                contourLast = p;
            } else if (kind == "OE") {
                if (!inContour) return fail("OE without OB");
                inContour = false;
            } else {
                return fail("unexpected record inside a surface");
            }
            continue;
        }
        if (c0 == '$') {
            int number = 0;
            if (!ParseIndex(kind.substr(1), number) || f.count < 2)
                return fail("malformed symbol line");
            if (number != int(out.symbols.size())) return fail("symbols out of order");
            if (number >= kMaxSymbols) return fail("too many symbols");
            FeatureSymbol symbol{f.field[1], SymbolMm(units)};
            if (f.count >= 3 && (f.field[2] == "M" || f.field[2] == "m"))
                symbol.sizeMm = SymbolMm(Units::Mm);
            else if (f.count >= 3 && (f.field[2] == "I" || f.field[2] == "i"))
                symbol.sizeMm = SymbolMm(Units::Inch);
            out.symbols.push_back(symbol);
            continue;
        }
        if (c0 == '@') {
            int number = 0;
            if (f.count >= 2 && ParseIndex(kind.substr(1), number) && Lower(f.field[1]) == ".drill")
                drillAttribute = number;
            continue;
        }
        if (c0 == '&') continue;
        if (c0 == 'U' && ParseUnitsLine(line, units)) {
            scale = CoordinateMm(units);
            continue;
        }
        if (kind == "P") {
            // P x y apt_def polarity dcode orient_def [rotation]
            FeaturePad pad;
            int symbol = 0, orient = 0;
            if (f.count < 7 || !Point2(f, 1, scale, pad.position) ||
                !ParseIndex(f.field[3], symbol) || !ParseIndex(f.field[6], orient))
                return fail("malformed P record");
            if (symbol >= int(out.symbols.size())) return fail("P record names no symbol");
            pad.symbol = symbol;
            if (orient == 8 || orient == 9) {
                if (f.count < 8 || !ParseNumber(f.field[7], pad.rotation))
                    return fail("malformed P record rotation");
                pad.mirror = orient == 9;
            } else if (orient <= 7) {
                pad.rotation = 90.0 * (orient % 4);
                pad.mirror = orient >= 4;
            } else {
                return fail("unknown P record orientation");
            }
            pad.drill = DrillFrom(f.attributes, drillAttribute);
            pad.index = index++;
            out.pads.push_back(pad);
        } else if (kind == "L") {
            // L xs ys xe ye sym_num polarity dcode
            FeatureLine l;
            int symbol = 0;
            if (f.count < 6 || !Point2(f, 1, scale, l.a) || !Point2(f, 3, scale, l.b) ||
                !ParseIndex(f.field[5], symbol))
                return fail("malformed L record");
            if (symbol >= int(out.symbols.size())) return fail("L record names no symbol");
            l.symbol = symbol;
            l.drill = DrillFrom(f.attributes, drillAttribute);
            l.index = index++;
            if (options.keepLines) out.lines.push_back(l);
        } else if (kind == "S") {
            inSurface = true;
        } else if (kind == "A" || kind == "T" || kind == "B" || kind == "BX") {
            ++index;
        }
        // Anything else (F, ID=, records of later revisions) holds nothing read here.
    }
    if (inSurface) return fail("surface not closed (SE missing)");
    return true;
}

}  // namespace boards::odbpp
