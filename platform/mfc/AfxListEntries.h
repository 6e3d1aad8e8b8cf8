// SPDX-License-Identifier: GPL-3.0-or-later
// The entries of a list box, in order. The texts stay where they were first stored; the order is
// kept as their slot numbers in blocks of a few hundred, so that inserting or deleting anywhere
// moves at most a block's worth of small numbers, however long the list.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "CString.h"

class AfxListEntries {
  public:
    std::size_t size() const { return size_; }
    bool empty() const { return size_ == 0; }
    // index < size().
    const CString& operator[](std::size_t index) const {
        const std::size_t block = BlockOf(index);
        return texts_[blocks_[block][index - starts_[block]]];
    }
    // index <= size().
    void insert(std::size_t index, const CString& text);
    // index < size().
    void erase(std::size_t index);
    void clear();

    // The first index whose entry sorts after text (size() when none), bisecting the whole
    // list as a binary search over one array would. `less` orders texts by their bytes with
    // ASCII letters folded to lower case first, as SortKey does for the first eight bytes, so
    // most probes are decided by the keys without reading an entry's text.
    template <class Less>
    std::size_t upperBound(const CString& text, Less less) const {
        const std::uint64_t key = SortKey(text);
        // The probes close in on one place: once they fall in one block, they stay there
        // without looking the block up again.
        std::size_t block = 0, blockFirst = 0, blockEnd = 0;
        auto sortsBefore = [&](std::size_t index) {
            if (index < blockFirst || index >= blockEnd) {
                block = BlockOf(index);
                blockFirst = starts_[block];
                blockEnd = blockFirst + blocks_[block].size();
            }
            const std::uint32_t slot = blocks_[block][index - blockFirst];
            const std::uint64_t entryKey = keys_[slot];
            return key != entryKey ? key < entryKey : less(text, texts_[slot]);
        };
        std::size_t first = 0, count = size_;
        while (count > 0) {
            const std::size_t half = count / 2;
            if (!sortsBefore(first + half)) {
                first += half + 1;
                count -= half + 1;
            } else {
                count = half;
            }
        }
        return first;
    }

    // The first eight bytes of the text, up to its end, ASCII letters folded to lower case,
    // read as one big-endian number: keys in this order are texts in that order.
    static std::uint64_t SortKey(const CString& text);

  private:
    static constexpr std::size_t kBlockEntries = 256;

    std::size_t BlockOf(std::size_t index) const {
        return static_cast<std::size_t>(std::upper_bound(starts_.begin(), starts_.end(), index) -
                                        starts_.begin()) -
               1;
    }
    void RenumberFrom(std::size_t block);

    std::vector<CString> texts_;       // by slot; a freed slot is empty until reused
    std::vector<std::uint64_t> keys_;  // by slot: SortKey of its text
    std::vector<std::uint32_t> freeSlots_;
    std::vector<std::vector<std::uint32_t>> blocks_;  // slots in list order; none empty
    std::vector<std::size_t> starts_;                 // index of each block's first entry
    std::size_t size_ = 0;
};
