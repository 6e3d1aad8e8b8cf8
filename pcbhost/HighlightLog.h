// SPDX-License-Identifier: GPL-3.0-or-later
// The "highlight REFDES COLOUR" line printed for each highlight request; the five colour codes
// of Dbx32.h are named (RED, WHITE, BLUE, CYAN, YELLOW), others printed as numbers.
#pragma once

#include <string>

namespace pcbhost {

class HighlightLog {
  public:
    static std::string ColourName(int colour);
    static std::string Line(const std::string& refDes, int colour);
};

}  // namespace pcbhost
