// SPDX-License-Identifier: GPL-3.0-or-later
#include "SexprTokenizer.h"

#include <algorithm>
#include <charconv>
#include <climits>
#include <cmath>
#include <cstring>

#include "HashCombine.h"

namespace boards::kicad {

namespace {

uint64_t HashBytes(uint64_t h, std::string_view s) {
    for (unsigned char c : s) h = (h ^ c) * 0x100000001b3ULL;
    return HashCombine(h, s.size());
}

// For a well-formed decimal that a double cannot hold, whether it is too small rather than too
// large: its first non-zero digit then stands far right of the decimal point.
bool IsTooSmallForDouble(std::string_view text) {
    const size_t e = text.find_first_of("eE");
    long long exponent = 0;
    if (e != std::string_view::npos) {
        std::string_view digits = text.substr(e + 1);
        const bool negative = !digits.empty() && digits[0] == '-';
        if (!digits.empty() && (digits[0] == '+' || negative)) digits.remove_prefix(1);
        const auto [end, ec] =
            std::from_chars(digits.data(), digits.data() + digits.size(), exponent);
        if (ec == std::errc::result_out_of_range) exponent = LLONG_MAX / 2;
        if (negative) exponent = -exponent;
    }
    long long magnitude = 0;  // digits before the point, or minus the zeros right after it
    bool point = false;
    for (const char c : text.substr(0, e)) {
        if (c == '.') {
            point = true;
        } else if (c >= '1' && c <= '9') {
            if (point) break;
            ++magnitude;
        } else if (c == '0') {
            if (point && magnitude <= 0) --magnitude;
            if (!point && magnitude > 0) ++magnitude;
        }
    }
    return magnitude + exponent < 0;
}

}  // namespace

bool ParseNumber(std::string_view text, double& value) {
    // Fast path for what boards hold: [-]digits[.digits], at most 15 significant digits. The
    // integer and the power of ten are exact doubles, so one division rounds correctly.
    static constexpr double kPowersOfTen[] = {1e0, 1e1, 1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                              1e8, 1e9, 1e10, 1e11, 1e12, 1e13, 1e14, 1e15};
    const char* p = text.data();
    const char* last = p + text.size();
    const bool negative = p != last && *p == '-';
    if (negative) ++p;
    uint64_t mantissa = 0;
    int digits = 0, fractionDigits = 0;
    bool seenPoint = false;
    const char* q = p;
    for (; q != last; ++q) {
        const char c = *q;
        if (c >= '0' && c <= '9') {
            mantissa = mantissa * 10 + static_cast<uint64_t>(c - '0');
            ++digits;
            fractionDigits += seenPoint;
        } else if (c == '.' && !seenPoint) {
            seenPoint = true;
        } else {
            break;
        }
    }
    if (q == last && digits > 0 && digits <= 15) {
        const double v = static_cast<double>(mantissa) / kPowersOfTen[fractionDigits];
        value = negative ? -v : v;
        return true;
    }

    const char* first = text.data();
    const bool plus = first != last && *first == '+';  // from_chars takes '-' only
    if (plus) ++first;
    if (first == last || (plus && *first == '-')) return false;
    auto [end, ec] = std::from_chars(first, last, value);
    if (ec == std::errc::result_out_of_range && end == last &&
        IsTooSmallForDouble({first, size_t(last - first)})) {
        value = 0;  // below the smallest double: reads as zero
        return true;
    }
    return ec == std::errc() && end == last && std::isfinite(value);
}

void SexprTokenizer::Fail(const std::string& reason) const {
    throw SexprError(tokenStart_, reason);
}

int SexprTokenizer::LineAt(size_t offset) const {
    offset = std::min(offset, bytes_.size());
    return 1 + static_cast<int>(std::count(bytes_.begin(), bytes_.begin() + offset, '\n'));
}

void SexprTokenizer::ReadQuotedAt() {
    const size_t n = bytes_.size();
    tokenStart_ = pos_;
    size_t i = pos_ + 1;
    escaped_ = false;
    while (i < n && bytes_[i] != '"') {
        if (bytes_[i] == '\\') {
            escaped_ = true;
            ++i;
        }
        ++i;
    }
    if (i >= n) Fail("unterminated quoted string");
    atom_ = bytes_.substr(pos_ + 1, i - pos_ - 1);
    pos_ = i + 1;
    quoted_ = true;
}

bool SexprTokenizer::NextChildList() {
    for (;;) {
        const Item item = NextItem();
        if (item == Item::ListStart) return true;
        if (item == Item::ListEnd) return false;
    }
}

bool SexprTokenizer::AtEndOfInput() {
    SkipSpace();
    tokenStart_ = pos_;
    return pos_ >= bytes_.size();
}

bool SexprTokenizer::NextTopLevelList() {
    if (AtEndOfInput()) return false;
    tokenStart_ = pos_;
    if (bytes_[pos_] != '(') Fail("expected '('");
    if (NextItem() != Item::ListStart) Fail("expected '('");
    return true;
}

std::string SexprTokenizer::AtomString() const {
    if (!escaped_) return std::string(atom_);
    std::string out;
    out.reserve(atom_.size());
    for (size_t i = 0; i < atom_.size(); ++i) {
        char c = atom_[i];
        if (c == '\\' && i + 1 < atom_.size()) {
            c = atom_[++i];
            switch (c) {
                case 'n':
                    c = '\n';
                    break;
                case 'r':
                    c = '\r';
                    break;
                case 't':
                    c = '\t';
                    break;
                default:
                    break;
            }
        }
        out.push_back(c);
    }
    return out;
}

void SexprTokenizer::SkipList() {
    const char* p = bytes_.data() + pos_;
    const char* end = bytes_.data() + bytes_.size();
    int depth = 1;
    while (p < end) {
        const char c = *p++;
        if (c == ')') {
            if (--depth == 0) {
                pos_ = static_cast<size_t>(p - bytes_.data());
                return;
            }
        } else if (c == '(') {
            ++depth;
        } else if (c == '"') {
            while (p < end && *p != '"') p += (*p == '\\') ? 2 : 1;
            if (p >= end) break;
            ++p;
        }
    }
    pos_ = bytes_.size();
    tokenStart_ = pos_;
    Fail("unexpected end of file: unbalanced parentheses");
}

uint64_t SexprTokenizer::HashList(uint64_t seed) {
    uint64_t h = seed;
    int depth = 1;
    while (depth > 0) {
        switch (NextItem()) {
            case Item::ListStart:
                ++depth;
                h = HashBytes(HashCombine(h, '('), atom_);
                break;
            case Item::ListEnd:
                --depth;
                h = HashCombine(h, ')');
                break;
            case Item::Atom: {
                double v = 0;
                if (!quoted_ && ParseNumber(atom_, v)) {
                    h = HashCombine(
                        h, static_cast<uint64_t>(std::llround(std::clamp(v, -1e9, 1e9) * 1e6)));
                } else {
                    h = HashBytes(h, atom_);
                }
                break;
            }
        }
    }
    return h;
}

std::string_view SexprTokenizer::ReadAtom() {
    if (NextItem() != Item::Atom) Fail("expected a value");
    return atom_;
}

std::string SexprTokenizer::ReadString() {
    ReadAtom();
    return AtomString();
}

double SexprTokenizer::ReadNumber() {
    ReadAtom();
    double v = 0;
    if (ParseNumber(atom_, v)) return v;
    const std::string shown(atom_.substr(0, 40));
    double ignored = 0;
    const auto [end, ec] = std::from_chars(atom_.data(), atom_.data() + atom_.size(), ignored);
    if (ec == std::errc::result_out_of_range && end == atom_.data() + atom_.size())
        Fail("number out of range: '" + shown + "'");
    Fail("not a number: '" + shown + "'");
    return v;
}

void SexprTokenizer::ExpectListEnd() {
    if (NextItem() != Item::ListEnd) Fail("expected ')'");
}

}  // namespace boards::kicad
