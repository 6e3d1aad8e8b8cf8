// SPDX-License-Identifier: LGPL-3.0-or-later
#include "SnapshotWriter.h"

#include <stdexcept>

#include "DbxProtocol.h"

namespace dbx {

void SnapshotWriter::PutText(std::vector<uint8_t>& out, std::string_view text) {
    auto [it, added] = stringOffsets_.try_emplace(std::string(text), uint32_t(strings_.size()));
    if (added) {
        if (strings_.size() + text.size() > UINT32_MAX) throw std::length_error("string table");
        strings_.append(text);
    }
    PutU32(out, it->second);
    PutU32(out, uint32_t(text.size()));
}

void SnapshotWriter::Reserve(std::size_t components, std::size_t pads, std::size_t attributes) {
    components_.reserve(components * 8);
    componentPadCounts_.reserve(components);
    componentAttributeCounts_.reserve(components);
    pads_.reserve(pads * 12);
    attributes_.reserve(attributes * 20);
}

void SnapshotWriter::AddPadStyle(std::string_view name, int32_t holeDiameter) {
    PutText(padStyles_, name);
    PutU32(padStyles_, uint32_t(holeDiameter));
    ++padStyleCount_;
}

void SnapshotWriter::AddTextStyle(std::string_view name) {
    PutText(textStyles_, name);
    ++textStyleCount_;
}

void SnapshotWriter::BeginComponent(std::string_view refDes) {
    PutText(components_, refDes);
    componentPadCounts_.push_back(0);
    componentAttributeCounts_.push_back(0);
    ++componentCount_;
}

void SnapshotWriter::AddPad(std::string_view number, int32_t padStyle) {
    if (componentCount_ == 0) throw std::logic_error("pad before any component");
    PutText(pads_, number);
    PutU32(pads_, uint32_t(padStyle));
    ++componentPadCounts_.back();
    ++padCount_;
}

void SnapshotWriter::AddAttribute(std::string_view name, std::string_view value,
                                  int32_t textStyle) {
    if (componentCount_ == 0) throw std::logic_error("attribute before any component");
    PutText(attributes_, name);
    PutText(attributes_, value);
    PutU32(attributes_, uint32_t(textStyle));
    ++componentAttributeCounts_.back();
    ++attributeCount_;
}

std::vector<uint8_t> SnapshotWriter::Finish(uint32_t generation) const {
    std::vector<uint8_t> out;
    out.reserve(kSnapshotHeaderBytes + padStyles_.size() + textStyles_.size() + components_.size() +
                pads_.size() + attributes_.size() + strings_.size());
    for (uint32_t v : {kSnapshotMagic, kSnapshotFormat, generation, padStyleCount_, textStyleCount_,
                       componentCount_, padCount_, attributeCount_, uint32_t(strings_.size())})
        PutU32(out, v);
    out.insert(out.end(), padStyles_.begin(), padStyles_.end());
    out.insert(out.end(), textStyles_.begin(), textStyles_.end());
    // Component entries: refdes text (8 bytes, already written), then the two counts.
    for (uint32_t i = 0; i < componentCount_; ++i) {
        out.insert(out.end(), components_.begin() + i * 8, components_.begin() + i * 8 + 8);
        PutU32(out, componentPadCounts_[i]);
        PutU32(out, componentAttributeCounts_[i]);
    }
    out.insert(out.end(), pads_.begin(), pads_.end());
    out.insert(out.end(), attributes_.begin(), attributes_.end());
    out.insert(out.end(), strings_.begin(), strings_.end());
    return out;
}

}  // namespace dbx
