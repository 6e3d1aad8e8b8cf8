// SPDX-License-Identifier: GPL-3.0-or-later
#include "PadSymbol.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <vector>

#include "RecordText.h"

namespace boards::odbpp {
namespace {

constexpr double kMaxSizeMm = 10000;

// Splits "2400x1600xr325" into numbers; a part may start with letters ("r325"), kept in
// `tags` in order.
bool SplitSizes(std::string_view text, std::vector<double>& numbers,
                std::vector<std::string>& tags) {
    std::size_t i = 0;
    while (i <= text.size()) {
        std::size_t end = text.find('x', i);
        if (end == std::string_view::npos) end = text.size();
        std::string_view part = text.substr(i, end - i);
        std::string tag;
        while (!part.empty() && std::isalpha(static_cast<unsigned char>(part.front()))) {
            tag += part.front();
            part.remove_prefix(1);
        }
        double v = 0;
        if (!ParseNumber(part, v) || v < 0) return false;
        numbers.push_back(v);
        tags.push_back(tag);
        if (numbers.size() > 8) return false;
        i = end + 1;
    }
    return true;
}

bool Sane(double mm) {
    return mm > 0 && mm < kMaxSizeMm;
}

}  // namespace

std::string FormatMm(double mm) {
    if (!std::isfinite(mm)) return "0";
    const double scaled = std::floor(std::fabs(mm) * 10000 + 0.5 + 1e-9);
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%s%.4f", mm < 0 && scaled > 0 ? "-" : "", scaled / 10000);
    std::string text(buffer);
    while (text.back() == '0') text.pop_back();
    if (text.back() == '.') text.pop_back();
    return text;
}

PadSymbol DescribeSymbol(std::string_view symbol, double sizeMm) {
    PadSymbol out;
    out.name = "Symbol " + std::string(symbol);
    std::vector<double> n;
    std::vector<std::string> tags;
    auto sizes = [&](std::string_view prefix) {
        if (!symbol.starts_with(prefix)) return false;
        n.clear();
        tags.clear();
        if (!SplitSizes(symbol.substr(prefix.size()), n, tags)) return false;
        if (tags[0] != "") return false;
        for (double& v : n) v *= sizeMm;
        return true;
    };
    auto wh = [&](const char* shape) {
        std::string name = shape;
        name += " " + FormatMm(out.sizeX) + "x" + FormatMm(out.sizeY);
        return name;
    };
    if (sizes("rect") && n.size() >= 2 && tags[1].empty() && Sane(n[0]) && Sane(n[1])) {
        out.sizeX = n[0];
        out.sizeY = n[1];
        if (n.size() >= 3 && (tags[2] == "r" || tags[2] == "c") && n[2] > 0) {
            const bool round = tags[2] == "r";
            out.shape = round ? PadShape::RoundRect : PadShape::ChamferedRect;
            out.cornerRatio = std::min(0.5, n[2] / std::min(n[0], n[1]));
            out.name =
                wh(round ? "RoundRect" : "ChamferedRect") + (round ? " R" : " C") + FormatMm(n[2]);
        } else {
            out.shape = PadShape::Rect;
            out.name = FormatMm(n[0]) == FormatMm(n[1]) ? "Rect " + FormatMm(n[0]) : wh("Rect");
        }
        out.known = true;
    } else if (sizes("oval") && n.size() == 2 && tags[1].empty() && Sane(n[0]) && Sane(n[1])) {
        out.shape = PadShape::Oval;
        out.sizeX = n[0];
        out.sizeY = n[1];
        out.name = wh("Oval");
        out.known = true;
    } else if (sizes("di") && n.size() == 2 && tags[1].empty() && Sane(n[0]) && Sane(n[1])) {
        out.shape = PadShape::Custom;
        out.sizeX = n[0];
        out.sizeY = n[1];
        out.name = wh("Diamond");
        out.known = true;
    } else if (sizes("oct") && n.size() == 3 && tags[1].empty() && tags[2].empty() && Sane(n[0]) &&
               Sane(n[1])) {
        out.shape = PadShape::ChamferedRect;
        out.sizeX = n[0];
        out.sizeY = n[1];
        out.cornerRatio = std::min(0.5, n[2] / std::min(n[0], n[1]));
        out.name = wh("Octagon") + " C" + FormatMm(n[2]);
        out.known = true;
    } else if (sizes("el") && n.size() == 2 && tags[1].empty() && Sane(n[0]) && Sane(n[1])) {
        out.shape = PadShape::Oval;
        out.sizeX = n[0];
        out.sizeY = n[1];
        out.name = wh("Ellipse");
        out.known = true;
    } else if (sizes("s") && n.size() == 1 && Sane(n[0])) {
        out.shape = PadShape::Rect;
        out.sizeX = out.sizeY = n[0];
        out.name = "Rect " + FormatMm(n[0]);
        out.known = true;
    } else if (sizes("r") && n.size() == 1 && Sane(n[0])) {
        out.shape = PadShape::Circle;
        out.sizeX = out.sizeY = n[0];
        out.name = "Circle " + FormatMm(n[0]);
        out.known = true;
    }
    return out;
}

double DrillDiameter(std::string_view symbol, double sizeMm) {
    const PadSymbol s = DescribeSymbol(symbol, sizeMm);
    if (!s.known) return 0;
    return std::min(s.sizeX, s.sizeY);
}

}  // namespace boards::odbpp
