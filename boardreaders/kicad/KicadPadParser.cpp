// SPDX-License-Identifier: GPL-3.0-or-later
#include "KicadPadParser.h"

#include "BoardNumbers.h"
#include "Dbx32.h"
#include "GraphicShape.h"
#include "StyleName.h"

namespace boards::kicad {

namespace {

using Item = SexprTokenizer::Item;

constexpr size_t kPadNumberCapacity = DBX_PAD_NUMBER_SIZE;

bool PadTypeOf(std::string_view word, PadType& type) {
    if (word == "thru_hole")
        type = PadType::ThroughHole;
    else if (word == "smd")
        type = PadType::Smd;
    else if (word == "connect")
        type = PadType::Connect;
    else if (word == "np_thru_hole")
        type = PadType::NpThroughHole;
    else
        return false;
    return true;
}

bool PadShapeOf(std::string_view word, PadShape& shape) {
    if (word == "circle")
        shape = PadShape::Circle;
    else if (word == "rect")
        shape = PadShape::Rect;
    else if (word == "oval")
        shape = PadShape::Oval;
    else if (word == "trapezoid")
        shape = PadShape::Trapezoid;
    else if (word == "roundrect")
        shape = PadShape::RoundRect;
    else if (word == "chamfered_rect")
        shape = PadShape::ChamferedRect;
    else if (word == "custom")
        shape = PadShape::Custom;
    else
        return false;
    return true;
}

uint64_t HashPoint(uint64_t h, Point p) {
    h = HashCombine(h, static_cast<uint64_t>(Quantise(p.x)));
    return HashCombine(h, static_cast<uint64_t>(Quantise(p.y)));
}

uint64_t HashShape(uint64_t h, const GraphicShape& s) {
    h = HashCombine(h, static_cast<uint64_t>(s.kind));
    for (Point p : {s.start, s.end, s.mid, s.centre}) h = HashPoint(h, p);
    h = HashCombine(h, static_cast<uint64_t>(Quantise(s.angle)));
    h = HashCombine(h, static_cast<uint64_t>(Quantise(s.width)));
    for (Point p : s.points) h = HashPoint(h, p);
    return HashCombine(h, s.points.size());
}

}  // namespace

ParsedPad KicadPadParser::Read() {
    ParsedPad parsed;
    Pad& pad = parsed.pad;
    PadGeometry& g = parsed.geometry;

    if (tok_.NextItem() != Item::Atom) tok_.Fail("pad without a number");
    pad.number = tok_.AtomString();
    if (pad.number.size() >= kPadNumberCapacity) {
        tok_.Fail("pad number longer than " + std::to_string(kPadNumberCapacity - 1) + " bytes");
    }
    if (!PadTypeOf(tok_.ReadAtom(), g.type)) {
        tok_.Fail("unknown pad type '" + std::string(tok_.Atom().substr(0, 40)) + "'");
    }
    if (!PadShapeOf(tok_.ReadAtom(), g.shape)) {
        tok_.Fail("unknown pad shape '" + std::string(tok_.Atom().substr(0, 40)) + "'");
    }

    bool ovalDrill = false;
    uint64_t customKey = 0, anchorKey = 0, padstackKey = 0;
    while (tok_.NextChildList()) {
        const std::string_view head = tok_.Head();
        if (head == "at") {
            pad.position = ReadPlacement(tok_, pad.rotation);
        } else if (head == "size") {
            g.sizeX = ReadSize(tok_);
            g.sizeY = ReadSize(tok_);
            tok_.ExpectListEnd();
        } else if (head == "drill") {
            ReadDrill(g, ovalDrill);
        } else if (head == "layers") {
            ReadLayers(pad);
        } else if (head == "roundrect_rratio") {
            g.roundRectRatio = ReadRatio(tok_);
            tok_.ExpectListEnd();
        } else if (head == "chamfer_ratio") {
            g.chamferRatio = ReadRatio(tok_);
            tok_.ExpectListEnd();
        } else if (head == "chamfer") {
            ReadChamferCorners(g);
        } else if (head == "rect_delta") {
            g.deltaX = ReadCoordinate(tok_);
            g.deltaY = ReadCoordinate(tok_);
            tok_.ExpectListEnd();
        } else if (head == "options") {
            anchorKey = ReadOptions();
        } else if (head == "primitives") {
            customKey = ReadPrimitives(g);
        } else if (head == "padstack") {
            padstackKey = tok_.HashList(0x70616473ULL);
        } else {
            tok_.SkipList();
        }
    }

    // Keep only what the shape uses, so that the style key is the geometry.
    if ((g.shape == PadShape::Rect || g.shape == PadShape::RoundRect) && g.chamferCorners != 0) {
        g.shape = PadShape::ChamferedRect;
    }
    if (g.shape != PadShape::RoundRect && g.shape != PadShape::ChamferedRect) g.roundRectRatio = 0;
    if (g.shape != PadShape::ChamferedRect) {
        g.chamferRatio = 0;
        g.chamferCorners = 0;
    }
    if (g.shape != PadShape::Trapezoid) g.deltaX = g.deltaY = 0;
    if (g.type == PadType::Smd || g.type == PadType::Connect) {
        g.drillX = g.drillY = 0;  // KiCad drops the drill of pads without a hole
    } else if (!ovalDrill) {
        g.drillY = g.drillX;
    }
    uint64_t extra = padstackKey;
    if (g.shape == PadShape::Custom) {
        extra = HashCombine(HashCombine(extra, customKey), anchorKey);
    } else {
        g.customPolygons.clear();
    }
    parsed.extraKey = extra == 0 ? 0 : (extra | 1);
    return parsed;
}

void KicadPadParser::ReadDrill(PadGeometry& g, bool& ovalDrill) {
    int numbers = 0;
    for (;;) {
        const Item item = tok_.NextItem();
        if (item == Item::ListEnd) break;
        if (item == Item::ListStart) {
            if (tok_.Head() == "offset")
                g.drillOffset = ReadPointList(tok_);
            else
                tok_.SkipList();
            continue;
        }
        if (tok_.Atom() == "oval") {
            ovalDrill = true;
            continue;
        }
        double v = 0;
        if (!ParseNumber(tok_.Atom(), v)) tok_.Fail("drill: not a number");
        if (!(v >= 0 && v <= kMaxSizeMm)) tok_.Fail("drill size out of range");
        if (numbers == 0)
            g.drillX = g.drillY = v;
        else if (numbers == 1)
            g.drillY = v;
        ++numbers;
    }
}

void KicadPadParser::ReadLayers(Pad& pad) {
    pad.onTop = pad.onBottom = false;
    for (;;) {
        const Item item = tok_.NextItem();
        if (item == Item::ListEnd) return;
        if (item == Item::ListStart) {
            tok_.SkipList();
            continue;
        }
        const std::string_view layer = tok_.Atom();
        if (layer == "F.Cu") {
            pad.onTop = true;
        } else if (layer == "B.Cu") {
            pad.onBottom = true;
        } else if (layer == "*.Cu" || layer == "F&B.Cu") {
            pad.onTop = pad.onBottom = true;
        }
    }
}

void KicadPadParser::ReadChamferCorners(PadGeometry& g) {
    for (;;) {
        const Item item = tok_.NextItem();
        if (item == Item::ListEnd) return;
        if (item == Item::ListStart) {
            tok_.SkipList();
            continue;
        }
        const std::string_view corner = tok_.Atom();
        if (corner == "top_left")
            g.chamferCorners |= kChamferTopLeft;
        else if (corner == "top_right")
            g.chamferCorners |= kChamferTopRight;
        else if (corner == "bottom_left")
            g.chamferCorners |= kChamferBottomLeft;
        else if (corner == "bottom_right")
            g.chamferCorners |= kChamferBottomRight;
    }
}

uint64_t KicadPadParser::ReadOptions() {
    uint64_t key = 0;
    while (tok_.NextChildList()) {
        if (tok_.Head() == "anchor") {
            key = tok_.HashList(0x616e63ULL);
        } else {
            tok_.SkipList();
        }
    }
    return key;
}

uint64_t KicadPadParser::ReadPrimitives(PadGeometry& g) {
    uint64_t key = 0x7072696dULL;
    while (tok_.NextChildList()) {
        GraphicShape::Kind kind;
        if (!GraphicKindOf(tok_.Head(), kind)) {
            key = HashCombine(key, tok_.HashList(0));
            continue;
        }
        const GraphicShape shape = ReadGraphicShape(tok_, kind);
        key = HashShape(key, shape);
        std::vector<Point> polygon = ShapePolygon(shape);
        if (polygon.size() >= 3) g.customPolygons.push_back(std::move(polygon));
    }
    return key;
}

}  // namespace boards::kicad
