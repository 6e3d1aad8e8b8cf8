// SPDX-License-Identifier: GPL-3.0-or-later
// Reads Eagle boards (.brd, the XML of Eagle 6 to 9 and Fusion 360 Electronics) into the board
// readers' design model, streaming: the document is never held whole, only what the design
// needs. Files that only look like Eagle boards are refused with what they are.
#pragma once

#include <string>
#include <string_view>

#include "boardreaders/Design.h"
#include "boardreaders/ReadError.h"

namespace boards {

// Reads the file at `path`. On failure `out` is left untouched and `error` says where and why.
bool ReadEagleBoard(const std::string& path, Design& out, ReadError& error);

// Parses bytes already in memory; `fileName` is only used in errors.
bool ParseEagleBoard(std::string_view bytes, const std::string& fileName, Design& out,
                     ReadError& error);

// Whether the start of a file opens an Eagle XML document (root element <eagle>).
bool StartsEagleDocument(std::string_view head);

// Why a file that starts with `head` is no Eagle XML at all (an Eagle file from before
// version 6, an old KiCad board, a web page, a merge conflict), or empty.
std::string NotEagleReason(std::string_view head);

}  // namespace boards
