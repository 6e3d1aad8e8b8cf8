// SPDX-License-Identifier: GPL-3.0-or-later
// The names the reader gives PcbDoc pad stacks and texts (the rules are in README.md), and the
// unit conversions they rest on.
#pragma once

#include <cstdint>
#include <string>

#include "PcbDocBoardModel.h"

namespace boards::pcbdoc {

// PcbDoc's internal unit (1/10000 mil) in mm.
constexpr double kMmPerUnit = 0.00000254;

inline double UnitsToMm(int32_t units) {
    return units * kMmPerUnit;
}
// A length in design units (mm x 2540), rounded half up: units x 0.0064516.
int32_t UnitsToDesignUnits(int32_t units);
// A length in mm with at most four decimals, rounded half up, without trailing zeros:
// 413386 -> "1.05".
std::string FormatMm(int32_t units);

// The hole of a pad: its diameter, or the smaller side of a slot; 0 without a hole.
int32_t HoleSize(const PcbDocPad& pad);
// "SMD Rect 1.05x0.45", "THT Circle 1.7 D1", "NPTH Circle 3.05 D3.05", ...
std::string PadStyleName(const PcbDocPad& pad);
// "Arial 1.524", "Stroke 1.524 w0.254", ...
std::string TextStyleName(const PcbDocText& text);

}  // namespace boards::pcbdoc
