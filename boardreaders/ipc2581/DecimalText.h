// SPDX-License-Identifier: GPL-3.0-or-later
// Decimal numbers as written in the file, kept exact so that sizes and hole diameters round the
// way the text says rather than the way a double does.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace boards::ipc2581 {

// A length unit of the file, as a multiple of a millimetre: mm = value * numerator / 10^shift.
struct LengthUnit {
    int64_t mmNumerator = 1;
    int mmShift = 0;
    double mmPerUnit = 1.0;

    static LengthUnit Millimetre() { return {1, 0, 1.0}; }
    static LengthUnit Inch() { return {254, 1, 25.4}; }
    static LengthUnit Micron() { return {1, 3, 0.001}; }
    // INCH, MILLIMETER or MICRON; false for anything else.
    static bool FromName(std::string_view name, LengthUnit& unit);
};

// value = mantissa / 10^scale.
class DecimalText {
  public:
    // Accepts an optional sign, digits with an optional point and an optional exponent.
    static bool Parse(std::string_view text, DecimalText& out);

    double ToDouble() const;
    double ToMm(const LengthUnit& unit) const { return ToDouble() * unit.mmPerUnit; }
    // The value in `unit` times `perMm` millimetres, rounded half up (towards +infinity).
    int64_t ToScaledMm(const LengthUnit& unit, int64_t perMm) const;
    // Millimetres with at most four decimals, rounded half up, without trailing zeros.
    std::string FormatMm(const LengthUnit& unit) const;
    bool IsZero() const { return mantissa_ == 0; }
    bool IsNegative() const { return mantissa_ < 0; }

  private:
    int64_t mantissa_ = 0;
    int scale_ = 0;
};

// Millimetres with at most four decimals, rounded half up, without trailing zeros.
std::string FormatMm(double mm);

}  // namespace boards::ipc2581
