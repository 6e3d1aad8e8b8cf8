// SPDX-License-Identifier: GPL-3.0-or-later
#include "AfxListEntries.h"

std::uint64_t AfxListEntries::SortKey(const CString& text) {
    std::uint64_t key = 0;
    const char* p = text.GetString();
    for (int i = 0; i < 8; ++i) {
        key = key << 8 | AfxFoldAscii(static_cast<unsigned char>(*p));
        if (*p != '\0') ++p;
    }
    return key;
}

void AfxListEntries::RenumberFrom(std::size_t block) {
    starts_.resize(blocks_.size());
    std::size_t start = block == 0 ? 0 : starts_[block - 1] + blocks_[block - 1].size();
    for (std::size_t b = block; b < blocks_.size(); ++b) {
        starts_[b] = start;
        start += blocks_[b].size();
    }
}

void AfxListEntries::insert(std::size_t index, const CString& text) {
    if (blocks_.empty()) {
        blocks_.emplace_back().reserve(kBlockEntries);
        starts_.push_back(0);
    }
    // At the end, the last block takes it; elsewhere, the block holding that index.
    const std::size_t block = index == size_ ? blocks_.size() - 1 : BlockOf(index);
    std::uint32_t slot;
    if (freeSlots_.empty()) {
        slot = static_cast<std::uint32_t>(texts_.size());
        texts_.push_back(text);
        keys_.push_back(SortKey(text));
    } else {
        slot = freeSlots_.back();
        texts_[slot] = text;
        keys_[slot] = SortKey(text);
        freeSlots_.pop_back();
    }
    std::vector<std::uint32_t>& entries = blocks_[block];
    entries.insert(entries.begin() + static_cast<std::ptrdiff_t>(index - starts_[block]), slot);
    ++size_;
    if (entries.size() >= 2 * kBlockEntries) {
        const auto middle = entries.begin() + static_cast<std::ptrdiff_t>(kBlockEntries);
        std::vector<std::uint32_t> upper;
        upper.reserve(kBlockEntries);
        upper.assign(middle, entries.end());
        entries.erase(middle, entries.end());
        blocks_.insert(blocks_.begin() + static_cast<std::ptrdiff_t>(block) + 1, std::move(upper));
    }
    RenumberFrom(block + 1);
}

void AfxListEntries::erase(std::size_t index) {
    const std::size_t block = BlockOf(index);
    std::vector<std::uint32_t>& entries = blocks_[block];
    const auto position = entries.begin() + static_cast<std::ptrdiff_t>(index - starts_[block]);
    texts_[*position] = CString();
    freeSlots_.push_back(*position);
    entries.erase(position);
    --size_;
    if (entries.empty()) blocks_.erase(blocks_.begin() + static_cast<std::ptrdiff_t>(block));
    RenumberFrom(block);
}

void AfxListEntries::clear() {
    texts_ = {};
    keys_ = {};
    freeSlots_ = {};
    blocks_ = {};
    starts_ = {};
    size_ = 0;
}
