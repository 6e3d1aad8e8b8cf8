// SPDX-License-Identifier: LGPL-3.0-or-later
// A decoded design snapshot: arrays indexed in O(1), texts viewed in the string table.
// Decoding checks every count, offset and index against the bytes received.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "LittleEndian.h"

namespace dbx {

struct TextRef {
    uint32_t offset = 0;
    uint32_t length = 0;
    static constexpr std::size_t kBytes = 8;
    static TextRef Read(const uint8_t* p) { return {GetU32(p), GetU32(p + 4)}; }
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
    static constexpr std::size_t kBytes = 12;
    static SnapshotPad Read(const uint8_t* p) { return {TextRef::Read(p), int32_t(GetU32(p + 8))}; }
};

struct SnapshotAttribute {
    TextRef name, value;
    int32_t textStyle = -1;
    static constexpr std::size_t kBytes = 20;
    static SnapshotAttribute Read(const uint8_t* p) {
        return {TextRef::Read(p), TextRef::Read(p + 8), int32_t(GetU32(p + 16))};
    }
};

// Records read where they lie in the received bytes, once those have been checked: the
// largest arrays of a design are never copied.
template <class Record>
class RecordView {
  public:
    class Iterator {
      public:
        using value_type = Record;
        using difference_type = std::ptrdiff_t;
        Record operator*() const { return Record::Read(p_); }
        Iterator& operator++() {
            p_ += Record::kBytes;
            return *this;
        }
        Iterator operator++(int) {
            Iterator before = *this;
            ++*this;
            return before;
        }
        bool operator==(const Iterator&) const = default;

      private:
        friend class RecordView;
        explicit Iterator(const uint8_t* p) : p_(p) {}
        const uint8_t* p_ = nullptr;
    };

    std::size_t size() const { return count_; }
    bool empty() const { return count_ == 0; }
    Record operator[](std::size_t index) const {
        return Record::Read(base_ + index * Record::kBytes);
    }
    Record at(std::size_t index) const {
        if (index >= count_) throw std::out_of_range("snapshot record index");
        return (*this)[index];
    }
    Iterator begin() const { return Iterator(base_); }
    Iterator end() const { return Iterator(base_ + count_ * Record::kBytes); }

  private:
    friend class Snapshot;
    const uint8_t* base_ = nullptr;
    std::size_t count_ = 0;
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
    RecordView<SnapshotPad> pads;
    RecordView<SnapshotAttribute> attributes;

    Snapshot() = default;
    // The views point into the bytes, which a move hands over and a copy would not.
    Snapshot(Snapshot&&) noexcept = default;
    Snapshot& operator=(Snapshot&&) noexcept = default;
    Snapshot(const Snapshot&) = delete;
    Snapshot& operator=(const Snapshot&) = delete;

    // The bytes, for reuse; the snapshot is left empty.
    std::vector<uint8_t> ReleaseBytes() && {
        pads = {};
        attributes = {};
        return std::move(bytes_);
    }

  private:
    uint32_t generation_ = 0;
    std::size_t stringsOffset_ = 0;
    std::vector<uint8_t> bytes_;
};

}  // namespace dbx
