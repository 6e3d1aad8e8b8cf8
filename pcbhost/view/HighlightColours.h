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
    // 10 red, 12 yellow, 13 blue, 15 cyan, 16 white. Any other code gets the fallback
    // colour, magenta, which none of the board's own colours use.
    static HighlightColour ForCode(int code);
    static HighlightColour Fallback();
};

}  // namespace pcbhost::view
