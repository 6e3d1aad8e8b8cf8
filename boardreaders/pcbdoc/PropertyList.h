// SPDX-License-Identifier: GPL-3.0-or-later
// One PcbDoc property-list record (`|KEY=VALUE|KEY=VALUE...`), as the text streams of a
// .PcbDoc hold them: keys compared without regard to ASCII case, values decoded to UTF-8.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace boards::pcbdoc {

class PropertyList {
  public:
    // Splits `text` (one record, its terminating zero byte already taken off). Entries without
    // '=' are skipped, as PcbDoc's own readers skip them.
    explicit PropertyList(std::string_view text);

    // The raw value of `key` (first occurrence), if present.
    std::optional<std::string_view> Raw(std::string_view key) const;
    // The value as UTF-8: from the `UNICODE__KEY` list of code points when the record has one,
    // else the ISO 8859-1 value (or a `%UTF8%KEY` value as it is); trimmed of spaces.
    std::string Text(std::string_view key) const;
    // A length in mm from a value such as "4031.614mil", "1.5mm" or "12.7" (mil); `fallback`
    // when missing or not a number.
    double LengthMm(std::string_view key, double fallback = 0) const;
    // A value such as "4031.614mil" or "1.5mm" in mm; `fallback` when not a number.
    static double Length(std::string_view value, double fallback = 0);
    double Number(std::string_view key, double fallback = 0) const;
    bool Bool(std::string_view key, bool fallback = false) const;

    const std::vector<std::pair<std::string_view, std::string_view>>& entries() const {
        return entries_;
    }

  private:
    std::vector<std::pair<std::string_view, std::string_view>> entries_;
};

// ISO 8859-1 bytes as UTF-8; control characters dropped, a tab made a space (as below).
std::string Latin1ToUtf8(std::string_view text);
// UTF-16LE code units (up to a zero unit) as UTF-8; unpaired surrogates become U+FFFD.
std::string Utf16LeToUtf8(std::string_view bytes);
// `text` parsed as a decimal number (leading and trailing spaces allowed).
std::optional<double> ParseNumber(std::string_view text);

}  // namespace boards::pcbdoc
