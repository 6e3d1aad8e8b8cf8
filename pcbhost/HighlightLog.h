// The "highlight REFDES COLOUR" line printed for each highlight request; colour codes 10 RED,
// 16 WHITE, 13 BLUE, 15 CYAN, 12 YELLOW are named, others printed as numbers.
#pragma once

#include <string>

namespace pcbhost {

class HighlightLog {
  public:
    static std::string ColourName(int colour);
    static std::string Line(const std::string& refDes, int colour);
};

}  // namespace pcbhost
