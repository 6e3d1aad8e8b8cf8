// SPDX-License-Identifier: GPL-3.0-or-later
// What the finders see of a board: components, pads, pad and text styles, across KiCad versions.
#include <gtest/gtest.h>

#include <cmath>
#include <set>
#include <string>

#include "boardreaders/kicad/KicadBoardReader.h"

namespace {

using namespace boards;

Design Parse(const std::string& text) {
    Design design;
    ReadError error;
    EXPECT_TRUE(ParseKicadBoard(text, "test.kicad_pcb", design, error)) << error.ToString();
    return design;
}

std::string Board(const std::string& body) {
    return "(kicad_pcb (version 20211014) (generator pcbnew)\n" + body + "\n)\n";
}

const PadStyle& StyleOf(const Design& d, size_t component, size_t pad) {
    return d.padStyles.at(d.components.at(component).pads.at(pad).padStyle);
}

std::string TextStyleName(const Design& d, const Attribute& a) {
    return a.textStyle < 0 ? "<none>" : d.textStyles.at(a.textStyle).name;
}

TEST(KicadBoardReader, ReadsKicad5Modules) {
    const Design d = Parse(R"B((kicad_pcb (version 20171130) (host pcbnew "(5.1.9)")
  (module Resistor_SMD:R_0805 (layer F.Cu) (tedit 5) (tstamp 5A0)
    (at 100 50 90)
    (fp_text reference R1 (at 0 -1.5 90) (layer F.SilkS)
      (effects (font (size 1 1) (thickness 0.15))))
    (fp_text value 10k (at 0 1.5 90) (layer F.Fab) hide
      (effects (font (size 1.2 1.1) (thickness 0.2) bold italic)))
    (fp_text user %R (at 0 0) (layer F.Fab) (effects (font (size 0.5 0.5))))
    (fp_line (start -1 -0.6) (end 1 -0.6) (layer F.CrtYd) (width 0.05))
    (fp_arc (start 0 0) (end 1 0) (angle 90) (layer F.Fab) (width 0.1))
    (pad 1 smd roundrect (at -0.95 0 90) (size 1.05 0.95) (layers F.Cu F.Paste F.Mask)
      (roundrect_rratio 0.25))
    (pad 2 smd roundrect (at 0.95 0 90) (size 1.05 0.95) (layers F.Cu F.Paste F.Mask)
      (roundrect_rratio 0.25) (net 1 GND))
  )
))B");
    ASSERT_EQ(d.components.size(), 1u);
    const Component& c = d.components[0];
    EXPECT_EQ(c.refDes, "R1");
    ASSERT_EQ(c.pads.size(), 2u);
    EXPECT_EQ(c.pads[0].number, "1");
    EXPECT_EQ(c.pads[0].padStyle, c.pads[1].padStyle);  // net and position do not matter
    EXPECT_EQ(StyleOf(d, 0, 0).name, "SMD RoundRect 1.05x0.95 r0.25");
    EXPECT_EQ(StyleOf(d, 0, 0).holeDiameter, 0);
    // Rotating by 90 degrees counter-clockwise on screen (y down) takes -x to +y.
    EXPECT_NEAR(c.pads[0].position.x, 100.0, 1e-9);
    EXPECT_NEAR(c.pads[0].position.y, 50.95, 1e-9);
    EXPECT_DOUBLE_EQ(c.pads[0].rotation, 90);
    EXPECT_TRUE(c.pads[0].onTop);
    EXPECT_FALSE(c.pads[0].onBottom);
    EXPECT_NEAR(c.refDesPosition.x, 98.5, 1e-9);
    EXPECT_NEAR(c.refDesPosition.y, 50.0, 1e-9);
    EXPECT_EQ(c.outline.size(), 1u);  // the courtyard wins over the fabrication arc

    ASSERT_EQ(c.attributes.size(), 2u);  // the free text is not a field
    EXPECT_EQ(c.attributes[0].name, "Reference");
    EXPECT_EQ(TextStyleName(d, c.attributes[0]), "1x1 t0.15");
    EXPECT_EQ(c.attributes[1].name, "Value");
    EXPECT_EQ(c.attributes[1].value, "10k");
    EXPECT_EQ(TextStyleName(d, c.attributes[1]), "1.2x1.1 t0.2 bold italic");
}

