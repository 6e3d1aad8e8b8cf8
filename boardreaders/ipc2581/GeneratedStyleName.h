// SPDX-License-Identifier: GPL-3.0-or-later
// Names for pad styles that the file does not name (pad stacks written inline, one per pin):
// "TYPE Shape size[ Dhole]", sizes in mm.
#pragma once

#include <string>

#include "Ipc2581Model.h"

namespace boards::ipc2581 {

// "Circle 1.5", "Rect 0.85x0.7", "Rect 2", "Oval 1x2", "RoundRect 0.56x0.62 R0.14",
// "ChamferedRect 1x1 C0.2", "Custom 1.2x0.8 #1a2b3c4d"; "Hole" without a primitive.
std::string ShapeName(const Primitive* primitive);

// "SMD Rect 0.85x0.7", "THT Circle 1.5 D1", "NPTH Circle 2.3368 D2.3622".
std::string GeneratedStyleName(const InlinePadStack& stack, const Primitive* shape);

// CRC-32 (IEEE 802.3, as zip and PNG use) of `size` bytes.
uint32_t Crc32(const char* data, size_t size);

}  // namespace boards::ipc2581
