// SPDX-License-Identifier: GPL-3.0-or-later
// Reads KiCad board files (.kicad_pcb, KiCad 4 to 9) into the design that pcbhost serves.
#pragma once

#include <string>
#include <string_view>

#include "pcbhost/Design.h"
#include "pcbhost/ReadError.h"

namespace pcbhost {

// Reads the board file at `path`. On failure `out` is left untouched and `error` says where and
// why.
bool ReadKicadBoard(const std::string& path, Design& out, ReadError& error);

// Parses board-file bytes; `fileName` is only used in errors.
bool ParseKicadBoard(std::string_view bytes, const std::string& fileName, Design& out,
                     ReadError& error);

}  // namespace pcbhost