TEST(KicadBoardReader, ReadsKicad8FieldsEscapesAndBottomSide) {
    const Design d = Parse(Board(R"(
  (footprint "Lib:Part" (layer "B.Cu") (uuid "u1") (at 10 20 180)
    (property "Reference" "U\"1" (at 0 -2 180) (layer "B.SilkS")
      (effects (font (size 1.27 1.27) (thickness 0.254) (bold yes)) (justify mirror)))
    (property "Value" "a \\ b" (at 0 2 0) (layer "B.Fab") (hide yes)
      (effects (font (size 1 1) (thickness 0.15) (bold no) (italic yes))))
    (property "Datasheet" "" (at 0 0 0) (layer "B.Fab") (hide yes)
      (effects (font (face "Arial") (size 1 1))))
    (property "Sheetfile" "x.kicad_sch")
    (pad "1" thru_hole circle (at 1 0 180) (size 1.7 1.7) (drill 1) (layers "*.Cu" "*.Mask"))
    (pad "2" thru_hole oval (at 2 0 180) (size 1.7 2.5) (drill oval 1.6 1.0) (layers "*.Cu"))
    (pad "" np_thru_hole circle (at 0 0) (size 3.2 3.2) (drill 3.2) (layers "*.Cu" "*.Mask"))
    (pad "4" smd rect (at 0 3 180) (size 1 1) (drill 0.5) (layers "B.Cu" "B.Mask"))
    (pad "5" thru_hole circle (at 1 1 180) (size 1.7 1.7) (drill 1 (offset 0.1 -0.2))
      (layers "*.Cu"))
  ))"));
    ASSERT_EQ(d.components.size(), 1u);
    const Component& c = d.components[0];
    EXPECT_EQ(c.refDes, "U\"1");
    EXPECT_TRUE(c.bottomSide);
    EXPECT_DOUBLE_EQ(c.rotation, 180);

    ASSERT_EQ(c.attributes.size(), 4u);
    EXPECT_EQ(c.attributes[1].value, "a \\ b");
    EXPECT_EQ(TextStyleName(d, c.attributes[0]), "1.27x1.27 t0.254 bold");
    EXPECT_EQ(TextStyleName(d, c.attributes[1]), "1x1 t0.15 italic");
    EXPECT_EQ(c.attributes[2].name, "Datasheet");
    EXPECT_EQ(TextStyleName(d, c.attributes[2]), "1x1 face Arial");
    EXPECT_EQ(c.attributes[3].name, "Sheetfile");
    EXPECT_EQ(c.attributes[3].textStyle, -1);  // a field without a text of its own

    ASSERT_EQ(c.pads.size(), 5u);
    EXPECT_EQ(StyleOf(d, 0, 0).name, "THT Circle 1.7 D1");
    EXPECT_EQ(StyleOf(d, 0, 0).holeDiameter, 2540);
    EXPECT_EQ(StyleOf(d, 0, 1).name, "THT Oval 1.7x2.5 D1.6x1");
    EXPECT_EQ(StyleOf(d, 0, 1).holeDiameter, 2540);  // the smaller side of the slot
    EXPECT_EQ(StyleOf(d, 0, 2).name, "NPTH Circle 3.2 D3.2");
    EXPECT_EQ(StyleOf(d, 0, 2).holeDiameter, 8128);
    EXPECT_EQ(c.pads[2].number, "");
    EXPECT_EQ(StyleOf(d, 0, 3).name, "SMD Rect 1");  // a surface pad has no drill
    EXPECT_EQ(StyleOf(d, 0, 3).holeDiameter, 0);
    EXPECT_FALSE(c.pads[3].onTop);
    EXPECT_TRUE(c.pads[3].onBottom);
    EXPECT_TRUE(c.pads[0].onTop && c.pads[0].onBottom);
    EXPECT_EQ(StyleOf(d, 0, 4).name, "THT Circle 1.7 D1 @0.1,-0.2");
    EXPECT_NEAR(c.pads[0].position.x, 9.0, 1e-9);
    EXPECT_NEAR(c.pads[0].position.y, 20.0, 1e-9);
}

TEST(KicadBoardReader, PadStyleKeysCoverEveryShapeParameter) {
    const Design d = Parse(Board(R"(
  (footprint "A" (layer "F.Cu") (at 0 0)
    (fp_text reference "P1" (at 0 0) (layer "F.SilkS") (effects (font (size 1 1) (thickness 0.15))))
    (pad "1" thru_hole trapezoid (at 0 0) (size 1.5 1.5) (drill 0.8) (layers "*.Cu") (rect_delta 0.2 0))
    (pad "2" thru_hole trapezoid (at 0 0) (size 1.5 1.5) (drill 0.8) (layers "*.Cu") (rect_delta 0 0.2))
    (pad "3" smd roundrect (at 0 0) (size 1 1) (layers "F.Cu") (roundrect_rratio 0.1)
      (chamfer_ratio 0.2) (chamfer top_left bottom_right))
    (pad "4" smd roundrect (at 0 0) (size 1 1) (layers "F.Cu") (roundrect_rratio 0.1)
      (chamfer_ratio 0.2) (chamfer top_left))
    (pad "5" smd roundrect (at 0 0) (size 1 1) (layers "F.Cu") (roundrect_rratio 0.15))
    (pad "6" smd custom (at 0 0) (size 0.5 0.5) (layers "F.Cu") (options (clearance outline) (anchor circle))
      (primitives (gr_poly (pts (xy -1 -1) (xy 1 -1) (xy 0 1)) (width 0))))
    (pad "7" smd custom (at 5 5 90) (size 0.5 0.5) (layers "B.Cu") (options (clearance outline) (anchor circle))
      (primitives (gr_poly (pts (xy -1 -1) (xy 1 -1) (xy 0 1)) (width 0))))
    (pad "8" smd custom (at 0 0) (size 0.5 0.5) (layers "F.Cu") (options (clearance outline) (anchor circle))
      (primitives (gr_poly (pts (xy -1 -1) (xy 1 -1) (xy 0 1.5)) (width 0))))
    (pad "9" smd rect (at 0 0) (size 1 1) (layers "F.Cu")
      (padstack (mode front_inner_back) (layer "Inner" (shape circle) (size 0.8 0.8))))
    (pad "10" smd rect (at 0 0) (size 1 1) (layers "F.Cu")
      (padstack (mode front_inner_back) (layer "Inner" (shape circle) (size 0.9 0.9))))
    (pad "11" smd rect (at 0 0) (size 1.000 1.0) (layers "F.Cu"))
    (pad "12" smd rect (at 0 0) (size 1 1) (layers "F.Cu") (roundrect_rratio 0.3))
  ))"));
    const Component& c = d.components.at(0);
    ASSERT_EQ(c.pads.size(), 12u);
    EXPECT_EQ(StyleOf(d, 0, 0).name, "THT Trapezoid 1.5 D0.8 delta0.2,0");
    EXPECT_EQ(StyleOf(d, 0, 1).name, "THT Trapezoid 1.5 D0.8 delta0,0.2");
    EXPECT_EQ(StyleOf(d, 0, 2).name, "SMD ChamferedRect 1 r0.1 c0.2 TL+BR");
    EXPECT_EQ(StyleOf(d, 0, 2).geometry.shape, PadShape::ChamferedRect);
    EXPECT_EQ(StyleOf(d, 0, 3).name, "SMD ChamferedRect 1 r0.1 c0.2 TL");
    EXPECT_EQ(StyleOf(d, 0, 4).name, "SMD RoundRect 1 r0.15");
    // Custom pads: equal primitives share a style whatever the position and side.
    EXPECT_EQ(c.pads[5].padStyle, c.pads[6].padStyle);
    EXPECT_NE(c.pads[5].padStyle, c.pads[7].padStyle);
    EXPECT_EQ(StyleOf(d, 0, 5).name.rfind("SMD Custom 0.5 #", 0), 0u) << StyleOf(d, 0, 5).name;
    EXPECT_EQ(StyleOf(d, 0, 5).geometry.customPolygons.size(), 1u);
    // Per-layer shapes are part of the key.
    EXPECT_NE(c.pads[8].padStyle, c.pads[9].padStyle);
    EXPECT_NE(c.pads[8].padStyle, c.pads[10].padStyle);
    // A ratio that the shape does not use does not split a style.
    EXPECT_EQ(c.pads[10].padStyle, c.pads[11].padStyle);
    EXPECT_EQ(StyleOf(d, 0, 10).name, "SMD Rect 1");

    std::set<std::string> names;
    for (const auto& style : d.padStyles) names.insert(style.name);
    EXPECT_EQ(names.size(), d.padStyles.size()) << "distinct styles need distinct names";
}

TEST(KicadBoardReader, LongStyleNamesFitTheirFieldsAndStayDistinct) {
    const std::string face(150, 'F');
    const Design d = Parse(Board(
        R"(
  (footprint "A" (layer "F.Cu") (at 0 0)
    (property "Reference" "X1" (at 0 0) (effects (font (face ")" +
        face + R"(A") (size 999.123456 999.654321) (thickness 0.123457) (bold yes) (italic yes))))
    (property "Value" "v" (at 0 0) (effects (font (face ")" +
        face + R"(B") (size 999.123456 999.654321) (thickness 0.123457) (bold yes) (italic yes))))
    (pad "1" np_thru_hole roundrect (at 0 0) (size 999.123456 998.123456) (drill oval 997.123456 996.123456 (offset -9999.123456 -9999.654321))
      (layers "*.Cu") (roundrect_rratio 0.123456) (chamfer_ratio 0.234567) (chamfer top_left top_right bottom_left bottom_right))
    (pad "2" np_thru_hole roundrect (at 0 0) (size 999.123456 998.123456) (drill oval 997.123456 996.123456 (offset -9999.123456 -9999.654322))
      (layers "*.Cu") (roundrect_rratio 0.123456) (chamfer_ratio 0.234567) (chamfer top_left top_right bottom_left bottom_right))
  ))"));
    const Component& c = d.components.at(0);
    for (const auto& style : d.padStyles) EXPECT_LT(style.name.size(), 100u) << style.name;
    for (const auto& style : d.textStyles) EXPECT_LT(style.name.size(), 100u) << style.name;
    EXPECT_NE(StyleOf(d, 0, 0).name, StyleOf(d, 0, 1).name);
    EXPECT_NE(TextStyleName(d, c.attributes[0]), TextStyleName(d, c.attributes[1]));
}

TEST(KicadBoardReader, OutlinesComeFromEdgeCutsAndCourtyardOrFabrication) {
    const Design d = Parse(Board(R"(
  (gr_rect (start 0 0) (end 50 40) (layer "Edge.Cuts") (width 0.1))
  (gr_line (start 0 0) (end 10 10) (layer "F.SilkS") (width 0.1))
  (gr_arc (start 60 0) (mid 70 10) (end 80 0) (layer "Edge.Cuts") (stroke (width 0.1) (type solid)))
  (gr_poly (pts (xy 0 0) (xy 1 0) (arc (start 1 0) (mid 1.5 0.5) (end 1 1)) (xy 0 1)) (layer "Edge.Cuts"))
  (footprint "A" (layer "F.Cu") (at 10 10 90)
    (fp_text reference "A1" (at 0 0) (layer "F.SilkS") (effects (font (size 1 1))))
    (fp_rect (start -1 -2) (end 1 2) (layer "F.Fab") (width 0.1))
    (fp_line (start 0 0) (end 5 0) (layer "F.SilkS") (width 0.1))
  ))"));
    EXPECT_TRUE(d.hasGeometry);
    ASSERT_GE(d.boardOutline.size(), 4u + 2u + 4u);
    EXPECT_DOUBLE_EQ(d.boardOutline[1].a.x, 50);
    EXPECT_DOUBLE_EQ(d.boardOutline[0].width, 0.1);
    // The arc's segments start and end at its ends and pass near its middle.
    bool nearMid = false;
    for (const auto& s : d.boardOutline) nearMid |= std::hypot(s.a.x - 70, s.a.y - 10) < 0.5;
    EXPECT_TRUE(nearMid);
    const Component& c = d.components.at(0);
    ASSERT_EQ(c.outline.size(), 4u);  // no courtyard: the fabrication rectangle, rotated
    EXPECT_NEAR(c.outline[0].a.x, 10 - 2, 1e-9);
    EXPECT_NEAR(c.outline[0].a.y, 10 + 1, 1e-9);
    EXPECT_EQ(TextStyleName(d, c.attributes[0]), "1x1");  // no thickness given
}

TEST(KicadBoardReader, TheFirstReferenceWinsAndNearlyStraightArcsStayOnTheBoard) {
    const Design d = Parse(Board(R"(
  (gr_arc (start 0 0) (mid 2 0.000000001) (end 1 0) (layer "Edge.Cuts") (width 0.1))
  (footprint "A" (layer "F.Cu") (at 0 0)
    (property "Reference" "X1" (at 0 0) (effects (font (size 1 1))))
    (fp_text reference "R9" (at 0 0) (layer "F.SilkS") (effects (font (size 1 1))))
    (property "Reference" "X2" (at 0 0) (effects (font (size 1 1))))
  ))"));
    const Component& c = d.components.at(0);
    EXPECT_EQ(c.refDes, "X1");
    int references = 0;
    for (const Attribute& a : c.attributes) references += a.name == "Reference";
    EXPECT_EQ(references, 2) << "a later Reference property is kept as an attribute";
    ASSERT_FALSE(d.boardOutline.empty());
    for (const auto& s : d.boardOutline) {
        EXPECT_LE(std::hypot(s.a.x, s.a.y), 2.0 + 1e-6);
        EXPECT_LE(std::hypot(s.b.x, s.b.y), 2.0 + 1e-6);
    }
}

}  // namespace
