// SPDX-License-Identifier: GPL-3.0-or-later
// Feeds arbitrary bytes to the PcbDoc PCB document reader (the compound-file layer and the
// records under it): it must fail cleanly with a reason or give a design the library can serve.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "boardreaders/pcbdoc/PcbDocReader.h"

namespace {

bool HasControlCharacter(std::string_view text) {
    for (const char c : text)
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7f) return true;
    return false;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    boards::Design design;
    boards::ReadError error;
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    if (!boards::ParsePcbDocBoard(bytes, "fuzz.PcbDoc", design, error)) {
        if (error.reason.empty() || error.file != "fuzz.PcbDoc") std::abort();
        return 0;
    }
    for (const auto& component : design.components) {
        if (component.refDes.size() >= 64 || HasControlCharacter(component.refDes)) std::abort();
        for (const auto& pad : component.pads) {
            if (pad.padStyle < 0 || pad.padStyle >= static_cast<int>(design.padStyles.size()))
                std::abort();
            if (pad.number.size() >= 32 || HasControlCharacter(pad.number)) std::abort();
        }
        for (const auto& attribute : component.attributes) {
            if (attribute.textStyle < -1 ||
                attribute.textStyle >= static_cast<int>(design.textStyles.size()) ||
                attribute.name.empty() || attribute.name.size() >= 64 ||
                HasControlCharacter(attribute.name) || attribute.value.size() >= 1024 ||
                HasControlCharacter(attribute.value))
                std::abort();
        }
    }
    for (const auto& style : design.padStyles)
        if (style.name.empty() || style.name.size() >= 100 || HasControlCharacter(style.name) ||
            style.holeDiameter < 0)
            std::abort();
    for (const auto& style : design.textStyles)
        if (style.name.empty() || style.name.size() >= 100 || HasControlCharacter(style.name))
            std::abort();
    return 0;
}
