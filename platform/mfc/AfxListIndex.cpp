// SPDX-License-Identifier: GPL-3.0-or-later
#include "AfxListIndex.h"

namespace {

std::string_view Key(const char* text) {
    return text != nullptr ? std::string_view(text) : std::string_view();
}

}  // namespace

void AfxListIndex::Insert(const CString& entry) {
    const std::string_view key = Key(entry.GetString());
    const auto it = counts_.find(key);
    if (it != counts_.end()) {
        ++it->second;
    } else {
        counts_.emplace(std::string(key), 1);
    }
}

void AfxListIndex::Erase(const CString& entry) {
    const auto it = counts_.find(Key(entry.GetString()));
    if (it == counts_.end()) return;
    if (--it->second == 0) counts_.erase(it);
}

void AfxListIndex::Clear() {
    counts_ = {};  // gives the table's memory back, as a list reset does
}

bool AfxListIndex::Contains(const char* text) const {
    return Contains(Key(text));
}

bool AfxListIndex::Contains(std::string_view text) const {
    return counts_.find(text) != counts_.end();
}
