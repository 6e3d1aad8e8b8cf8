// SPDX-License-Identifier: GPL-3.0-or-later
// The colours a highlight request can ask for, by the code the library sends.
#pragma once

#include <QColor>
#include <QString>

namespace pcbhost::view {

struct HighlightColour {
    QColor colour;
    QString name;
};

class HighlightColours {
  public:
    // The five DBX_COLOUR_* codes of Dbx32.h. Any other code gets the fallback
    // colour, magenta, which none of the board's own colours use.
    static HighlightColour ForCode(int code);
    static HighlightColour Fallback();
};

}  // namespace pcbhost::view
