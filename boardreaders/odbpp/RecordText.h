// SPDX-License-Identifier: GPL-3.0-or-later
// The line records ODB++ files are made of: lines of fields separated by blanks, an optional
// attribute part after ';', numbers in the file's units, and the structured text (`KEY=VALUE`
// lines and `NAME { ... }` blocks) of the matrix, the step headers and misc/info.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace boards::odbpp {

enum class Units { Inch, Mm };

// Millimetres per coordinate unit, and per symbol-size unit (mils or microns).
inline double CoordinateMm(Units units) {
    return units == Units::Mm ? 1.0 : 25.4;
}
inline double SymbolMm(Units units) {
    return units == Units::Mm ? 0.001 : 0.0254;
}

// Walks the lines of a text (LF, CR LF or CR), counting them from 1.
class LineCursor {
  public:
    explicit LineCursor(std::string_view text) : text_(text) {}
    bool Next(std::string_view& line);
    int line() const { return line_; }

  private:
    std::string_view text_;
    std::size_t pos_ = 0;
    int line_ = 0;
};

// A record line split at blanks: the fields before the first ';' and the text after it.
struct Fields {
    static constexpr int kMax = 16;
    std::string_view field[kMax];
    int count = 0;
    std::string_view attributes;  // after ';', empty when none
};
void SplitFields(std::string_view line, Fields& out);

// A finite number within +-1e9; false for anything else ("1e999", "nan", "1x").
bool ParseNumber(std::string_view text, double& value);
// A non-negative integer below 2^31.
bool ParseIndex(std::string_view text, int& value);
// "UNITS=MM" / "UNITS=INCH" (any case, blanks around '=' allowed); false for other lines.
bool ParseUnitsLine(std::string_view line, Units& units);
// ASCII lower case.
std::string Lower(std::string_view text);
// Whether text holds a byte below 0x20 other than tab, or 0x7F.
bool HasControl(std::string_view text);

// `KEY=VALUE` lines at the top level and in `NAME {` ... `}` blocks (not nested).
struct TextBlock {
    std::string_view name;  // empty for the top level
    int line = 0;
    std::vector<std::pair<std::string_view, std::string_view>> values;
    // The value of `key` (any case), or empty.
    std::string_view Get(std::string_view key) const;
};
struct StructuredText {
    TextBlock top;
    std::vector<TextBlock> blocks;
};
// False, with the line and reason, for an unclosed or nested block or a line that is neither.
// A matrix LAYER block of the board context (a block without CONTEXT counts as one).
bool IsBoardLayer(const TextBlock& layer);

bool ParseStructuredText(std::string_view text, StructuredText& out, int& errorLine,
                         std::string& reason);

}  // namespace boards::odbpp
