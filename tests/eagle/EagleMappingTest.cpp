// SPDX-License-Identifier: GPL-3.0-or-later
// The mapping rules of boardreaders/eagle/README.md on small boards written here: packages found
// by library, URN and name; placement; pad-style and text-style names; design rules; panels.
#include <gtest/gtest.h>

#include <cmath>
#include <set>
#include <string>

#include "BoardFigures.h"
#include "EagleRotation.h"
#include "EagleTestBoards.h"

namespace {

using boards::Design;
using boards::test::EagleBoard;
using boards::test::EagleLibrary;
using boards::test::FindComponent;
using boards::test::ParseEagle;
using boards::test::StyleOf;
using boards::test::TextStyleOf;

const std::string kTwoPads =
    "<smd name=\"1\" x=\"-1\" y=\"0\" dx=\"1.2\" dy=\"0.6\" layer=\"1\"/>"
    "<smd name=\"2\" x=\"1\" y=\"0.5\" dx=\"1.2\" dy=\"0.6\" layer=\"1\"/>";

TEST(EagleMapping, FusionLibrariesOfOneNameAreToldApartByUrn) {
    // Fusion 360 writes 9.7.0; two libraries named "rcl" with different URNs both hold "0603".
    const std::string libraries =
        EagleLibrary("rcl", "0603",
                     "<smd name=\"1\" x=\"0\" y=\"0\" dx=\"1\" dy=\"1\" layer=\"1\"/>",
                     "urn:adsk.eagle:library:353") +
        EagleLibrary("rcl", "0603",
                     "<smd name=\"1\" x=\"0\" y=\"0\" dx=\"2\" dy=\"2\" layer=\"1\"/>",
                     "urn:adsk.wipprod:fs.file:vf.Ab12");
    const std::string elements =
        "<element name=\"R1\" library=\"rcl\" library_urn=\"urn:adsk.wipprod:fs.file:vf.Ab12\" "
        "package=\"0603\" package3d_urn=\"urn:adsk.eagle:package:23555/3\" value=\"1k\" x=\"0\" "
        "y=\"0\"/>"
        "<element name=\"R2\" library=\"rcl\" library_urn=\"urn:adsk.eagle:library:353\" "
        "package=\"0603\" value=\"2k\" x=\"5\" y=\"0\"/>";
    const Design design = ParseEagle(EagleBoard(libraries, elements, "", "9.7.0"));
    ASSERT_EQ(design.components.size(), 2u);
    EXPECT_EQ(StyleOf(design, design.components[0].pads.at(0)), "SMD Rect 2");
    EXPECT_EQ(StyleOf(design, design.components[1].pads.at(0)), "SMD Rect 1");
}

TEST(EagleMapping, ElementWithoutUrnTakesTheOneLibraryOfItsName) {
    // Same package name in two libraries of different names; Eagle 7 writes no URNs.
    const std::string libraries =
        EagleLibrary("a", "SOT23", kTwoPads) +
        EagleLibrary("b", "SOT23", "<pad name=\"1\" x=\"0\" y=\"0\" drill=\"0.8\"/>");
    const Design design = ParseEagle(
        EagleBoard(libraries,
                   "<element name=\"Q1\" library=\"b\" package=\"SOT23\" value=\"\" x=\"0\" "
                   "y=\"0\"/><element name=\"Q2\" library=\"a\" package=\"SOT23\" value=\"\" "
                   "x=\"0\" y=\"0\"/>"));
    ASSERT_EQ(design.components.size(), 2u);
    EXPECT_EQ(design.components[0].pads.size(), 1u);
    EXPECT_EQ(design.components[1].pads.size(), 2u);
    // A URN given on the element but on no library still finds the one library of that name.
    const Design withUrn = ParseEagle(
        EagleBoard(EagleLibrary("a", "SOT23", kTwoPads, "urn:adsk.eagle:library:1"),
                   "<element name=\"Q1\" library=\"a\" library_urn=\"urn:adsk.eagle:library:1\" "
                   "package=\"SOT23\" value=\"\" x=\"0\" y=\"0\"/>"));
    EXPECT_EQ(withUrn.components.at(0).pads.size(), 2u);
}

TEST(EagleMapping, ElementsWrittenBeforeTheirLibrariesStillFindTheirPackages) {
    // Eagle writes <libraries> first; another writer may not.
    const Design design = ParseEagle(EagleBoard(
        EagleLibrary("a", "SOT23", kTwoPads), "",
        "<elements><element name=\"Q1\" library=\"a\" package=\"SOT23\" value=\"\" x=\"0\" "
        "y=\"0\"/></elements>"));
    ASSERT_EQ(design.components.size(), 1u);
    EXPECT_EQ(design.components[0].pads.size(), 2u);
}

TEST(EagleMapping, PadsArePlacedByTheElementsRotationAndMirror) {
    const std::string pads =
        "<smd name=\"1\" x=\"1\" y=\"0\" dx=\"1\" dy=\"0.5\" layer=\"1\" rot=\"R10\"/>"
        "<smd name=\"B\" x=\"0\" y=\"2\" dx=\"1\" dy=\"0.5\" layer=\"16\"/>"
        "<pad name=\"T\" x=\"0\" y=\"-1\" drill=\"0.6\" diameter=\"1.2\"/>"
        "<hole x=\"3\" y=\"3\" drill=\"3.2\"/>";
    const std::string elements =
        "<element name=\"U1\" library=\"l\" package=\"P\" value=\"v\" x=\"10\" y=\"20\" "
        "rot=\"R90\"/>"
        "<element name=\"U2\" library=\"l\" package=\"P\" value=\"v\" x=\"10\" y=\"20\" "
        "rot=\"MR90\"/>"
        "<element name=\"U3\" library=\"l\" package=\"P\" value=\"v\" x=\"0\" y=\"0\" "
        "rot=\"SMR180\"/>";
    const Design design = ParseEagle(EagleBoard(EagleLibrary("l", "P", pads), elements));
    ASSERT_EQ(design.components.size(), 3u);
    // The <hole> is no pad.
    for (const auto& c : design.components) ASSERT_EQ(c.pads.size(), 3u);
    // R90: (1, 0) turns to (0, 1); the design's y grows downwards.
    const auto& u1 = design.components[0];
    EXPECT_NEAR(u1.pads[0].position.x, 10, 1e-12);
    EXPECT_NEAR(u1.pads[0].position.y, -21, 1e-12);
    EXPECT_DOUBLE_EQ(u1.pads[0].rotation, 100);
    EXPECT_TRUE(u1.pads[0].onTop && !u1.pads[0].onBottom);
    EXPECT_TRUE(!u1.pads[1].onTop && u1.pads[1].onBottom);  // drawn on the bottom (layer 16)
    EXPECT_TRUE(u1.pads[2].onTop && u1.pads[2].onBottom);   // through-hole
    EXPECT_FALSE(u1.bottomSide);
    // MR90: turned, then mirrored: (1, 0) → (0, 1) → (0, 1); (0, 2) → (-2, 0) → (2, 0).
    const auto& u2 = design.components[1];
    EXPECT_TRUE(u2.bottomSide);
    EXPECT_NEAR(u2.pads[0].position.x, 10, 1e-12);
    EXPECT_NEAR(u2.pads[0].position.y, -21, 1e-12);
    EXPECT_DOUBLE_EQ(u2.pads[0].rotation, 260);
    EXPECT_NEAR(u2.pads[1].position.x, 12, 1e-12);
    EXPECT_NEAR(u2.pads[1].position.y, -20, 1e-12);
    // Mirrored, the sides swap: the top pad goes to the bottom and the bottom one to the top.
    EXPECT_TRUE(!u2.pads[0].onTop && u2.pads[0].onBottom);
    EXPECT_TRUE(u2.pads[1].onTop && !u2.pads[1].onBottom);
    // SMR180 (spin only changes texts): (1, 0) → (-1, 0) → (1, 0).
    const auto& u3 = design.components[2];
    EXPECT_NEAR(u3.pads[0].position.x, 1, 1e-12);
    EXPECT_NEAR(u3.pads[0].position.y, 0, 1e-12);
}

TEST(EagleMapping, PadStyleNamesTellShapeSizeAndDrill) {
    const std::string pads =
        "<pad name=\"1\" x=\"0\" y=\"0\" drill=\"1.016\" diameter=\"1.8796\"/>"
        "<pad name=\"2\" x=\"0\" y=\"0\" drill=\"0.9\" diameter=\"2.413\" shape=\"square\"/>"
        "<pad name=\"3\" x=\"0\" y=\"0\" drill=\"1\" diameter=\"1.6764\" shape=\"octagon\"/>"
        "<pad name=\"4\" x=\"0\" y=\"0\" drill=\"0.8\" diameter=\"1.6\" shape=\"long\"/>"
        "<pad name=\"5\" x=\"0\" y=\"0\" drill=\"0.8\" diameter=\"1.6\" shape=\"offset\"/>"
        "<smd name=\"6\" x=\"0\" y=\"0\" dx=\"1.1\" dy=\"1\" layer=\"1\"/>"
        "<smd name=\"7\" x=\"0\" y=\"0\" dx=\"0.635\" dy=\"0.635\" layer=\"1\"/>"
        "<smd name=\"8\" x=\"0\" y=\"0\" dx=\"1\" dy=\"1\" layer=\"1\" roundness=\"30\"/>"
        "<smd name=\"9\" x=\"0\" y=\"0\" dx=\"0.5\" dy=\"0.5\" layer=\"1\" roundness=\"100\"/>"
        "<smd name=\"10\" x=\"0\" y=\"0\" dx=\"0.45\" dy=\"1.905\" layer=\"1\" roundness=\"100\"/>"
        "<smd name=\"11\" x=\"0\" y=\"0\" dx=\"0.30000004\" dy=\"0.12345\" layer=\"1\"/>";
    const Design design = ParseEagle(EagleBoard(
        EagleLibrary("l", "P", pads),
        "<element name=\"X1\" library=\"l\" package=\"P\" value=\"\" x=\"0\" y=\"0\"/>"));
    const auto& c = design.components.at(0);
    const std::vector<std::string> expected = {
        "THT Round 1.8796 D1.016", "THT Square 2.413 D0.9",   "THT Octagon 1.6764 D1",
        "THT Long 3.2x1.6 D0.8",   "THT Offset 3.2x1.6 D0.8", "SMD Rect 1.1x1",
        "SMD Rect 0.635",          "SMD RoundRect 1 R30%",    "SMD Round 0.5",
        "SMD Oval 0.45x1.905",     "SMD Rect 0.3x0.1235"};
    ASSERT_EQ(c.pads.size(), expected.size());
    for (size_t i = 0; i < expected.size(); ++i) EXPECT_EQ(StyleOf(design, c.pads[i]), expected[i]);
    // Holes in design units, half up from the exact text: 1.016 mm = 2580.64 → 2581.
    EXPECT_EQ(design.padStyles[size_t(c.pads[0].padStyle)].holeDiameter, 2581);
    EXPECT_EQ(design.padStyles[size_t(c.pads[5].padStyle)].holeDiameter, 0);
    // Geometry for the view.
    const auto& octagon = design.padStyles[size_t(c.pads[2].padStyle)].geometry;
    EXPECT_EQ(octagon.shape, boards::PadShape::Custom);
    ASSERT_EQ(octagon.customPolygons.size(), 1u);
    EXPECT_EQ(octagon.customPolygons[0].size(), 8u);
    const auto& offset = design.padStyles[size_t(c.pads[4].padStyle)].geometry;
    EXPECT_EQ(offset.shape, boards::PadShape::Oval);
    EXPECT_NEAR(offset.drillOffset.x, -0.8, 1e-12);
    // The offset pad's copper reaches out beside its drill: its centre is 0.8 mm off.
    EXPECT_NEAR(c.pads[4].position.x, 0.8, 1e-12);
    const auto& round = design.padStyles[size_t(c.pads[7].padStyle)].geometry;
    EXPECT_EQ(round.shape, boards::PadShape::RoundRect);
    EXPECT_DOUBLE_EQ(round.roundRectRatio, 0.15);
}

TEST(EagleMapping, PadsWithoutDiameterAreSizedByTheDesignRules) {
    const std::string pads =
        "<pad name=\"1\" x=\"0\" y=\"0\" drill=\"1\"/>"    // 25 % of 1, raised to 10 mil
        "<pad name=\"2\" x=\"0\" y=\"0\" drill=\"0.4\"/>"  // 0.1, at least 10 mil
        "<pad name=\"3\" x=\"0\" y=\"0\" drill=\"3\"/>"    // 0.75, at most 20 mil
        "<pad name=\"4\" x=\"0\" y=\"0\" drill=\"1\" diameter=\"2\"/>"    // the library's, larger
        "<pad name=\"5\" x=\"0\" y=\"0\" drill=\"1\" diameter=\"1.2\"/>"  // the rules', larger
        "<pad name=\"6\" x=\"0\" y=\"0\" drill=\"1\" shape=\"long\"/>";   // elongated 100 %
    const std::string element =
        "<element name=\"J1\" library=\"l\" package=\"P\" value=\"\" x=\"0\" y=\"0\"/>";
    auto names = [&](const std::string& rules) {
        const Design design = ParseEagle(EagleBoard(EagleLibrary("l", "P", pads), element, rules));
        std::vector<std::string> out;
        for (const auto& pad : design.components.at(0).pads) out.push_back(StyleOf(design, pad));
        return out;
    };
    // No <designrules>: Eagle's defaults (25 %, 10 to 20 mil).
    EXPECT_EQ(names(""), (std::vector<std::string>{
                             "THT Round 1.508 D1", "THT Round 0.908 D0.4", "THT Round 4.016 D3",
                             "THT Round 2 D1", "THT Round 1.508 D1", "THT Long 3.016x1.508 D1"}));
    // The board's own rules; the autorouter's <param>s are not design rules.
    const std::string rules =
        "<designrules name=\"fab\"><description language=\"en\">x</description>"
        "<param name=\"rvPadTop\" value=\"0.5\"/><param name=\"rlMinPadTop\" value=\"0.1mm\"/>"
        "<param name=\"rlMaxPadTop\" value=\"0.03inch\"/><param name=\"useDiameter\" value=\"0\"/>"
        "<param name=\"psElongationLong\" value=\"50\"/></designrules>"
        "<autorouter><pass name=\"Default\"><param name=\"rvPadTop\" value=\"0.9\"/></pass>"
        "</autorouter>";
    EXPECT_EQ(names(rules), (std::vector<std::string>{"THT Round 2 D1", "THT Round 0.8 D0.4",
                                                      "THT Round 4.524 D3", "THT Round 2 D1",
                                                      "THT Round 2 D1", "THT Long 3x2 D1"}));
}

TEST(EagleMapping, AttributesNameValueAndChildrenWithTheirTextStyles) {
    const std::string package =
        kTwoPads +
        "<text x=\"0\" y=\"1\" size=\"1.27\" layer=\"25\" font=\"vector\">&gt;NAME</text>"
        "<text x=\"0\" y=\"-1\" size=\"1.016\" layer=\"27\" ratio=\"12\">&gt;VALUE</text>";
    const std::string elements =
        // Not smashed: NAME and VALUE are drawn with the package's texts.
        "<element name=\"R1\" library=\"l\" package=\"P\" value=\"10k\" x=\"0\" y=\"0\">"
        "<attribute name=\"MPN\" value=\"RC0603\" x=\"0\" y=\"0\" size=\"1.778\" layer=\"27\" "
        "display=\"off\"/>"
        "<attribute name=\"TOL\" value=\"1%\"/>"
        "<attribute name=\"MPN\" value=\"other\" size=\"2\" layer=\"27\"/>"
        "</element>"
        // Smashed: the NAME attribute's own text.
        "<element name=\"R2\" library=\"l\" package=\"P\" value=\"22k\" x=\"0\" y=\"0\" "
        "smashed=\"yes\"><attribute name=\"NAME\" x=\"0\" y=\"0\" size=\"0.8128\" layer=\"25\" "
        "font=\"fixed\" ratio=\"18\"/></element>";
    const Design design = ParseEagle(EagleBoard(EagleLibrary("l", "P", package), elements));
    const auto* r1 = FindComponent(design, "R1");
    ASSERT_NE(r1, nullptr);
    // A name met again counts once, with its first value.
    ASSERT_EQ(r1->attributes.size(), 4u);
    const std::vector<std::pair<std::string, std::string>> expected = {
        {"NAME", "R1"}, {"VALUE", "10k"}, {"MPN", "RC0603"}, {"TOL", "1%"}};
    for (size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(r1->attributes[i].name, expected[i].first);
        EXPECT_EQ(r1->attributes[i].value, expected[i].second);
    }
    EXPECT_EQ(TextStyleOf(design, r1->attributes[0]), "Vector 1.27 8%");
    EXPECT_EQ(TextStyleOf(design, r1->attributes[1]), "Proportional 1.016 12%");
    EXPECT_EQ(TextStyleOf(design, r1->attributes[2]), "Proportional 1.778 8%");
    EXPECT_EQ(r1->attributes[3].textStyle, -1);  // no text of its own
    const auto* r2 = FindComponent(design, "R2");
    ASSERT_NE(r2, nullptr);
    ASSERT_EQ(r2->attributes.size(), 2u);
    EXPECT_EQ(TextStyleOf(design, r2->attributes[0]), "Fixed 0.8128 18%");
    EXPECT_EQ(TextStyleOf(design, r2->attributes[1]), "Proportional 1.016 12%");
    // Styles are shared by name.
    EXPECT_EQ(design.textStyles.size(), 4u);
}

TEST(EagleMapping, BoardOutlineFromDimensionWiresArcsAndPackages) {
    const std::string plain =
        "<plain><wire x1=\"0\" y1=\"0\" x2=\"10\" y2=\"0\" width=\"0\" layer=\"20\"/>"
        "<wire x1=\"10\" y1=\"0\" x2=\"10\" y2=\"10\" width=\"0\" layer=\"20\" curve=\"180\"/>"
        "<wire x1=\"0\" y1=\"0\" x2=\"5\" y2=\"5\" width=\"0.2\" layer=\"21\"/>"
        "<text x=\"0\" y=\"0\" size=\"1\" layer=\"20\">t</text></plain>";
    const std::string package =
        kTwoPads +
        "<wire x1=\"-2\" y1=\"-1\" x2=\"2\" y2=\"-1\" width=\"0.1\" layer=\"21\"/>"
        "<wire x1=\"0\" y1=\"0\" x2=\"1\" y2=\"0\" width=\"0.1\" layer=\"20\"/>"
        "<circle x=\"0\" y=\"0\" radius=\"1\" width=\"0.1\" layer=\"51\"/>"
        "<wire x1=\"0\" y1=\"0\" x2=\"1\" y2=\"0\" width=\"0.1\" layer=\"1\"/>";
    const Design design = ParseEagle(EagleBoard(
        EagleLibrary("l", "P", package),
        "<element name=\"U1\" library=\"l\" package=\"P\" value=\"\" x=\"20\" y=\"0\"/>", plain));
    // A half turn counter-clockwise from (10, 0) to (10, 10) bulges to x = 15.
    double right = 0;
    for (const auto& s : design.boardOutline) right = std::max({right, s.a.x, s.b.x});
    EXPECT_NEAR(right, 20 + 1, 1e-9);  // the package's Dimension wire reaches x = 21
    double arc = 0;
    for (const auto& s : design.boardOutline)
        if (s.a.x <= 16) arc = std::max({arc, s.a.x, s.b.x});
    EXPECT_NEAR(arc, 15, 1e-9);
    // 1 straight + 12 arc pieces + the package's 1.
    EXPECT_EQ(design.boardOutline.size(), 14u);
    const auto& u1 = design.components.at(0);
    EXPECT_TRUE(u1.hasGeometry);
    EXPECT_EQ(u1.outline.size(), 1u + 24u);  // the tPlace wire, the tDocu circle
    EXPECT_NEAR(u1.outline[0].a.x, 18, 1e-12);
    EXPECT_NEAR(u1.outline[0].a.y, 1, 1e-12);
}

TEST(EagleMapping, PanelOfManyRenamedCopiesSharesItsStyles) {
    // A panel: 600 copies of a two-part board, renamed as panelising tools do.
    std::string elements;
    for (int i = 0; i < 600; ++i) {
        const std::string suffix = "_" + std::to_string(i);
        const std::string x = std::to_string(i % 30 * 20), y = std::to_string(i / 30 * 20);
        elements += "<element name=\"R1" + suffix + "\" library=\"l\" package=\"P\" " +
                    "value=\"10k\" x=\"" + x + "\" y=\"" + y +
                    "\"><attribute name=\"MPN\" value=\"RC\" size=\"1\" layer=\"27\"/></element>";
        elements += "<element name=\"J1" + suffix +
                    "\" library=\"m\" package=\"P\" value=\"\" x=\"" + x + "\" y=\"" + y +
                    "\" rot=\"R90\"/>";
    }
    const std::string libraries =
        EagleLibrary("l", "P", kTwoPads) +
        EagleLibrary("m", "P",
                     "<pad name=\"1\" x=\"0\" y=\"0\" drill=\"1\" diameter=\"1.8\"/>"
                     "<pad name=\"2\" x=\"2.54\" y=\"0\" drill=\"1\" diameter=\"1.8\"/>");
    const Design design = ParseEagle(EagleBoard(libraries, elements));
    const auto f = boards::test::FiguresServed(design);
    EXPECT_EQ(f.components, 1200u);
    EXPECT_EQ(f.pads, 2400u);
    EXPECT_EQ(f.holedPads, 1200u);
    EXPECT_EQ(f.holeSizes, "1.00");
    EXPECT_EQ(f.styleNames, 2u);
    EXPECT_EQ(f.attributes, 600u * 3 + 600u * 2);
    EXPECT_EQ(design.padStyles.size(), 2u);
    EXPECT_EQ(design.components.back().refDes, "J1_599");
    EXPECT_NEAR(design.components.back().pads[1].position.y, -(19 * 20 + 2.54), 1e-9);
}

TEST(EagleMapping, RotationsReadAsEagleWritesThem) {
    using boards::eagle::Rotation;
    struct Case {
        const char* text;
        double degrees;
        bool mirror, spin;
    };
    for (const Case& c : {Case{"", 0, false, false}, Case{"R0", 0, false, false},
                          Case{"R90", 90, false, false}, Case{"MR180", 180, true, false},
                          Case{"SMR45.5", 45.5, true, true}, Case{"SR270", 270, false, true},
                          Case{"R-90", 270, false, false}, Case{"R720", 0, false, false}}) {
        Rotation r;
        ASSERT_TRUE(Rotation::Parse(c.text, r)) << c.text;
        EXPECT_DOUBLE_EQ(r.degrees, c.degrees) << c.text;
        EXPECT_EQ(r.mirror, c.mirror) << c.text;
        EXPECT_EQ(r.spin, c.spin) << c.text;
    }
    for (const char* bad :
         {"90", "R", "M", "MS R90", "RM90", "R90x", "Rnan", "Rinf", "R+90", "R1e9", "r90"}) {
        Rotation r;
        EXPECT_FALSE(Rotation::Parse(bad, r)) << bad;
    }
}

}  // namespace
