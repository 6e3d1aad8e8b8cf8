// SPDX-License-Identifier: GPL-3.0-or-later
// Reads the bytes of a board file, in one pass, into a design.
#pragma once

#include <string_view>

#include "PadStyleNamer.h"
#include "SexprTokenizer.h"
#include "TextStyleNamer.h"
#include "boardreaders/Design.h"

namespace boards::kicad {

class KicadBoardParser {
  public:
    KicadBoardParser(std::string_view bytes, Design& design)
        : tok_(bytes), design_(design), padStyles_(design), textStyles_(design) {}

    // Fills the design; throws SexprError on a malformed file.
    void Parse();

    const SexprTokenizer& tokenizer() const { return tok_; }

  private:
    SexprTokenizer tok_;
    Design& design_;
    PadStyleNamer padStyles_;
    TextStyleNamer textStyles_;
};

}  // namespace boards::kicad
