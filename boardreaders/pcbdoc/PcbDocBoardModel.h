// SPDX-License-Identifier: GPL-3.0-or-later
// What the reader keeps of a .PcbDoc's streams: components, pads, texts, the overlay drawing of
// components and the board outline, in PcbDoc's own terms (internal units of 1/10000 mil,
// y growing upwards), before the mapping rules make a Design of them.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace boards::pcbdoc {

constexpr uint16_t kNoComponent = 0xFFFF;

// PcbDoc layer numbers used by the reader.
namespace layer {
constexpr uint8_t kTop = 1;
constexpr uint8_t kBottom = 32;
constexpr uint8_t kTopOverlay = 33;
constexpr uint8_t kBottomOverlay = 34;
constexpr uint8_t kFirstPlane = 39;
constexpr uint8_t kLastPlane = 54;
constexpr uint8_t kMulti = 74;
// Copper: signal layers, internal planes and the multi-layer (through-hole) layer.
inline bool IsCopper(uint8_t l) {
    return (l >= kTop && l <= kBottom) || (l >= kFirstPlane && l <= kLastPlane) || l == kMulti;
}
}  // namespace layer

enum class PadShape : uint8_t { Unknown = 0, Circle = 1, Rect = 2, Octagon = 3 };
enum class HoleShape : uint8_t { Round = 0, Square = 1, Slot = 2 };
constexpr uint8_t kAltShapeRoundRect = 9;

struct PcbDocComponent {
    std::string refDes;  // SOURCEDESIGNATOR
    std::string uniqueId;
    std::string pattern, libReference, description;
    double xMm = 0, yMm = 0;  // y up
    double rotation = 0;
    bool bottom = false;
};

struct PcbDocPad {
    std::string name;
    uint8_t layer = 0;
    uint16_t component = kNoComponent;
    int32_t x = 0, y = 0;
    // Top, middle and bottom: size and shape.
    std::array<int32_t, 3> sizeX{}, sizeY{};
    std::array<PadShape, 3> shape{};
    int32_t hole = 0;
    double direction = 0;
    bool plated = true;
    uint8_t mode = 0;  // 0 simple, 1 top-middle-bottom, 2 full stack
    // From the size-and-shape record, when the pad has one.
    bool hasSizeAndShape = false;
    HoleShape holeShape = HoleShape::Round;
    int32_t slotSize = 0;
    double slotRotation = 0;
    int32_t holeOffsetX = 0, holeOffsetY = 0;
    std::array<uint8_t, 3> altShape{};      // top, middle (first inner), bottom
    std::array<uint8_t, 3> cornerRadius{};  // percent of half the smaller side
};

enum class FontType : uint8_t { Stroke = 0, TrueType = 1, Barcode = 2 };

struct PcbDocText {
    uint8_t layer = 0;
    uint16_t component = kNoComponent;
    int32_t x = 0, y = 0;
    int32_t height = 0, strokeWidth = 0;
    double rotation = 0;
    bool isComment = false, isDesignator = false, bold = false, italic = false;
    std::string fontName;
    FontType fontType = FontType::Stroke;
    std::string text;
};

struct PcbDocLine {
    uint8_t layer = 0;
    uint16_t component = kNoComponent;
    int32_t x1 = 0, y1 = 0, x2 = 0, y2 = 0;
    int32_t width = 0;
};

struct PcbDocArc {
    uint8_t layer = 0;
    uint16_t component = kNoComponent;
    int32_t cx = 0, cy = 0, radius = 0, width = 0;
    double startAngle = 0, endAngle = 0;
};

struct PcbDocParameter {
    std::string name, value;
};

struct OutlineVertex {
    double xMm = 0, yMm = 0;  // y up
};

struct PcbDocBoardModel {
    std::string fileHeader;  // the FileHeader stream's text, e.g. "PCB 5.0 Binary File"
    std::vector<PcbDocComponent> components;
    std::vector<std::vector<PcbDocParameter>> parameters;  // by component
    std::vector<PcbDocPad> pads;                           // file order, copper pads only
    std::size_t freePads = 0;                              // copper pads of no component
    std::size_t nonCopperPads = 0;  // pads on mechanical and other non-copper layers
    std::vector<PcbDocText> texts;  // components' designator and comment texts
    std::vector<PcbDocLine> lines;  // components' overlay tracks
    std::vector<PcbDocArc> arcs;    // components' overlay arcs
    std::vector<OutlineVertex> boardOutline;
};

}  // namespace boards::pcbdoc
