#include "HighlightLog.h"

namespace pcbhost {

std::string HighlightLog::ColourName(int colour) {
    switch (colour) {
        case 10:
            return "RED";
        case 16:
            return "WHITE";
        case 13:
            return "BLUE";
        case 15:
            return "CYAN";
        case 12:
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
