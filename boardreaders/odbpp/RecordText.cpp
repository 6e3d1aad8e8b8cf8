// SPDX-License-Identifier: GPL-3.0-or-later
#include "RecordText.h"

#include <charconv>
#include <cmath>
#include <cstring>

namespace boards::odbpp {
namespace {

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

std::string_view Trim(std::string_view s) {
    while (!s.empty() && (IsBlank(s.front()) || s.front() == '\r')) s.remove_prefix(1);
    while (!s.empty() && (IsBlank(s.back()) || s.back() == '\r')) s.remove_suffix(1);
    return s;
}

bool EqualsNoCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        char x = a[i], y = b[i];
        if (x >= 'A' && x <= 'Z') x = char(x - 'A' + 'a');
        if (y >= 'A' && y <= 'Z') y = char(y - 'A' + 'a');
        if (x != y) return false;
    }
    return true;
}

}  // namespace

bool LineCursor::Next(std::string_view& line) {
    if (pos_ >= text_.size()) return false;
    const char* begin = text_.data() + pos_;
    const std::size_t left = text_.size() - pos_;
    const void* lf = std::memchr(begin, '\n', left);
    std::size_t length = lf ? std::size_t(static_cast<const char*>(lf) - begin) : left;
    // A lone CR ends a line too (old Mac line ends); a CR before the LF is dropped.
    const void* cr = std::memchr(begin, '\r', length);
    std::size_t next = length + (lf ? 1 : 0);
    if (cr) {
        const std::size_t at = std::size_t(static_cast<const char*>(cr) - begin);
        if (at + 1 == length && lf) {
            length = at;
        } else {
            length = at;
            next = at + 1;
        }
    }
    line = std::string_view(begin, length);
    pos_ += next;
    ++line_;
    return true;
}

void SplitFields(std::string_view line, Fields& out) {
    out.count = 0;
    out.attributes = {};
    std::size_t i = 0;
    const std::size_t n = line.size();
    while (i < n) {
        while (i < n && IsBlank(line[i])) ++i;
        if (i >= n) break;
        if (line[i] == ';') {
            out.attributes = Trim(line.substr(i + 1));
            return;
        }
        const std::size_t start = i;
        while (i < n && !IsBlank(line[i]) && line[i] != ';') ++i;
        if (out.count < Fields::kMax) out.field[out.count++] = line.substr(start, i - start);
    }
}

bool ParseNumber(std::string_view text, double& value) {
    if (text.empty()) return false;
    const char* begin = text.data();
    const char* end = begin + text.size();
    if (*begin == '+') ++begin;
    const auto result = std::from_chars(begin, end, value, std::chars_format::general);
    if (result.ec != std::errc() || result.ptr != end) return false;
    return std::isfinite(value) && std::fabs(value) <= 1e9;
}

bool ParseIndex(std::string_view text, int& value) {
    if (text.empty() || text.size() > 10) return false;
    long long v = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return false;
        v = v * 10 + (c - '0');
    }
    if (v > 0x7fffffff) return false;
    value = int(v);
    return true;
}

bool ParseUnitsLine(std::string_view line, Units& units) {
    line = Trim(line);
    const std::size_t eq = line.find('=');
    if (eq == std::string_view::npos || !EqualsNoCase(Trim(line.substr(0, eq)), "units"))
        return false;
    const std::string_view value = Trim(line.substr(eq + 1));
    if (EqualsNoCase(value, "mm")) {
        units = Units::Mm;
        return true;
    }
    if (EqualsNoCase(value, "inch")) {
        units = Units::Inch;
        return true;
    }
    return false;
}

std::string Lower(std::string_view text) {
    std::string out(text);
    for (char& c : out)
        if (c >= 'A' && c <= 'Z') c = char(c - 'A' + 'a');
    return out;
}

bool HasControl(std::string_view text) {
    for (unsigned char c : text)
        if ((c < 0x20 && c != '\t') || c == 0x7f) return true;
    return false;
}

std::string_view TextBlock::Get(std::string_view key) const {
    for (const auto& [k, v] : values)
        if (EqualsNoCase(k, key)) return v;
    return {};
}

bool IsBoardLayer(const TextBlock& layer) {
    const std::string_view context = layer.Get("CONTEXT");
    return context.empty() || EqualsNoCase(context, "board");
}

bool ParseStructuredText(std::string_view text, StructuredText& out, int& errorLine,
                         std::string& reason) {
    LineCursor lines(text);
    std::string_view raw;
    TextBlock* open = nullptr;
    while (lines.Next(raw)) {
        const std::string_view line = Trim(raw);
        if (line.empty() || line.front() == '#') continue;
        if (line.back() == '{') {
            if (open) {
                errorLine = lines.line();
                reason = "block inside a block";
                return false;
            }
            out.blocks.push_back({Trim(line.substr(0, line.size() - 1)), lines.line(), {}});
            open = &out.blocks.back();
            continue;
        }
        if (line == "}") {
            if (!open) {
                errorLine = lines.line();
                reason = "'}' without a block";
                return false;
            }
            open = nullptr;
            continue;
        }
        const std::size_t eq = line.find('=');
        if (eq == std::string_view::npos) {
            errorLine = lines.line();
            reason = "expected KEY=VALUE";
            return false;
        }
        (open ? *open : out.top)
            .values.emplace_back(Trim(line.substr(0, eq)), Trim(line.substr(eq + 1)));
    }
    if (open) {
        errorLine = open->line;
        reason = "block not closed";
        return false;
    }
    return true;
}

}  // namespace boards::odbpp
