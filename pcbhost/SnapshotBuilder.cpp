// SPDX-License-Identifier: GPL-3.0-or-later
#include "SnapshotBuilder.h"

#include <malloc.h>

#include "DbxProtocol.h"

namespace pcbhost {
namespace {

int32_t CheckedIndex(int index, std::size_t count) {
    return index >= 0 && std::size_t(index) < count ? index : -1;
}

}  // namespace

std::vector<uint8_t> SnapshotBuilder::Build(const Design& design, uint32_t generation) {
    std::vector<uint8_t> snapshot = Encode(design, generation);
    // The writer's arrays were as large as the snapshot: give their pages back to the system.
    malloc_trim(0);
    return snapshot;
}

std::vector<uint8_t> SnapshotBuilder::Encode(const Design& design, uint32_t generation) {
    dbx::SnapshotWriter writer;
    std::size_t pads = 0, attributes = 0;
    for (const auto& component : design.components) {
        pads += component.pads.size();
        attributes += component.attributes.size();
    }
    writer.Reserve(design.components.size(), pads, attributes);
    for (const auto& style : design.padStyles) writer.AddPadStyle(style.name, style.holeDiameter);
    for (const auto& style : design.textStyles) writer.AddTextStyle(style.name);
    for (const auto& component : design.components) {
        writer.BeginComponent(component.refDes);
        for (const auto& pad : component.pads)
            writer.AddPad(pad.number, CheckedIndex(pad.padStyle, design.padStyles.size()));
        for (const auto& a : component.attributes)
            writer.AddAttribute(a.name, a.value,
                                CheckedIndex(a.textStyle, design.textStyles.size()));
    }
    return writer.Finish(generation);
}

}  // namespace pcbhost
