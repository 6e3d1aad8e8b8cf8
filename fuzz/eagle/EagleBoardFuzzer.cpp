// SPDX-License-Identifier: GPL-3.0-or-later
// Feeds arbitrary bytes to the Eagle board reader: it must fail cleanly (file and reason) or give
// a design that the library can serve.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "boardreaders/eagle/EagleReader.h"

namespace {

bool HasControlCharacter(std::string_view text) {
    for (const char c : text)
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7f) return true;
    return false;
}

bool Fits(std::string_view text, size_t capacity) {
    return text.size() < capacity && !HasControlCharacter(text);
}

bool Finite(const boards::Point& p) {
    return std::isfinite(p.x) && std::isfinite(p.y);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    boards::Design design;
    boards::ReadError error;
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    if (!boards::ParseEagleBoard(bytes, "fuzz.brd", design, error)) {
        if (error.reason.empty() || error.file != "fuzz.brd" || error.line < 0) std::abort();
        if (!design.components.empty()) std::abort();
        return 0;
    }
    for (const auto& component : design.components) {
        if (!Fits(component.refDes, 64) || !Finite(component.position)) std::abort();
        for (const auto& pad : component.pads) {
            if (pad.padStyle < 0 || pad.padStyle >= static_cast<int>(design.padStyles.size()))
                std::abort();
            if (!Fits(pad.number, 32) || !Finite(pad.position) || !std::isfinite(pad.rotation))
                std::abort();
        }
        for (const auto& attribute : component.attributes) {
            if (attribute.textStyle < -1 ||
                attribute.textStyle >= static_cast<int>(design.textStyles.size()) ||
                !Fits(attribute.name, 64) || attribute.value.size() >= 1024)
                std::abort();
        }
        for (const auto& s : component.outline)
            if (!Finite(s.a) || !Finite(s.b)) std::abort();
    }
    for (const auto& style : design.padStyles) {
        if (style.name.empty() || !Fits(style.name, 100) || style.holeDiameter < 0) std::abort();
    }
    for (const auto& style : design.textStyles)
        if (style.name.empty() || !Fits(style.name, 100)) std::abort();
    for (const auto& s : design.boardOutline)
        if (!Finite(s.a) || !Finite(s.b)) std::abort();
    return 0;
}
