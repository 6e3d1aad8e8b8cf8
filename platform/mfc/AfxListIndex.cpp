// SPDX-License-Identifier: GPL-3.0-or-later
#include "AfxListIndex.h"

#include <cstring>
#include <utility>

namespace {

std::string_view Key(const char* text) {
    return text != nullptr ? std::string_view(text) : std::string_view();
}

constexpr std::uint64_t kMultiplier = 0x9E3779B97F4A7C15ull;

std::uint64_t Mix(std::uint64_t h) {
    h ^= h >> 32;
    h *= 0xD6E8FEB86659FD93ull;
    h ^= h >> 32;
    return h;
}

}  // namespace

std::uint64_t AfxListIndex::Hash(std::string_view text) {
    // Eight bytes at a time; list entries are mostly short.
    std::uint64_t h = text.size() * kMultiplier;
    const char* p = text.data();
    std::size_t left = text.size();
    for (; left >= 8; p += 8, left -= 8) {
        std::uint64_t word;
        std::memcpy(&word, p, 8);
        h = (h ^ word) * kMultiplier;
        h ^= h >> 29;
    }
    if (left > 0) {
        std::uint64_t word = 0;
        std::memcpy(&word, p, left);
        h = (h ^ word) * kMultiplier;
    }
    return Mix(h);
}

std::size_t AfxListIndex::Find(std::string_view text, std::uint64_t hash) const {
    const std::size_t mask = slots_.size() - 1;
    for (std::size_t i = hash & mask;; i = (i + 1) & mask) {
        const Slot& slot = slots_[i];
        if (slot.count == 0 || (slot.hash == hash && slot.text == text)) return i;
    }
}

void AfxListIndex::Grow() {
    std::vector<Slot> old(slots_.empty() ? 16 : slots_.size() * 2);
    old.swap(slots_);
    for (Slot& slot : old) {
        if (slot.count == 0) continue;
        slots_[Find(slot.text, slot.hash)] = std::move(slot);
    }
}

void AfxListIndex::Insert(const CString& entry) {
    if (2 * (used_ + 1) > slots_.size()) Grow();
    const std::string_view key = Key(entry.GetString());
    const std::uint64_t hash = Hash(key);
    Slot& slot = slots_[Find(key, hash)];
    if (slot.count == 0) {
        slot.hash = hash;
        slot.text.assign(key);
        ++used_;
    }
    ++slot.count;
}

void AfxListIndex::Erase(const CString& entry) {
    if (slots_.empty()) return;
    const std::string_view key = Key(entry.GetString());
    std::size_t hole = Find(key, Hash(key));
    if (slots_[hole].count == 0 || --slots_[hole].count > 0) return;
    // Shift back every later entry of the run that may move into the freed slot, so that a
    // lookup can stop at the first empty slot.
    const std::size_t mask = slots_.size() - 1;
    for (std::size_t i = (hole + 1) & mask; slots_[i].count != 0; i = (i + 1) & mask) {
        const std::size_t home = slots_[i].hash & mask;
        // Movable unless its home lies cyclically in (hole, i].
        const bool homeAfterHole =
            hole <= i ? (home > hole && home <= i) : (home > hole || home <= i);
        if (homeAfterHole) continue;
        slots_[hole] = std::move(slots_[i]);
        hole = i;
    }
    slots_[hole] = Slot{};
    --used_;
}

void AfxListIndex::Clear() {
    // A list is often filled again to about its old size: a table of moderate size is kept,
    // emptied, so that refilling does not grow it step by step again; a large one is given
    // back, as a list reset gives back its entries.
    constexpr std::size_t kKeptSlots = std::size_t(1) << 16;
    if (slots_.size() > kKeptSlots) {
        slots_ = {};
    } else if (used_ > 0) {
        for (Slot& slot : slots_) slot = Slot{};
    }
    used_ = 0;
}

bool AfxListIndex::Contains(const char* text) const {
    return Contains(Key(text));
}

bool AfxListIndex::Contains(std::string_view text) const {
    if (used_ == 0) return false;
    return slots_[Find(text, Hash(text))].count != 0;
}
