// SPDX-License-Identifier: GPL-3.0-or-later
#include "DecimalText.h"

#include <cmath>
#include <cstdio>
#include <limits>

namespace boards::ipc2581 {
namespace {

constexpr int kMaxDigits = 18;  // fits an int64_t mantissa
constexpr int kMaxScale = 30;

__int128 PowerOfTen(int exponent) {
    __int128 p = 1;
    for (int i = 0; i < exponent; ++i) p *= 10;
    return p;
}

// floor(numerator / denominator + 1/2) for a positive denominator.
__int128 RoundHalfUp(__int128 numerator, __int128 denominator) {
    const __int128 twice = 2 * numerator + denominator;
    const __int128 twiceDenominator = 2 * denominator;
    __int128 q = twice / twiceDenominator;
    if (twice % twiceDenominator != 0 && twice < 0) --q;
    return q;
}

std::string FormatTenThousandths(__int128 value) {
    const bool negative = value < 0;
    unsigned long long magnitude = static_cast<unsigned long long>(negative ? -value : value);
    std::string text = std::to_string(magnitude / 10000);
    unsigned fraction = static_cast<unsigned>(magnitude % 10000);
    if (fraction != 0) {
        char digits[8];
        std::snprintf(digits, sizeof digits, "%04u", fraction);
        std::string tail(digits);
        while (!tail.empty() && tail.back() == '0') tail.pop_back();
        text += "." + tail;
    }
    return negative && value != 0 ? "-" + text : text;
}

}  // namespace

bool LengthUnit::FromName(std::string_view name, LengthUnit& unit) {
    if (name == "MILLIMETER")
        unit = Millimetre();
    else if (name == "INCH")
        unit = Inch();
    else if (name == "MICRON")
        unit = Micron();
    else
        return false;
    return true;
}

bool DecimalText::Parse(std::string_view text, DecimalText& out) {
    size_t i = 0;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
    int64_t mantissa = 0;
    int digits = 0, scale = 0;
    bool any = false, point = false;
    for (; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '.' && !point) {
            point = true;
            continue;
        }
        if (c < '0' || c > '9') break;
        any = true;
        if (digits == kMaxDigits) {
            if (!point) return false;  // too large to be a length
            continue;                  // further decimals are below any precision we use
        }
        if (mantissa == 0 && c == '0') {
            if (point) ++scale;
            continue;
        }
        mantissa = mantissa * 10 + (c - '0');
        ++digits;
        if (point) ++scale;
    }
    if (!any) return false;
    if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
        ++i;
        bool negativeExponent = false;
        if (i < text.size() && (text[i] == '+' || text[i] == '-'))
            negativeExponent = text[i++] == '-';
        int exponent = 0;
        bool exponentDigits = false;
        for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
            exponentDigits = true;
            if (exponent < 1000) exponent = exponent * 10 + (text[i] - '0');
        }
        if (!exponentDigits) return false;
        scale += negativeExponent ? exponent : -exponent;
    }
    if (i != text.size()) return false;
    if (mantissa == 0) scale = 0;
    while (scale < 0) {  // positive exponent: fold into the mantissa
        if (mantissa > std::numeric_limits<int64_t>::max() / 10) return false;
        mantissa *= 10;
        ++scale;
    }
    while (scale > kMaxScale) {
        mantissa /= 10;
        --scale;
    }
    out.mantissa_ = negative ? -mantissa : mantissa;
    out.scale_ = scale;
    return true;
}

double DecimalText::ToDouble() const {
    return static_cast<double>(mantissa_) / std::pow(10.0, scale_);
}

int64_t DecimalText::ToScaledMm(const LengthUnit& unit, int64_t perMm) const {
    const __int128 numerator = static_cast<__int128>(mantissa_) * unit.mmNumerator * perMm;
    const __int128 result = RoundHalfUp(numerator, PowerOfTen(scale_ + unit.mmShift));
    if (result > std::numeric_limits<int64_t>::max()) return std::numeric_limits<int64_t>::max();
    if (result < std::numeric_limits<int64_t>::min()) return std::numeric_limits<int64_t>::min();
    return static_cast<int64_t>(result);
}

std::string DecimalText::FormatMm(const LengthUnit& unit) const {
    const int64_t tenThousandths = ToScaledMm(unit, 10000);
    return FormatTenThousandths(tenThousandths);
}

std::string FormatMm(double mm) {
    if (!std::isfinite(mm) || std::fabs(mm) > 1e12) return "0";
    const double scaled = std::floor(mm * 10000.0 + 0.5 + 1e-7);
    return FormatTenThousandths(static_cast<__int128>(scaled));
}

}  // namespace boards::ipc2581
