#include "pcbhost/view/HighlightColours.h"

namespace pcbhost::view {

HighlightColour HighlightColours::ForCode(int code) {
    switch (code) {
        case 10:
            return {QColor(235, 40, 40), QStringLiteral("red")};
        case 12:
            return {QColor(245, 225, 30), QStringLiteral("yellow")};
        case 13:
            return {QColor(40, 90, 255), QStringLiteral("blue")};
        case 15:
            return {QColor(0, 225, 235), QStringLiteral("cyan")};
        case 16:
            return {QColor(250, 250, 250), QStringLiteral("white")};
        default:
            return Fallback();
    }
}

HighlightColour HighlightColours::Fallback() {
    return {QColor(255, 0, 255), QStringLiteral("magenta")};
}

}  // namespace pcbhost::view
