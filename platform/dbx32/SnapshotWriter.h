// SPDX-License-Identifier: LGPL-3.0-or-later
// Encodes a design snapshot: the compact, little-endian form that the design tool sends.
//
// Layout: header (9 x u32: magic 'DBXS', format version, generation, pad-style count,
// text-style count, component count, pad count, attribute count, string-table bytes), then the
// arrays, then the string table. A text is a (u32 offset, u32 length) pair into the string table.
//   pad style:  name, i32 hole diameter                       (12 bytes)
//   text style: name                                          (8 bytes)
//   component:  refdes, u32 pad count, u32 attribute count    (16 bytes)
//   pad:        number, i32 pad-style index or -1             (12 bytes)
//   attribute:  name, value, i32 text-style index or -1       (20 bytes)
// Pads and attributes are stored component after component, in walk order.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace dbx {

constexpr uint32_t kSnapshotMagic = 0x53584244;  // "DBXS"
constexpr uint32_t kSnapshotFormat = 1;
constexpr std::size_t kSnapshotHeaderBytes = 9 * 4;

class SnapshotWriter {
  public:
    // Makes room for a design of these counts, so that the arrays grow only once.
    void Reserve(std::size_t components, std::size_t pads, std::size_t attributes);
    void AddPadStyle(std::string_view name, int32_t holeDiameter);
    void AddTextStyle(std::string_view name);
    // Pads and attributes added after this belong to this component.
    void BeginComponent(std::string_view refDes);
    void AddPad(std::string_view number, int32_t padStyle);
    void AddAttribute(std::string_view name, std::string_view value, int32_t textStyle);

    std::vector<uint8_t> Finish(uint32_t generation) const;

  private:
    void PutText(std::vector<uint8_t>& out, std::string_view text);

    uint32_t padStyleCount_ = 0, textStyleCount_ = 0, componentCount_ = 0;
    uint32_t padCount_ = 0, attributeCount_ = 0;
    std::vector<uint8_t> padStyles_, textStyles_, components_, pads_, attributes_;
    std::vector<uint32_t> componentPadCounts_, componentAttributeCounts_;
    std::string strings_;
    std::unordered_map<std::string, uint32_t> stringOffsets_;
};

}  // namespace dbx
