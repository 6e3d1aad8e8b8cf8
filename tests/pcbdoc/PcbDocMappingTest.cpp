// SPDX-License-Identifier: GPL-3.0-or-later
// The mapping rules of boardreaders/pcbdoc/README.md on small documents made by
// PcbDocTestFiles: which pads count, how styles and holes are named and sized, attributes and
// text styles, and the compound file's own forms (mini stream, unpadded last sector).
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

#include "PcbDocTestFiles.h"
#include "boardreaders/pcbdoc/PcbDocReader.h"
#include "boardreaders/pcbdoc/PcbDocStyleNames.h"

namespace {

using boards::Design;
using boards::ReadError;
using namespace boards::pcbdoc::test;

constexpr int32_t kMil = 10000;  // PcbDoc units

struct Board {
    std::string components, pads, texts, parameters;
};

std::string Document(const Board& b, bool mini = false, bool pad = true) {
    CompoundFileBuilder builder;
    builder.AddStream("FileHeader", std::string("\x13\0\0\0", 4) + "PCB 6.0 Binary File");
    builder.AddStream("Components6/Data", b.components);
    builder.AddStream("Texts6/Data", b.texts);
    if (!b.parameters.empty()) builder.AddStream("PrimitiveParameters/Data", b.parameters);
    builder.AddStream("Pads6/Data", b.pads);
    return builder.Build(mini, pad).bytes;
}

Design Read(const std::string& bytes) {
    Design design;
    ReadError error;
    EXPECT_TRUE(boards::ParsePcbDocBoard(bytes, "test.PcbDoc", design, error)) << error.ToString();
    return design;
}

std::string StyleOf(const Design& d, const boards::Pad& pad) {
    return pad.padStyle >= 0 ? d.padStyles[std::size_t(pad.padStyle)].name : "";
}

TEST(PcbDocMapping, OnlyComponentsCopperPadsCountAndDesignatorsMayRepeat) {
    Board b;
    b.components = EncodeComponent("R1") + EncodeComponent("R1") + EncodeComponent("J1");
    PadSpec top;
    top.name = "1";
    PadSpec bottom = top;
    bottom.name = "2";
    bottom.layer = 32;
    bottom.component = 1;
    PadSpec mechanical = top;  // a pad drawn on Mechanical 1: not copper, not a pad
    mechanical.name = "M";
    mechanical.layer = 57;
    PadSpec free = top;  // a free pad of no component
    free.component = 0xFFFF;
    PadSpec plane = top;  // internal plane layers are copper
    plane.layer = 39;
    plane.component = 2;
    b.pads = EncodePad(top) + EncodePad(mechanical) + EncodePad(free) + EncodePad(bottom) +
             EncodePad(plane);
    const Design d = Read(Document(b));
    ASSERT_EQ(d.components.size(), 3u);
    EXPECT_EQ(d.components[0].refDes, "R1");
    EXPECT_EQ(d.components[1].refDes, "R1");
    ASSERT_EQ(d.components[0].pads.size(), 1u);
    EXPECT_EQ(d.components[0].pads[0].number, "1");
    ASSERT_EQ(d.components[1].pads.size(), 1u);
    EXPECT_TRUE(d.components[1].pads[0].onBottom);
    EXPECT_FALSE(d.components[1].pads[0].onTop);
    EXPECT_EQ(d.components[2].pads.size(), 1u);
}

TEST(PcbDocMapping, StyleNamesTellShapeSizeAndHole) {
    Board b;
    b.components = EncodeComponent("U1");
    std::vector<PadSpec> pads(8);
    pads[0].sizeX = 60 * kMil;  // 1.524 x 0.762 rectangle, SMD
    pads[0].sizeY = 30 * kMil;
    pads[1].shape = 1;  // round, 1.7 mm, 1 mm hole
    pads[1].sizeX = pads[1].sizeY = 669291;
    pads[1].layer = 74;
    pads[1].hole = 393701;
    pads[2] = pads[1];  // oval with a slot 0.6 x 1.2 turned 90 degrees
    pads[2].sizeX = 30 * kMil;
    pads[2].sizeY = 60 * kMil;
    pads[2].sizeAndShape = true;
    pads[2].holeShape = 2;
    pads[2].hole = 236220;
    pads[2].slotSize = 472441;
    pads[2].slotRotation = 90;
    pads[3] = pads[1];  // square hole
    pads[3].sizeAndShape = true;
    pads[3].holeShape = 1;
    pads[4] = pads[1];  // unplated mounting hole
    pads[4].plated = false;
    pads[4].sizeX = pads[4].sizeY = pads[4].hole = 1200787;  // 3.05 mm
    pads[5].sizeAndShape = true;                             // round rectangle, 25 % corners
    pads[5].shape = 1;
    pads[5].sizeY = 196850;
    pads[5].altShape = 9;
    pads[5].cornerRadius = 25;
    pads[6].shape = 3;  // octagon
    pads[7] = pads[0];  // same as the first: the style is shared
    for (std::size_t i = 0; i < pads.size(); ++i) {
        pads[i].name = std::to_string(i + 1);
        b.pads += EncodePad(pads[i]);
    }
    const Design d = Read(Document(b));
    ASSERT_EQ(d.components.size(), 1u);
    const auto& p = d.components[0].pads;
    ASSERT_EQ(p.size(), 8u);
    EXPECT_EQ(StyleOf(d, p[0]), "SMD Rect 1.524x0.762");
    EXPECT_EQ(StyleOf(d, p[1]), "THT Circle 1.7 D1");
    EXPECT_EQ(StyleOf(d, p[2]), "THT Oval 0.762x1.524 Slot0.6x1.2@90");
    EXPECT_EQ(StyleOf(d, p[3]), "THT Circle 1.7 Sq1");
    EXPECT_EQ(StyleOf(d, p[4]), "NPTH Circle 3.05 D3.05");
    EXPECT_EQ(StyleOf(d, p[5]), "SMD RoundRect 1x0.5 R25%");
    EXPECT_EQ(StyleOf(d, p[6]), "SMD Octagon 1");
    EXPECT_EQ(p[7].padStyle, p[0].padStyle);
    EXPECT_EQ(d.padStyles.size(), 7u);
    // Holes in design units: the diameter, or the smaller side of the slot.
    EXPECT_EQ(d.padStyles[std::size_t(p[0].padStyle)].holeDiameter, 0);
    EXPECT_EQ(d.padStyles[std::size_t(p[1].padStyle)].holeDiameter, 2540);
    EXPECT_EQ(d.padStyles[std::size_t(p[2].padStyle)].holeDiameter, 1524);
    EXPECT_EQ(d.padStyles[std::size_t(p[4].padStyle)].holeDiameter, 7747);
    // Geometry for drawing: the slot across the pad, the round rectangle's corners.
    const auto& slot = d.padStyles[std::size_t(p[2].padStyle)].geometry;
    EXPECT_NEAR(slot.drillX, 0.6, 1e-4);
    EXPECT_NEAR(slot.drillY, 1.2, 1e-4);
    EXPECT_EQ(d.padStyles[std::size_t(p[5].padStyle)].geometry.shape, boards::PadShape::RoundRect);
    EXPECT_DOUBLE_EQ(d.padStyles[std::size_t(p[5].padStyle)].geometry.roundRectRatio, 0.125);
    EXPECT_EQ(d.padStyles[std::size_t(p[4].padStyle)].geometry.type,
              boards::PadType::NpThroughHole);
}

TEST(PcbDocMapping, UnitsRoundHalfUp) {
    using boards::pcbdoc::FormatMm;
    using boards::pcbdoc::UnitsToDesignUnits;
    EXPECT_EQ(UnitsToDesignUnits(393701), 2540);   // 1.0000005 mm
    EXPECT_EQ(UnitsToDesignUnits(1200787), 7747);  // 3.05 mm
    EXPECT_EQ(UnitsToDesignUnits(7750), 50);       // 49.9999 du
    EXPECT_EQ(UnitsToDesignUnits(7674), 50);       // 49.5096 du
    EXPECT_EQ(UnitsToDesignUnits(7672), 49);       // 49.4967 du
    EXPECT_EQ(UnitsToDesignUnits(0), 0);
    EXPECT_EQ(FormatMm(413386), "1.05");
    EXPECT_EQ(FormatMm(600000), "1.524");
    EXPECT_EQ(FormatMm(2), "0");        // 0.05 um
    EXPECT_EQ(FormatMm(20), "0.0001");  // 0.0508 um rounds up to a tenth of a micrometre
}

TEST(PcbDocMapping, AttributesAndTextStyles) {
    Board b;
    b.components =
        EncodeComponent("C1",
                        "|UNIQUEID=ABCDEFGH|SOURCELIBREFERENCE=CAP|SOURCEDESCRIPTION=Cap "
                        "\xB5"
                        "F|UNICODE__SOURCEDESCRIPTION=67,97,112,32,956,70") +
        EncodeComponent("", "|UNIQUEID=QQQQQQQQ");
    TextSpec designator;
    TextSpec comment;
    comment.designator = false;
    comment.text = "100nF";
    comment.fontType = 1;
    comment.bold = true;
    comment.fontName =
        "Ari\x7F"
        "al";           // a control character in a font name is dropped
    TextSpec fallback;  // the designator of a component without SOURCEDESIGNATOR
    fallback.component = 1;
    fallback.text = "X9";
    b.texts = EncodeText(designator) + EncodeText(comment) + EncodeText(fallback);
    b.parameters = EncodeProperties("|PRIMITIVEID=ABCDEFGH|ID=Component#0|COUNT=2") +
                   EncodeProperties("|NAME=Voltage|VALUE=16V") +
                   EncodeProperties("|NAME=Comment|VALUE=ignored, the text came first") +
                   EncodeProperties("|PRIMITIVEID=QQQQQQQQ|COUNT=1") +
                   EncodeProperties("|NAME=Height|VALUE=1mm");
    PadSpec pad;
    b.pads = EncodePad(pad);
    const Design d = Read(Document(b, true));
    ASSERT_EQ(d.components.size(), 2u);
    const auto& c1 = d.components[0];
    std::vector<std::string> names;
    for (const auto& a : c1.attributes) names.push_back(a.name + "=" + a.value);
    EXPECT_EQ(names, (std::vector<std::string>{"Designator=C1", "Comment=100nF", "Voltage=16V",
                                               "Footprint=TEST", "LibReference=CAP",
                                               "Description=Cap \xCE\xBC"
                                               "F"}));
    ASSERT_GE(c1.attributes[0].textStyle, 0);
    ASSERT_GE(c1.attributes[1].textStyle, 0);
    EXPECT_EQ(d.textStyles[std::size_t(c1.attributes[0].textStyle)].name, "Stroke 1.524 w0.254");
    EXPECT_EQ(d.textStyles[std::size_t(c1.attributes[1].textStyle)].name, "Arial 1.524 Bold");
    EXPECT_EQ(c1.attributes[2].textStyle, -1);
    EXPECT_EQ(d.components[1].refDes, "X9");
    ASSERT_GE(d.components[1].attributes.size(), 2u);
    EXPECT_EQ(d.components[1].attributes[1].name, "Height");
}

TEST(PcbDocMapping, ManyParametersKeepTheFirstValueOfEachName) {
    Board b;
    b.components = EncodeComponent("R1");
    b.parameters = EncodeProperties("|ID=Component#0|COUNT=23");
    for (int i = 0; i < 20; ++i)
        b.parameters += EncodeProperties("|NAME=P" + std::to_string(i) + "|VALUE=first");
    b.parameters += EncodeProperties("|NAME=P3|VALUE=again") +
                    EncodeProperties("|NAME=Designator|VALUE=again") +
                    EncodeProperties("|NAME=P20|VALUE=last");
    const Design d = Read(Document(b));
    ASSERT_EQ(d.components.size(), 1u);
    const auto& attributes = d.components[0].attributes;
    ASSERT_EQ(attributes.size(), 23u);  // Designator, P0..P20, Footprint
    EXPECT_EQ(attributes[0].value, "R1");
    EXPECT_EQ(attributes[4].name, "P3");
    EXPECT_EQ(attributes[4].value, "first");
    EXPECT_EQ(attributes[21].name, "P20");
    EXPECT_EQ(attributes[22].name, "Footprint");
}

// An overlay arc of component 0: centre at the origin, radius 1 mm, the given angles.
std::string ArcRecord(double startAngle, double endAngle) {
    std::string sub(45, '\0');
    sub[0] = 33;  // top overlay
    const int32_t radius = 393701;
    std::memcpy(sub.data() + 21, &radius, 4);
    std::memcpy(sub.data() + 25, &startAngle, 8);
    std::memcpy(sub.data() + 33, &endAngle, 8);
    const uint32_t length = uint32_t(sub.size());
    return std::string(1, '\x01') + std::string(reinterpret_cast<const char*>(&length), 4) + sub;
}

TEST(PcbDocMapping, OverlayArcsOfAnyAngleAreAtMostAFullCircle) {
    CompoundFileBuilder builder;
    builder.AddStream("Components6/Data", EncodeComponent("R1"));
    builder.AddStream("Arcs6/Data", ArcRecord(0, 90) + ArcRecord(0, -1e300) +
                                        ArcRecord(std::nan(""), 45) + ArcRecord(10, 10));
    const Design d = Read(builder.Build().bytes);
    ASSERT_EQ(d.components.size(), 1u);
    const auto& outline = d.components[0].outline;
    // 90 degrees in 15-degree steps, then three arcs of at most a full circle each.
    ASSERT_GE(outline.size(), 6u);
    EXPECT_LE(outline.size(), 6u + 3 * 24u);
    EXPECT_NEAR(outline[0].a.x, 1.0, 1e-6);
    EXPECT_NEAR(outline[5].b.y, -1.0, 1e-6);  // (0, 1) y-up is (0, -1) y-down
    for (const auto& segment : outline) {
        EXPECT_TRUE(std::isfinite(segment.a.x) && std::isfinite(segment.b.y));
        EXPECT_LE(std::hypot(segment.b.x, segment.b.y), 1.0 + 1e-6);
    }
}

TEST(PcbDocMapping, BoardOutlineFromBoard6VerticesUpToTheFirstGap) {
    CompoundFileBuilder builder;
    builder.AddStream("Components6/Data", EncodeComponent("R1"));
    // Vertices in any order; index 3 is missing, so 4 is not reached. Many other entries
    // (a hostile record) are passed over once.
    std::string record = "|VY1=0mil|VX0=0mil|VY0=0mil|VX1=100mil|VX2=100mil|VY2=2.54mm|VX4=5mil";
    for (int i = 0; i < 200000; ++i) record += "|K" + std::to_string(i) + "=1";
    builder.AddStream("Board6/Data", EncodeProperties(record + "|VY4=5mil"));
    const Design d = Read(builder.Build().bytes);
    ASSERT_EQ(d.boardOutline.size(), 3u);  // closed: 0-1, 1-2, 2-0
    EXPECT_NEAR(d.boardOutline[0].b.x, 2.54, 1e-9);
    EXPECT_NEAR(d.boardOutline[1].b.y, -2.54, 1e-9);  // y turned downwards
    EXPECT_NEAR(d.boardOutline[2].b.x, 0, 1e-9);
    // 20,000 vertices are read in one pass over the record, not one pass per vertex.
    std::string many;
    for (int i = 0; i < 20000; ++i)
        many += "|VX" + std::to_string(i) + "=" + std::to_string(i) + "mil|VY" + std::to_string(i) +
                "=0mil";
    CompoundFileBuilder large;
    large.AddStream("Components6/Data", EncodeComponent("R1"));
    large.AddStream("Board6/Data", EncodeProperties(many));
    EXPECT_EQ(Read(large.Build().bytes).boardOutline.size(), 20000u);
}

TEST(PcbDocMapping, MiniStreamAndUnpaddedLastSectorRead) {
    Board b;
    b.components = EncodeComponent("R1");
    PadSpec pad;
    for (int i = 0; i < 40; ++i) {  // about 7 KiB of pads: regular sectors, cut short at the end
        pad.name = std::to_string(i + 1);
        b.pads += EncodePad(pad);
    }
    ASSERT_GE(b.pads.size(), 4096u);
    for (const bool mini : {false, true}) {
        const std::string bytes = Document(b, mini, false);
        EXPECT_NE(bytes.size() % 512, 0u);
        const Design d = Read(bytes);
        ASSERT_EQ(d.components.size(), 1u);
        EXPECT_EQ(d.components[0].pads.size(), 40u);
    }
}

}  // namespace
