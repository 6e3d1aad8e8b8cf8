// SPDX-License-Identifier: GPL-3.0-or-later
// Why a design file could not be read: where, and what was wrong.
#pragma once

#include <string>

namespace boards {

struct ReadError {
    std::string file;
    int line = 0;  // 1-based; 0 when the file could not be opened at all
    std::string reason;

    std::string ToString() const { return file + ":" + std::to_string(line) + ": " + reason; }
};

}  // namespace boards
