// SPDX-License-Identifier: GPL-3.0-or-later
// Loads a design file, choosing the reader by extension: .json (the project's own format) or
// .kicad_pcb (a KiCad board, when pcbhost is built with the KiCad reader), .xml or .cvg (an
// IPC-2581 file, also recognised by its root element whatever the extension).
#pragma once

#include <string>

#include "Design.h"
#include "ReadError.h"

namespace pcbhost {

class DesignLoader {
  public:
    static bool Load(const std::string& path, Design& out, ReadError& error);
};

}  // namespace pcbhost
