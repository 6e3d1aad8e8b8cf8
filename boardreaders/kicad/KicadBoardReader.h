// SPDX-License-Identifier: GPL-3.0-or-later
// Reads KiCad board files (.kicad_pcb, KiCad 4 to 9) into the board readers' design model.
#pragma once

#include <string>
#include <string_view>

#include "boardreaders/Design.h"
#include "boardreaders/ReadError.h"

namespace boards {

// Reads the board file at `path`. On failure `out` is left untouched and `error` says where and
// why.
bool ReadKicadBoard(const std::string& path, Design& out, ReadError& error);

// Parses board-file bytes; `fileName` is only used in errors.
bool ParseKicadBoard(std::string_view bytes, const std::string& fileName, Design& out,
                     ReadError& error);

}  // namespace boards
