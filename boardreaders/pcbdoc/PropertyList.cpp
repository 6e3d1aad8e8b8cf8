// SPDX-License-Identifier: GPL-3.0-or-later
#include "PropertyList.h"

#include <charconv>
#include <cmath>
#include <cstdint>

namespace boards::pcbdoc {
namespace {

bool SameKey(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        char x = a[i], y = b[i];
        if (x >= 'a' && x <= 'z') x = char(x - 32);
        if (y >= 'a' && y <= 'z') y = char(y - 32);
        if (x != y) return false;
    }
    return true;
}

std::string_view Trim(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
    while (!s.empty() &&
           (s.back() == ' ' || s.back() == '\t' || s.back() == '\r' || s.back() == '\n'))
        s.remove_suffix(1);
    return s;
}

void AppendUtf8(std::string& out, uint32_t cp) {
    if (cp == 0 || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) cp = 0xFFFD;
    if (cp < 0x80) {
        out.push_back(char(cp));
    } else if (cp < 0x800) {
        out.push_back(char(0xC0 | cp >> 6));
        out.push_back(char(0x80 | (cp & 0x3F)));
    } else if (cp < 0x10000) {
        out.push_back(char(0xE0 | cp >> 12));
        out.push_back(char(0x80 | ((cp >> 6) & 0x3F)));
        out.push_back(char(0x80 | (cp & 0x3F)));
    } else {
        out.push_back(char(0xF0 | cp >> 18));
        out.push_back(char(0x80 | ((cp >> 12) & 0x3F)));
        out.push_back(char(0x80 | ((cp >> 6) & 0x3F)));
        out.push_back(char(0x80 | (cp & 0x3F)));
    }
}

// Whether `text` is valid UTF-8 without control characters.
bool CleanUtf8(std::string_view text) {
    for (std::size_t i = 0; i < text.size();) {
        const uint8_t c = uint8_t(text[i]);
        if (c < 0x80) {
            if (c < 0x20 || c == 0x7F) return false;
            ++i;
            continue;
        }
        const int extra = c >= 0xC2 && c <= 0xDF   ? 1
                          : c >= 0xE0 && c <= 0xEF ? 2
                          : c >= 0xF0 && c <= 0xF4 ? 3
                                                   : 0;
        if (extra == 0 || i + std::size_t(extra) >= text.size()) return false;
        for (int k = 1; k <= extra; ++k)
            if ((uint8_t(text[i + k]) & 0xC0) != 0x80) return false;
        i += std::size_t(extra) + 1;
    }
    return true;
}

}  // namespace

std::string Latin1ToUtf8(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (char ch : text) {
        const uint8_t c = uint8_t(ch);
        if (c == '\t')
            out.push_back(' ');
        else if (c < 0x20 || c == 0x7F)
            continue;  // control bytes are dropped
        else if (c < 0x80)
            out.push_back(ch);
        else
            AppendUtf8(out, c);
    }
    return out;
}

std::string Utf16LeToUtf8(std::string_view bytes) {
    std::string out;
    for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
        uint32_t u = uint8_t(bytes[i]) | uint32_t(uint8_t(bytes[i + 1])) << 8;
        if (u == 0) break;
        if (u >= 0xD800 && u < 0xDC00 && i + 3 < bytes.size()) {
            const uint32_t low = uint8_t(bytes[i + 2]) | uint32_t(uint8_t(bytes[i + 3])) << 8;
            if (low >= 0xDC00 && low < 0xE000) {
                u = 0x10000 + ((u - 0xD800) << 10) + (low - 0xDC00);
                i += 2;
            }
        }
        if (u == '\t') u = ' ';
        if (u < 0x20 || u == 0x7F) continue;
        AppendUtf8(out, u);
    }
    return out;
}

std::optional<double> ParseNumber(std::string_view text) {
    text = Trim(text);
    if (!text.empty() && text.front() == '+') text.remove_prefix(1);
    double value = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc() || end != text.data() + text.size() || !std::isfinite(value))
        return std::nullopt;
    return value;
}

PropertyList::PropertyList(std::string_view text) {
    std::size_t at = 0;
    while (at < text.size()) {
        std::size_t end = text.find('|', at);
        if (end == std::string_view::npos) end = text.size();
        const std::string_view item = text.substr(at, end - at);
        const std::size_t eq = item.find('=');
        if (eq != std::string_view::npos)
            entries_.emplace_back(Trim(item.substr(0, eq)), item.substr(eq + 1));
        at = end + 1;
    }
}

std::optional<std::string_view> PropertyList::Raw(std::string_view key) const {
    for (const auto& [k, v] : entries_)
        if (SameKey(k, key)) return v;
    return std::nullopt;
}

std::string PropertyList::Text(std::string_view key) const {
    const std::string unicodeKey = "UNICODE__" + std::string(key);
    if (const auto codes = Raw(unicodeKey)) {
        std::string out;
        std::string_view rest = *codes;
        bool ok = !rest.empty();
        while (ok && !rest.empty()) {
            const std::size_t comma = rest.find(',');
            const std::string_view number = rest.substr(0, comma);
            uint32_t cp = 0;
            const auto [end, ec] =
                std::from_chars(number.data(), number.data() + number.size(), cp);
            ok = ec == std::errc() && end == number.data() + number.size();
            if (ok && cp == '\t') cp = ' ';
            if (ok && cp >= 0x20 && cp != 0x7F) AppendUtf8(out, cp);
            rest = comma == std::string_view::npos ? std::string_view{} : rest.substr(comma + 1);
        }
        if (ok) return std::string(Trim(out));
    }
    if (const auto utf8 = Raw("%UTF8%" + std::string(key)))
        if (CleanUtf8(*utf8)) return std::string(Trim(*utf8));
    if (const auto value = Raw(key)) return Latin1ToUtf8(Trim(*value));
    return {};
}

double PropertyList::Number(std::string_view key, double fallback) const {
    const auto raw = Raw(key);
    if (!raw) return fallback;
    const auto value = ParseNumber(*raw);
    return value ? *value : fallback;
}

double PropertyList::LengthMm(std::string_view key, double fallback) const {
    const auto raw = Raw(key);
    return raw ? Length(*raw, fallback) : fallback;
}

double PropertyList::Length(std::string_view value, double fallback) {
    std::string_view text = Trim(value);
    double scale = 0.0254;  // mil
    if (text.size() > 3 && SameKey(text.substr(text.size() - 3), "mil")) {
        text.remove_suffix(3);
    } else if (text.size() > 2 && SameKey(text.substr(text.size() - 2), "mm")) {
        text.remove_suffix(2);
        scale = 1;
    }
    const auto number = ParseNumber(text);
    return number ? *number * scale : fallback;
}

bool PropertyList::Bool(std::string_view key, bool fallback) const {
    const auto raw = Raw(key);
    if (!raw) return fallback;
    const std::string_view v = Trim(*raw);
    return SameKey(v, "TRUE") || v == "T" || v == "1";
}

}  // namespace boards::pcbdoc
