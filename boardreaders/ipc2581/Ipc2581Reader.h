// SPDX-License-Identifier: GPL-3.0-or-later
// Reads IPC-2581 files (revisions B and C, .xml or .cvg) into the board readers' design model,
// streaming: the document is never held whole, only what the design needs.
#pragma once

#include <string>
#include <string_view>

#include "boardreaders/Design.h"
#include "boardreaders/ReadError.h"

namespace boards {

// Reads the file at `path`. On failure `out` is left untouched and `error` says where and why.
bool ReadIpc2581Board(const std::string& path, Design& out, ReadError& error);

// Parses bytes already in memory; `fileName` is only used in errors.
bool ParseIpc2581Board(std::string_view bytes, const std::string& fileName, Design& out,
                       ReadError& error);

// Whether the start of a file opens an IPC-2581 document: its root element, after the XML
// declaration, comments and processing instructions, is IPC-2581 (with or without a prefix).
bool StartsIpc2581Document(std::string_view head);

}  // namespace boards
