// SPDX-License-Identifier: GPL-3.0-or-later
// The exact texts of a list box's entries, each with the number of entries holding it, kept
// beside the entries so that "is this text listed" is answered without reading them. A text
// counts up to its first zero byte, as the C string functions compare it.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <unordered_map>

#include "CString.h"

class AfxListIndex {
  public:
    void Insert(const CString& entry);
    void Erase(const CString& entry);
    void Clear();
    bool Contains(const char* text) const;
    bool Contains(std::string_view text) const;

  private:
    struct Hash {
        using is_transparent = void;
        std::size_t operator()(std::string_view text) const {
            return std::hash<std::string_view>{}(text);
        }
    };
    std::unordered_map<std::string, int, Hash, std::equal_to<>> counts_;
};
