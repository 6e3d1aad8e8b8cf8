// SPDX-License-Identifier: GPL-3.0-or-later
// What every design the ODB++ reader returns must hold, whatever it was given: names within
// the library's lengths and without control characters, pad styles that exist, finite numbers.
#pragma once

#include <cmath>
#include <cstdlib>

#include "boardreaders/Design.h"
#include "boardreaders/ReadError.h"

namespace odbpp_fuzz {

inline bool Clean(const std::string& text, std::size_t max) {
    if (text.size() > max) return false;
    for (const char c : text)
        if ((static_cast<unsigned char>(c) < 0x20 && c != '\t') || c == 0x7f) return false;
    return true;
}

inline void Check(bool ok, const boards::Design& design, const boards::ReadError& error) {
    if (!ok) {
        if (error.reason.empty() || error.file.empty()) std::abort();
        return;
    }
    if (design.components.empty()) std::abort();
    for (const auto& style : design.padStyles)
        if (style.name.empty() || style.name.size() > 99 || style.holeDiameter < 0) std::abort();
    for (const auto& c : design.components) {
        if (c.refDes.empty() || !Clean(c.refDes, 63)) std::abort();
        if (!std::isfinite(c.position.x) || !std::isfinite(c.position.y)) std::abort();
        for (const auto& pad : c.pads) {
            if (pad.padStyle < -1 || pad.padStyle >= int(design.padStyles.size())) std::abort();
            if (!Clean(pad.number, 31) || !std::isfinite(pad.position.x)) std::abort();
        }
        for (const auto& a : c.attributes)
            if (a.name.empty() || !Clean(a.name, 63) || a.value.size() > 1023 || a.textStyle != -1)
                std::abort();
    }
}

}  // namespace odbpp_fuzz
