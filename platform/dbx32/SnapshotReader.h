// SPDX-License-Identifier: LGPL-3.0-or-later
// A decoded design snapshot: flat arrays indexed in O(1), texts viewed in the string table.
// Decoding checks every count, offset and index against the bytes received.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace dbx {

struct TextRef {
    uint32_t offset = 0;
    uint32_t length = 0;
};

struct SnapshotPadStyle {
    TextRef name;
    int32_t holeDiameter = 0;
};

struct SnapshotComponent {
    TextRef refDes;
    uint32_t firstPad = 0, padCount = 0;
    uint32_t firstAttribute = 0, attributeCount = 0;
};

struct SnapshotPad {
    TextRef number;
    int32_t padStyle = -1;
};

struct SnapshotAttribute {
    TextRef name, value;
    int32_t textStyle = -1;
};

class Snapshot {
  public:
    // Nullopt, with the reason in *error, unless the bytes are a well-formed snapshot.
    static std::optional<Snapshot> Decode(std::vector<uint8_t> bytes, std::string* error);

    uint32_t generation() const { return generation_; }
    std::string_view Text(TextRef ref) const {
        return {reinterpret_cast<const char*>(bytes_.data()) + stringsOffset_ + ref.offset,
                ref.length};
    }

    std::vector<SnapshotPadStyle> padStyles;
    std::vector<TextRef> textStyles;
    std::vector<SnapshotComponent> components;
    std::vector<SnapshotPad> pads;
    std::vector<SnapshotAttribute> attributes;

  private:
    uint32_t generation_ = 0;
    std::size_t stringsOffset_ = 0;
    std::vector<uint8_t> bytes_;
};

}  // namespace dbx
