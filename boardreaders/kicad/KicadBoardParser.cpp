// SPDX-License-Identifier: GPL-3.0-or-later
#include "KicadBoardParser.h"

#include "GraphicShape.h"
#include "KicadFootprintParser.h"

namespace boards::kicad {

using Item = SexprTokenizer::Item;

void KicadBoardParser::Parse() {
    if (tok_.AtEndOfInput()) throw SexprError(0, "not a KiCad board file: the file is empty");
    try {
        if (!tok_.NextTopLevelList() || tok_.Head() != "kicad_pcb") throw SexprError(0, "");
    } catch (const SexprError&) {
        throw SexprError(tok_.TokenOffset(), "not a KiCad board file");
    }

    const Placement board;
    for (;;) {
        const Item item = tok_.NextItem();
        if (item == Item::ListEnd) break;
        if (item == Item::Atom) continue;
        const std::string_view head = tok_.Head();
        GraphicShape::Kind kind;
        if (head == "footprint" || head == "module") {
            KicadFootprintParser footprint(tok_, padStyles_, textStyles_);
            design_.components.push_back(footprint.Read());
        } else if (head.starts_with("gr_") && GraphicKindOf(head, kind)) {
            const GraphicShape shape = ReadGraphicShape(tok_, kind);
            if (shape.layer == "Edge.Cuts") AppendSegments(shape, board, design_.boardOutline);
        } else {
            tok_.SkipList();
        }
    }
    if (!tok_.AtEndOfInput()) tok_.Fail("unexpected text after the end of the board");
    design_.hasGeometry = true;
}

}  // namespace boards::kicad
