// SPDX-License-Identifier: GPL-3.0-or-later
// PcbDoc PCB documents (.PcbDoc, binary): file and memory entry points.
#pragma once

#include <string>
#include <string_view>

#include "boardreaders/Design.h"
#include "boardreaders/ReadError.h"

namespace boards {

// Whether `head` starts as an OLE compound file does.
bool StartsCompoundFile(std::string_view head);
// Reads the .PcbDoc at `path`; on failure `out` is untouched and `error` says why.
bool ReadPcbDocBoard(const std::string& path, Design& out, ReadError& error);
// Reads a .PcbDoc already in memory; `fileName` names it in errors.
bool ParsePcbDocBoard(std::string_view bytes, const std::string& fileName, Design& out,
                      ReadError& error);

}  // namespace boards
