// SPDX-License-Identifier: GPL-3.0-or-later
#include "HighlightLog.h"

#include "Dbx32.h"

namespace pcbhost {

std::string HighlightLog::ColourName(int colour) {
    switch (colour) {
        case DBX_COLOUR_RED:
            return "RED";
        case DBX_COLOUR_WHITE:
            return "WHITE";
        case DBX_COLOUR_BLUE:
            return "BLUE";
        case DBX_COLOUR_CYAN:
            return "CYAN";
        case DBX_COLOUR_YELLOW:
            return "YELLOW";
        default:
            return std::to_string(colour);
    }
}

std::string HighlightLog::Line(const std::string& refDes, int colour) {
    std::string printable = refDes;
    for (char& c : printable)
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7f) c = '?';
    return "highlight " + printable + " " + ColourName(colour);
}

}  // namespace pcbhost
