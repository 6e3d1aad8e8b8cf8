// SPDX-License-Identifier: GPL-3.0-or-later
// The exact texts of a list box's entries, each with the number of entries holding it, kept
// beside the entries so that "is this text listed" is answered without reading them. A text
// counts up to its first zero byte, as the C string functions compare it.
//
// An open-addressed table (linear probing, at most half full, deletion by shifting back), so a
// lookup hashes the text once and usually reads one slot: finders ask once for every pad.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "CString.h"

class AfxListIndex {
  public:
    void Insert(const CString& entry);
    void Erase(const CString& entry);
    void Clear();
    bool Contains(const char* text) const;
    bool Contains(std::string_view text) const;

  private:
    struct Slot {
        std::uint64_t hash = 0;
        int count = 0;  // 0: empty
        std::string text;
    };

    static std::uint64_t Hash(std::string_view text);
    // The slot holding the text, or the empty slot where it would go.
    std::size_t Find(std::string_view text, std::uint64_t hash) const;
    void Grow();

    std::vector<Slot> slots_;  // a power of two in size, or empty
    std::size_t used_ = 0;
};
