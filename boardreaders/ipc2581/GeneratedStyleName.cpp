// SPDX-License-Identifier: GPL-3.0-or-later
#include "GeneratedStyleName.h"

#include <algorithm>
#include <cstdio>

namespace boards::ipc2581 {
namespace {

std::string Size(const DecimalText& width, const DecimalText& height, const LengthUnit& unit) {
    return width.FormatMm(unit) + "x" + height.FormatMm(unit);
}

// Custom outlines: the bounding box, and a checksum of the vertices written as "x,y;" in mm
// with four decimals so that equal outlines share a name.
std::string CustomName(const Primitive& p) {
    double minX = p.vertices[0].x, maxX = minX, minY = p.vertices[0].y, maxY = minY;
    std::string text;
    for (const Point& v : p.vertices) {
        minX = std::min(minX, v.x);
        maxX = std::max(maxX, v.x);
        minY = std::min(minY, v.y);
        maxY = std::max(maxY, v.y);
        text += FormatMm(v.x) + "," + FormatMm(v.y) + ";";
    }
    char crc[16];
    std::snprintf(crc, sizeof crc, "%08x", Crc32(text.data(), text.size()));
    return "Custom " + FormatMm(maxX - minX) + "x" + FormatMm(maxY - minY) + " #" + crc;
}

}  // namespace

uint32_t Crc32(const char* data, size_t size) {
    uint32_t crc = 0xFFFFFFFFu;
    for (size_t i = 0; i < size; ++i) {
        crc ^= static_cast<unsigned char>(data[i]);
        for (int bit = 0; bit < 8; ++bit) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
    }
    return ~crc;
}

std::string ShapeName(const Primitive* primitive) {
    if (!primitive) return "Hole";
    const Primitive& p = *primitive;
    switch (p.kind) {
        case Primitive::Kind::Circle:
            return "Circle " + p.width.FormatMm(p.unit);
        case Primitive::Kind::Rect: {
            const std::string w = p.width.FormatMm(p.unit), h = p.height.FormatMm(p.unit);
            return w == h ? "Rect " + w : "Rect " + w + "x" + h;
        }
        case Primitive::Kind::Oval:
            return "Oval " + Size(p.width, p.height, p.unit);
        case Primitive::Kind::RoundRect:
            return "RoundRect " + Size(p.width, p.height, p.unit) + " R" +
                   p.corner.FormatMm(p.unit);
        case Primitive::Kind::ChamferedRect:
            return "ChamferedRect " + Size(p.width, p.height, p.unit) + " C" +
                   p.corner.FormatMm(p.unit);
        case Primitive::Kind::Custom:
            return p.vertices.empty() ? "Hole" : CustomName(p);
    }
    return "Hole";
}

std::string GeneratedStyleName(const InlinePadStack& stack, const Primitive* shape) {
    std::string name;
    switch (stack.holeType) {
        case InlinePadStack::HoleType::None:
            name = "SMD ";
            break;
        case InlinePadStack::HoleType::Plated:
            name = "THT ";
            break;
        case InlinePadStack::HoleType::NonPlated:
            name = "NPTH ";
            break;
    }
    name += ShapeName(shape);
    if (stack.holeType != InlinePadStack::HoleType::None)
        name += " D" + stack.hole.FormatMm(stack.holeUnit);
    return name;
}

}  // namespace boards::ipc2581
