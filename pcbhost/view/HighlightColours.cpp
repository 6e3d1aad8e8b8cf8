// SPDX-License-Identifier: GPL-3.0-or-later
#include "pcbhost/view/HighlightColours.h"

#include "Dbx32.h"

namespace pcbhost::view {

HighlightColour HighlightColours::ForCode(int code) {
    switch (code) {
        case DBX_COLOUR_RED:
            return {QColor(235, 40, 40), QStringLiteral("red")};
        case DBX_COLOUR_YELLOW:
            return {QColor(245, 225, 30), QStringLiteral("yellow")};
        case DBX_COLOUR_BLUE:
            return {QColor(40, 90, 255), QStringLiteral("blue")};
        case DBX_COLOUR_CYAN:
            return {QColor(0, 225, 235), QStringLiteral("cyan")};
        case DBX_COLOUR_WHITE:
            return {QColor(250, 250, 250), QStringLiteral("white")};
        default:
            return Fallback();
    }
}

HighlightColour HighlightColours::Fallback() {
    return {QColor(255, 0, 255), QStringLiteral("magenta")};
}

}  // namespace pcbhost::view
