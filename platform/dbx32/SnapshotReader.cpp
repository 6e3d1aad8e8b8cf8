// SPDX-License-Identifier: LGPL-3.0-or-later
#include "SnapshotReader.h"

#include "DbxProtocol.h"

namespace dbx {
namespace {

class Cursor {
  public:
    Cursor(const uint8_t* p, uint32_t stringBytes) : p_(p), stringBytes_(stringBytes) {}
    uint32_t U32() {
        const uint32_t v = GetU32(p_);
        p_ += 4;
        return v;
    }
    bool Text(TextRef* ref) {
        ref->offset = U32();
        ref->length = U32();
        return uint64_t(ref->offset) + ref->length <= stringBytes_;
    }
    bool StyleIndex(int32_t* index, std::size_t count) {
        *index = int32_t(U32());
        return *index == -1 || (*index >= 0 && std::size_t(*index) < count);
    }

  private:
    const uint8_t* p_;
    uint32_t stringBytes_;
};

}  // namespace

std::optional<Snapshot> Snapshot::Decode(std::vector<uint8_t> bytes, std::string* error) {
    auto fail = [error](const char* why) {
        *error = why;
        return std::nullopt;
    };
    if (bytes.size() < kSnapshotHeaderBytes) return fail("snapshot shorter than its header");
    const uint8_t* p = bytes.data();
    uint32_t h[9];
    for (int i = 0; i < 9; ++i) h[i] = GetU32(p + 4 * i);
    if (h[0] != kSnapshotMagic) return fail("bad snapshot magic");
    if (h[1] != kSnapshotFormat) return fail("unsupported snapshot format");
    const uint32_t padStyleCount = h[3], textStyleCount = h[4], componentCount = h[5],
                   padCount = h[6], attributeCount = h[7], stringBytes = h[8];
    const uint64_t expected = kSnapshotHeaderBytes + uint64_t(padStyleCount) * 12 +
                              uint64_t(textStyleCount) * 8 + uint64_t(componentCount) * 16 +
                              uint64_t(padCount) * 12 + uint64_t(attributeCount) * 20 + stringBytes;
    if (expected != bytes.size()) return fail("snapshot size does not match its counts");

    Snapshot s;
    s.generation_ = h[2];
    s.stringsOffset_ = bytes.size() - stringBytes;
    Cursor in(p + kSnapshotHeaderBytes, stringBytes);

    s.padStyles.resize(padStyleCount);
    for (auto& style : s.padStyles) {
        if (!in.Text(&style.name)) return fail("pad-style name outside the string table");
        style.holeDiameter = int32_t(in.U32());
    }
    s.textStyles.resize(textStyleCount);
    for (auto& style : s.textStyles)
        if (!in.Text(&style)) return fail("text-style name outside the string table");
    s.components.resize(componentCount);
    uint64_t pads = 0, attributes = 0;
    for (auto& c : s.components) {
        if (!in.Text(&c.refDes)) return fail("refdes outside the string table");
        c.padCount = in.U32();
        c.attributeCount = in.U32();
        c.firstPad = uint32_t(pads);
        c.firstAttribute = uint32_t(attributes);
        pads += c.padCount;
        attributes += c.attributeCount;
        if (pads > padCount || attributes > attributeCount)
            return fail("component counts exceed the pad or attribute count");
    }
    if (pads != padCount || attributes != attributeCount)
        return fail("component counts do not add up to the pad or attribute count");
    // Pads and attributes stay in the bytes: checked here, read in place by the walks.
    const uint8_t* padBytes = p + kSnapshotHeaderBytes + uint64_t(padStyleCount) * 12 +
                              uint64_t(textStyleCount) * 8 + uint64_t(componentCount) * 16;
    for (uint32_t i = 0; i < padCount; ++i) {
        Cursor pad(padBytes + std::size_t(i) * SnapshotPad::kBytes, stringBytes);
        TextRef number;
        int32_t style;
        if (!pad.Text(&number)) return fail("pad number outside the string table");
        if (!pad.StyleIndex(&style, padStyleCount)) return fail("pad-style index out of range");
    }
    const uint8_t* attributeBytes = padBytes + uint64_t(padCount) * SnapshotPad::kBytes;
    for (uint32_t i = 0; i < attributeCount; ++i) {
        Cursor attribute(attributeBytes + std::size_t(i) * SnapshotAttribute::kBytes, stringBytes);
        TextRef name, value;
        int32_t style;
        if (!attribute.Text(&name) || !attribute.Text(&value))
            return fail("attribute text outside the string table");
        if (!attribute.StyleIndex(&style, textStyleCount))
            return fail("text-style index out of range");
    }
    // A vector's buffer moves with it, so the views stay valid in the snapshot returned.
    s.pads.base_ = padBytes;
    s.pads.count_ = padCount;
    s.attributes.base_ = attributeBytes;
    s.attributes.count_ = attributeCount;
    s.bytes_ = std::move(bytes);
    return s;
}

}  // namespace dbx
