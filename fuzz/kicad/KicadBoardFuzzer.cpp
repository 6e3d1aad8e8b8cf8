// SPDX-License-Identifier: GPL-3.0-or-later
// Feeds arbitrary bytes to the KiCad board reader: it must fail cleanly or give a consistent
// design.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "Dbx32.h"
#include "boardreaders/kicad/KicadBoardReader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    boards::Design design;
    boards::ReadError error;
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    if (!boards::ParseKicadBoard(bytes, "fuzz.kicad_pcb", design, error)) {
        if (error.reason.empty() || error.line < 1) std::abort();
        return 0;
    }
    for (const auto& component : design.components) {
        if (component.refDes.size() >= DBX_REFDES_SIZE) std::abort();
        for (const auto& pad : component.pads) {
            if (pad.padStyle < 0 || pad.padStyle >= static_cast<int>(design.padStyles.size())) {
                std::abort();
            }
        }
        for (const auto& attribute : component.attributes) {
            if (attribute.textStyle >= static_cast<int>(design.textStyles.size())) std::abort();
        }
    }
    for (const auto& style : design.padStyles) {
        if (style.name.empty() || style.name.size() >= DBX_PAD_STYLE_NAME_SIZE ||
            style.holeDiameter < 0)
            std::abort();
    }
    for (const auto& style : design.textStyles) {
        if (style.name.empty() || style.name.size() >= DBX_TEXT_STYLE_NAME_SIZE) std::abort();
    }
    return 0;
}
