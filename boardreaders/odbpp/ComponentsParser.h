// SPDX-License-Identifier: GPL-3.0-or-later
// A component layer's `components` file: CMP records with their properties (PRP) and
// toeprints (TOP), in millimetres with y up as in the file.
#pragma once

#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "RecordText.h"
#include "boardreaders/Design.h"

namespace boards::odbpp {

struct Toeprint {
    int pin = 0;  // the package's pin number (0-based)
    Point position;
    double rotation = 0;  // degrees clockwise
    bool mirror = false;
    std::string_view name;  // the pin's name, "1", "A3"; empty when the record has none
};

struct ComponentRecord {
    int package = -1;  // index into eda/data's packages
    Point position;
    double rotation = 0;  // degrees clockwise
    bool mirror = false;
    std::string_view refDes;
    std::string_view part;
    std::vector<std::pair<std::string_view, std::string_view>> properties;  // file order
    std::vector<Toeprint> toeprints;
    int line = 0;
};

bool ParseComponents(std::string_view text, Units defaultUnits, std::vector<ComponentRecord>& out,
                     int& errorLine, std::string& reason);

}  // namespace boards::odbpp
