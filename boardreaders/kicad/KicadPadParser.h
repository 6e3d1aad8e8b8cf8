// SPDX-License-Identifier: GPL-3.0-or-later
// Reads one `(pad ...)` list of a footprint.
#pragma once

#include <cstdint>

#include "SexprTokenizer.h"
#include "boardreaders/Design.h"

namespace boards::kicad {

struct ParsedPad {
    Pad pad;                // position in footprint coordinates until the footprint places it
    PadGeometry geometry;   // only the parameters that its shape uses
    uint64_t extraKey = 0;  // custom primitives and per-layer shapes; 0: none
};

class KicadPadParser {
  public:
    explicit KicadPadParser(SexprTokenizer& tok) : tok_(tok) {}

    // Reads the rest of a pad list, after its head.
    ParsedPad Read();

  private:
    void ReadDrill(PadGeometry& g, bool& ovalDrill);
    void ReadLayers(Pad& pad);
    void ReadChamferCorners(PadGeometry& g);
    uint64_t ReadPrimitives(PadGeometry& g);
    uint64_t ReadOptions();

    SexprTokenizer& tok_;
};

}  // namespace boards::kicad
