// SPDX-License-Identifier: GPL-3.0-or-later
// Feeds arbitrary bytes to the IPC-2581 reader: it must fail cleanly or give a design that the
// library can serve.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "boardreaders/ipc2581/Ipc2581Reader.h"

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
    if (!boards::ParseIpc2581Board(bytes, "fuzz.xml", design, error)) {
        if (error.reason.empty() || error.line < 1) std::abort();
        return 0;
    }
    for (const auto& component : design.components) {
        if (component.refDes.empty() || component.refDes.size() >= 64 ||
            HasControlCharacter(component.refDes))
            std::abort();
        for (const auto& pad : component.pads) {
            if (pad.padStyle < -1 || pad.padStyle >= static_cast<int>(design.padStyles.size()))
                std::abort();
            if (pad.number.size() >= 32) std::abort();
        }
        for (const auto& attribute : component.attributes) {
            if (attribute.textStyle != -1 || attribute.name.empty() ||
                attribute.name.size() >= 64 || HasControlCharacter(attribute.name) ||
                attribute.value.size() >= 1024)
                std::abort();
        }
    }
    for (const auto& style : design.padStyles) {
        if (style.name.empty() || style.name.size() >= 100 || HasControlCharacter(style.name) ||
            style.holeDiameter < 0)
            std::abort();
    }
    if (!design.textStyles.empty()) std::abort();
    return 0;
}
