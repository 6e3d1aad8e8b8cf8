// SPDX-License-Identifier: GPL-3.0-or-later
// Reads one `(footprint ...)` or `(module ...)` list into a component.
#pragma once

#include "PadStyleNamer.h"
#include "SexprTokenizer.h"
#include "TextStyleNamer.h"
#include "boardreaders/Design.h"

namespace boards::kicad {

class KicadFootprintParser {
  public:
    KicadFootprintParser(SexprTokenizer& tok, PadStyleNamer& padStyles, TextStyleNamer& textStyles)
        : tok_(tok), padStyles_(padStyles), textStyles_(textStyles) {}

    // Reads the rest of a footprint list, after its head.
    Component Read();

  private:
    // A Reference, Value or other field, with the position of its text when it has one.
    struct Field {
        Attribute attribute;
        Point position;
        bool present = false;
    };

    void ReadFpText(Field& reference, Field& value);
    void ReadProperty(Field& reference, Field& value, std::vector<Attribute>& others);
    // Reads a text's children after its value; true when it has any (it is then a shown text).
    bool ReadTextChildren(TextLook& look, Point& position);
    void ReadEffects(TextLook& look);
    void ReadFont(TextLook& look);
    std::string ReadLimitedString(size_t capacity, const char* what);
    // A limited string that must hold no control character.
    std::string ReadName(size_t capacity, const char* what);

    SexprTokenizer& tok_;
    PadStyleNamer& padStyles_;
    TextStyleNamer& textStyles_;
};

}  // namespace boards::kicad
