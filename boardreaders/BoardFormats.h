// SPDX-License-Identifier: GPL-3.0-or-later
// The registry of board formats: finds the format of a file by its content, else by its suffix,
// and reads it. A file no format claims is refused with the list of the formats read here.
#pragma once

#include <string>
#include <vector>

#include "boardreaders/BoardFormat.h"

namespace boards {

class BoardFormats {
  public:
    // Every format, in the order they are asked whether a file is theirs.
    static const std::vector<const BoardFormat*>& All();
    // The format of the file or directory at `path`; null, with the reason, when none claims it
    // or the path cannot be read.
    static const BoardFormat* Find(const std::string& path, ReadError& error);
    // The format named `name` (as Name() says it), or null.
    static const BoardFormat* Named(std::string_view name);
    // Finds the format and reads the file with it.
    static bool Load(const std::string& path, Design& out, ReadError& error);
    // "JSON design (.json), KiCad board (.kicad_pcb), ...": for errors and help texts.
    static std::string Describe();
};

}  // namespace boards
