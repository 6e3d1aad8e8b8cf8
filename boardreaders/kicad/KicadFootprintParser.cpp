// SPDX-License-Identifier: GPL-3.0-or-later
#include "KicadFootprintParser.h"

#include <cstdio>
#include <vector>

#include "BoardNumbers.h"
#include "Dbx32.h"
#include "GraphicShape.h"
#include "KicadPadParser.h"

namespace boards::kicad {

namespace {

using Item = SexprTokenizer::Item;

// The library's field capacities, terminator included.
constexpr size_t kRefDesCapacity = DBX_REFDES_SIZE;
constexpr size_t kAttributeNameCapacity = DBX_ATTRIBUTE_NAME_SIZE;
constexpr size_t kAttributeValueCapacity = DBX_ATTRIBUTE_VALUE_SIZE;

bool IsCourtyard(std::string_view layer) {
    return layer == "F.CrtYd" || layer == "B.CrtYd";
}
bool IsFabrication(std::string_view layer) {
    return layer == "F.Fab" || layer == "B.Fab";
}

// `yes`, or nothing after the flag's name, turns a flag on.
bool ReadFlag(SexprTokenizer& tok) {
    bool on = true;
    for (;;) {
        const Item item = tok.NextItem();
        if (item == Item::ListEnd) return on;
        if (item == Item::ListStart) {
            tok.SkipList();
        } else {
            on = tok.Atom() == "yes" || tok.Atom() == "true";
        }
    }
}

}  // namespace

std::string KicadFootprintParser::ReadLimitedString(size_t capacity, const char* what) {
    if (tok_.NextItem() != Item::Atom) tok_.Fail(std::string("missing ") + what);
    std::string text = tok_.AtomString();
    if (text.size() >= capacity) {
        tok_.Fail(std::string(what) + " longer than " + std::to_string(capacity - 1) + " bytes");
    }
    return text;
}

// A name is text: a zero byte or other control character would be cut or shown as something else
// by whoever reads the record, so such a name is refused.
std::string KicadFootprintParser::ReadName(size_t capacity, const char* what) {
    std::string text = ReadLimitedString(capacity, what);
    for (const unsigned char c : text) {
        if (c < 0x20 || c == 0x7f) {
            char code[8];
            std::snprintf(code, sizeof code, "0x%02x", c);
            tok_.Fail(std::string(what) + " holds a control character (" + code + ")");
        }
    }
    return text;
}

Component KicadFootprintParser::Read() {
    Component component;
    component.hasGeometry = true;
    Field reference, value;
    std::vector<Attribute> others;
    std::vector<ParsedPad> pads;
    std::vector<GraphicShape> courtyard, fabrication;
    pads.reserve(16);

    if (tok_.NextItem() != Item::Atom) tok_.Fail("footprint without a name");
    for (;;) {
        const Item item = tok_.NextItem();
        if (item == Item::ListEnd) break;
        if (item == Item::Atom) continue;  // locked, placed
        const std::string_view head = tok_.Head();
        GraphicShape::Kind kind;
        if (head == "pad") {
            pads.push_back(KicadPadParser(tok_).Read());
        } else if (head == "at") {
            component.position = ReadPlacement(tok_, component.rotation);
        } else if (head == "layer") {
            component.bottomSide = tok_.ReadAtom() == "B.Cu";
            tok_.SkipList();
        } else if (head == "fp_text") {
            ReadFpText(reference, value);
        } else if (head == "property") {
            ReadProperty(reference, value, others);
        } else if (GraphicKindOf(head, kind) && head[0] == 'f') {
            GraphicShape shape = ReadGraphicShape(tok_, kind);
            if (IsCourtyard(shape.layer))
                courtyard.push_back(std::move(shape));
            else if (IsFabrication(shape.layer))
                fabrication.push_back(std::move(shape));
        } else {
            tok_.SkipList();
        }
    }

    const Placement placement(component.position, component.rotation);
    component.pads.reserve(pads.size());
    for (ParsedPad& parsed : pads) {
        parsed.pad.position = placement.ToBoard(parsed.pad.position);
        parsed.pad.padStyle = padStyles_.StyleFor(parsed.geometry, parsed.extraKey);
        component.pads.push_back(std::move(parsed.pad));
    }
    for (const GraphicShape& shape : courtyard.empty() ? fabrication : courtyard) {
        AppendSegments(shape, placement, component.outline);
    }
    if (reference.present) {
        component.refDes = reference.attribute.value;
        component.refDesPosition = placement.ToBoard(reference.position);
        component.attributes.push_back(std::move(reference.attribute));
    } else {
        component.refDesPosition = component.position;
    }
    if (value.present) component.attributes.push_back(std::move(value.attribute));
    for (Attribute& attribute : others) component.attributes.push_back(std::move(attribute));
    return component;
}

void KicadFootprintParser::ReadFpText(Field& reference, Field& value) {
    const std::string_view kind = tok_.ReadAtom();
    Field* field = kind == "reference" ? &reference : kind == "value" ? &value : nullptr;
    if (!field || field->present) {  // free texts are not fields; the first field text wins
        tok_.SkipList();
        return;
    }
    const bool isReference = field == &reference;
    field->attribute.name = isReference ? "Reference" : "Value";
    field->attribute.value = isReference
                                 ? ReadName(kRefDesCapacity, "reference designator")
                                 : ReadLimitedString(kAttributeValueCapacity, "attribute value");
    TextLook look;
    ReadTextChildren(look, field->position);
    field->attribute.textStyle = textStyles_.StyleFor(look);
    field->present = true;
}

void KicadFootprintParser::ReadProperty(Field& reference, Field& value,
                                        std::vector<Attribute>& others) {
    Attribute attribute;
    attribute.name = ReadName(kAttributeNameCapacity, "attribute name");
    const bool isReference = attribute.name == "Reference";
    attribute.value = isReference ? ReadName(kRefDesCapacity, "reference designator")
                                  : ReadLimitedString(kAttributeValueCapacity, "attribute value");
    TextLook look;
    Point position;
    if (ReadTextChildren(look, position)) attribute.textStyle = textStyles_.StyleFor(look);

    Field* field = isReference ? &reference : attribute.name == "Value" ? &value : nullptr;
    if (field && !field->present) {
        field->attribute = std::move(attribute);
        field->position = position;
        field->present = true;
    } else {
        others.push_back(std::move(attribute));
    }
}

bool KicadFootprintParser::ReadTextChildren(TextLook& look, Point& position) {
    bool hasText = false;
    while (tok_.NextChildList()) {
        hasText = true;
        const std::string_view head = tok_.Head();
        if (head == "at") {
            double angle = 0;
            position = ReadPlacement(tok_, angle);
        } else if (head == "effects") {
            ReadEffects(look);
        } else {
            tok_.SkipList();
        }
    }
    return hasText;
}

void KicadFootprintParser::ReadEffects(TextLook& look) {
    while (tok_.NextChildList()) {
        if (tok_.Head() == "font") {
            ReadFont(look);
        } else {
            tok_.SkipList();
        }
    }
}

void KicadFootprintParser::ReadFont(TextLook& look) {
    for (;;) {
        const Item item = tok_.NextItem();
        if (item == Item::ListEnd) return;
        if (item == Item::Atom) {
            if (tok_.Atom() == "bold")
                look.bold = true;
            else if (tok_.Atom() == "italic")
                look.italic = true;
            continue;
        }
        const std::string_view head = tok_.Head();
        if (head == "size") {
            look.height = ReadSize(tok_);
            look.width = ReadSize(tok_);
            tok_.ExpectListEnd();
        } else if (head == "thickness") {
            look.thickness = ReadSize(tok_);
            tok_.ExpectListEnd();
        } else if (head == "bold") {
            look.bold = ReadFlag(tok_);
        } else if (head == "italic") {
            look.italic = ReadFlag(tok_);
        } else if (head == "face") {
            look.face = tok_.ReadString();
            tok_.SkipList();
        } else {
            tok_.SkipList();
        }
    }
}

}  // namespace boards::kicad
