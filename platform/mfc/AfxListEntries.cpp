// SPDX-License-Identifier: GPL-3.0-or-later
#include "AfxListEntries.h"

#include <iterator>

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
    std::vector<CString>& entries = blocks_[block];
    entries.insert(entries.begin() + static_cast<std::ptrdiff_t>(index - starts_[block]), text);
    ++size_;
    if (entries.size() >= 2 * kBlockEntries) {
        std::vector<CString> upper;
        upper.reserve(kBlockEntries);
        const auto middle = entries.begin() + static_cast<std::ptrdiff_t>(kBlockEntries);
        upper.assign(std::make_move_iterator(middle), std::make_move_iterator(entries.end()));
        entries.erase(middle, entries.end());
        blocks_.insert(blocks_.begin() + static_cast<std::ptrdiff_t>(block) + 1, std::move(upper));
    }
    RenumberFrom(block + 1);
}

void AfxListEntries::erase(std::size_t index) {
    const std::size_t block = BlockOf(index);
    std::vector<CString>& entries = blocks_[block];
    entries.erase(entries.begin() + static_cast<std::ptrdiff_t>(index - starts_[block]));
    --size_;
    if (entries.empty()) blocks_.erase(blocks_.begin() + static_cast<std::ptrdiff_t>(block));
    RenumberFrom(block);
}

void AfxListEntries::clear() {
    blocks_ = {};
    starts_ = {};
    size_ = 0;
}
