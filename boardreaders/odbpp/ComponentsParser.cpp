// SPDX-License-Identifier: GPL-3.0-or-later
#include "ComponentsParser.h"

namespace boards::odbpp {
namespace {

// Whether the line is a record of kind `kind` (three letters and a blank, or the end).
bool IsRecord(std::string_view line, std::string_view kind) {
    return line.starts_with(kind) &&
           (line.size() == kind.size() || line[kind.size()] == ' ' || line[kind.size()] == '\t');
}

bool ReadMirror(std::string_view field, bool& mirror) {
    if (field == "N" || field == "n") {
        mirror = false;
        return true;
    }
    if (field == "M" || field == "m") {
        mirror = true;
        return true;
    }
    return false;
}

// `PRP NAME 'value' ...`: the value between the first and the last quote on the line.
bool ReadProperty(std::string_view line, std::string_view& name, std::string_view& value) {
    std::size_t i = 3;
    while (i < line.size() && (line[i] == ' ' || line[i] == '\t')) ++i;
    const std::size_t start = i;
    while (i < line.size() && line[i] != ' ' && line[i] != '\t' && line[i] != '\'') ++i;
    name = line.substr(start, i - start);
    if (name.empty()) return false;
    const std::size_t open = line.find('\'', i);
    if (open == std::string_view::npos) {
        // Some writers leave the quotes out of single-word values.
        while (i < line.size() && (line[i] == ' ' || line[i] == '\t')) ++i;
        std::size_t end = i;
        while (end < line.size() && line[end] != ' ' && line[end] != '\t') ++end;
        value = line.substr(i, end - i);
        return true;
    }
    const std::size_t close = line.rfind('\'');
    if (close == open) return false;
    value = line.substr(open + 1, close - open - 1);
    return true;
}

}  // namespace

bool ParseComponents(std::string_view text, Units defaultUnits, std::vector<ComponentRecord>& out,
                     int& errorLine, std::string& reason) {
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
    while (lines.Next(line)) {
        if (line.size() < 3) continue;
        if (IsRecord(line, "CMP")) {
            // CMP pkg_ref x y rot mirror comp_name part_name [;attributes]
            SplitFields(line, f);
            ComponentRecord c;
            if (f.count < 7 || !ParseIndex(f.field[1], c.package) ||
                !ParseNumber(f.field[2], c.position.x) || !ParseNumber(f.field[3], c.position.y) ||
                !ParseNumber(f.field[4], c.rotation) || !ReadMirror(f.field[5], c.mirror))
                return fail("malformed CMP record");
            c.position.x *= scale;
            c.position.y *= scale;
            c.refDes = f.field[6];
            if (f.count >= 8) c.part = f.field[7];
            c.line = lines.line();
            out.push_back(std::move(c));
        } else if (IsRecord(line, "TOP")) {
            // TOP pin_num x y rot mirror net_num subnet_num toeprint_name
            if (out.empty()) return fail("TOP record before any CMP record");
            SplitFields(line, f);
            Toeprint t;
            if (f.count < 8 || !ParseIndex(f.field[1], t.pin) ||
                !ParseNumber(f.field[2], t.position.x) || !ParseNumber(f.field[3], t.position.y) ||
                !ParseNumber(f.field[4], t.rotation) || !ReadMirror(f.field[5], t.mirror))
                return fail("malformed TOP record");
            t.position.x *= scale;
            t.position.y *= scale;
            if (f.count >= 9) t.name = f.field[8];  // older revisions may leave it out
            out.back().toeprints.push_back(t);
        } else if (IsRecord(line, "PRP")) {
            if (out.empty()) continue;  // properties of the layer itself
            std::string_view name, value;
            if (!ReadProperty(line, name, value)) return fail("malformed PRP record");
            out.back().properties.emplace_back(name, value);
        } else if (line.front() == 'U' && ParseUnitsLine(line, units)) {
            scale = CoordinateMm(units);
        }
    }
    return true;
}

}  // namespace boards::odbpp
