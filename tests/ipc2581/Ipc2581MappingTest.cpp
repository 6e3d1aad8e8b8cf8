// SPDX-License-Identifier: GPL-3.0-or-later
// The mapping rules on small hand-written documents: pads per pin, which layer names the style,
// generated names of inline pad stacks, pins without pads, attributes, units and placement.
#include <gtest/gtest.h>

#include <string>

#include "boardreaders/ipc2581/DecimalText.h"
#include "boardreaders/ipc2581/Ipc2581Reader.h"

namespace {

using boards::Design;
using boards::ReadError;
using boards::ipc2581::DecimalText;
using boards::ipc2581::LengthUnit;

// A document with two copper layers and the given dictionary, step and BOM contents.
std::string Document(const std::string& units, const std::string& dictionary,
                     const std::string& step, const std::string& bom = "") {
    return R"(<?xml version="1.0" encoding="UTF-8"?>
<ipc:IPC-2581 revision="C" xmlns:ipc="http://webstds.ipc.org/2581">
<ipc:Content>)" +
           dictionary + "</ipc:Content>\n" + bom + "<ipc:Ecad><ipc:CadHeader units=\"" + units +
           R"("/><ipc:CadData>
<ipc:Layer name="TOP" layerFunction="CONDUCTOR" side="TOP"/>
<ipc:Layer name="BOTTOM" layerFunction="CONDUCTOR" side="BOTTOM"/>
<ipc:Layer name="MASK" layerFunction="SOLDERMASK" side="TOP"/>
<ipc:Step name="board">)" +
           step + "</ipc:Step></ipc:CadData></ipc:Ecad></ipc:IPC-2581>\n";
}

Design Parse(const std::string& text) {
    Design design;
    ReadError error;
    EXPECT_TRUE(boards::ParseIpc2581Board(text, "test.xml", design, error)) << error.ToString();
    return design;
}

std::string StyleOf(const Design& design, const boards::Pad& pad) {
    return pad.padStyle < 0 ? "(none)" : design.padStyles.at(pad.padStyle).name;
}

std::string Pad(const std::string& layer, const std::string& component, const std::string& pin,
                const std::string& padStack, double x = 0, double y = 0) {
    return "<LayerFeature layerRef=\"" + layer + "\"><Set><Pad" +
           (padStack.empty() ? "" : " padstackDefRef=\"" + padStack + "\"") + "><Location x=\"" +
           std::to_string(x) + "\" y=\"" + std::to_string(y) +
           "\"/><StandardPrimitiveRef id=\"RECT\"/>" +
           (component.empty()
                ? ""
                : "<PinRef componentRef=\"" + component + "\" pin=\"" + pin + "\"/>") +
           "</Pad></Set></LayerFeature>";
}

const std::string kRectDictionary =
    R"(<DictionaryStandard units="MILLIMETER"><EntryStandard id="RECT"><RectCenter width="1" height="0.5"/></EntryStandard></DictionaryStandard>)";

TEST(Ipc2581Mapping, PadsPerPinComeFromTheBusiestLayerAndItsPadStacks) {
    const std::string step =
        R"(<PadStackDef name="A"><PadstackHoleDef name="h" diameter="0.8" platingStatus="PLATED"/></PadStackDef>
<PadStackDef name="B"/>
<Package name="PKG"><Pin number="1"/><Pin number="2"/><Pin number="1"/><Pin number="3"/></Package>
<Component refDes="R1" packageRef="PKG" layerRef="TOP"><Location x="0" y="0"/></Component>)" +
        Pad("MASK", "R1", "1", "") +  // non-copper layers count too, but hold fewer here
        Pad("TOP", "R1", "2", "") + Pad("TOP", "R1", "1", "A", 1) + Pad("TOP", "R1", "1", "A", 2) +
        Pad("BOTTOM", "R1", "1", "B") + Pad("BOTTOM", "R1", "2", "B") +
        Pad("TOP", "OTHER", "1", "A");
    const Design design = Parse(Document("MILLIMETER", kRectDictionary, step));
    ASSERT_EQ(design.components.size(), 1u);
    const auto& pads = design.components[0].pads;
    // Pin 1: two on TOP, so two pads, in package order of first appearance, then 2, then 3.
    ASSERT_EQ(pads.size(), 4u);
    EXPECT_EQ(pads[0].number, "1");
    EXPECT_EQ(pads[1].number, "1");
    EXPECT_EQ(pads[2].number, "2");
    EXPECT_EQ(pads[3].number, "3");
    EXPECT_EQ(StyleOf(design, pads[0]), "A");
    EXPECT_NEAR(pads[0].position.x, 1, 1e-6);
    EXPECT_NEAR(pads[1].position.x, 2, 1e-6);
    EXPECT_EQ(design.padStyles[pads[0].padStyle].holeDiameter, 2032);  // 0.8 mm
    // Pin 2: TOP's pad has no pad stack, BOTTOM's has: BOTTOM names the style.
    EXPECT_EQ(StyleOf(design, pads[2]), "B");
    EXPECT_EQ(design.padStyles[pads[2].padStyle].holeDiameter, 0);
    EXPECT_TRUE(pads[2].onBottom);
    // Pin 3: no pad at all and nothing nearby: no style.
    EXPECT_EQ(StyleOf(design, pads[3]), "(none)");
}

TEST(Ipc2581Mapping, PinWithoutPadTakesTheStyleOfTheLoosePadUnderIt) {
    // The pin sits at (1, 0) in the package; the part is turned 90 degrees counter-clockwise
    // about (10, 10), so the pin lands on (10, 11). A mirrored part sends it to (9, 20).
    const std::string step =
        R"(<PadStackDef name="MECH"><PadstackHoleDef name="h" diameter="2.0" platingStatus="NONPLATED"/></PadStackDef>
<PadStackDef name="VIA"/>
<Package name="PKG"><Pin number="M1"><Location x="1" y="0"/></Pin></Package>
<Component refDes="J1" packageRef="PKG" layerRef="TOP"><Xform rotation="90"/><Location x="10" y="10"/></Component>
<Component refDes="J2" packageRef="PKG" layerRef="TOP"><Xform mirror="true"/><Location x="10" y="20"/></Component>)" +
        Pad("TOP", "", "", "VIA", 10, 9) + Pad("TOP", "", "", "VIA", 10.05, 11) +
        Pad("TOP", "", "", "MECH", 10.005, 11) + Pad("TOP", "", "", "VIA", 10, 11) +
        Pad("TOP", "", "", "MECH", 9, 20.008);
    const Design design = Parse(Document("MILLIMETER", kRectDictionary, step));
    ASSERT_EQ(design.components.size(), 2u);
    ASSERT_EQ(design.components[0].pads.size(), 1u);
    // The first loose pad in file order within 0.01 mm, not the nearest.
    EXPECT_EQ(StyleOf(design, design.components[0].pads[0]), "MECH");
    EXPECT_EQ(design.padStyles[design.components[0].pads[0].padStyle].holeDiameter, 5080);
    EXPECT_NEAR(design.components[0].pads[0].position.x, 10, 1e-9);
    EXPECT_NEAR(design.components[0].pads[0].position.y, -11, 1e-9);  // y grows downwards
    ASSERT_EQ(design.components[1].pads.size(), 1u);
    EXPECT_EQ(StyleOf(design, design.components[1].pads[0]), "MECH");
    EXPECT_TRUE(design.components[1].bottomSide);
}

TEST(Ipc2581Mapping, InlinePadStacksGetGeneratedNames) {
    const std::string mmDictionary =
        R"(<DictionaryStandard units="MILLIMETER">
<EntryStandard id="R"><RectCenter width="0.850" height="0.70"/></EntryStandard>
<EntryStandard id="C"><Circle diameter="1.50"/></EntryStandard>
<EntryStandard id="RR"><RectRound width="0.56" height="0.62" radius="0.14"/></EntryStandard>
</DictionaryStandard>)";
    const std::string step =
        R"(<Package name="PKG"><Pin number="1"/><Pin number="2"/><Pin number="3"/><Pin number="4"/></Package>
<Component refDes="U1" packageRef="PKG" layerRef="TOP"/>
<PadStack><LayerPad layerRef="TOP"><Location x="0" y="0"/><StandardPrimitiveRef id="R"/><PinRef componentRef="U1" pin="1"/></LayerPad></PadStack>
<PadStack><LayerHole name="h" diameter="1.000" platingStatus="VIA"/>
  <LayerPad layerRef="TOP"><Location x="1" y="0"/><StandardPrimitiveRef id="C"/><PinRef componentRef="U1" pin="2"/></LayerPad>
  <LayerPad layerRef="BOTTOM"><Location x="1" y="0"/><StandardPrimitiveRef id="R"/><PinRef componentRef="U1" pin="2"/></LayerPad></PadStack>
<PadStack><LayerHole name="h" diameter="0.5" platingStatus="PLATED"/>
  <LayerPad layerRef="MASK"><Location x="2" y="0"/><StandardPrimitiveRef id="R"/><PinRef componentRef="U1" pin="3"/></LayerPad></PadStack>
<PadStack><LayerPad layerRef="TOP"><Location x="3" y="0"/><StandardPrimitiveRef id="RR"/><PinRef componentRef="U1" pin="4"/></LayerPad></PadStack>)";
    const Design design = Parse(Document("MILLIMETER", mmDictionary, step));
    ASSERT_EQ(design.components.size(), 1u);
    const auto& pads = design.components[0].pads;
    ASSERT_EQ(pads.size(), 4u);
    EXPECT_EQ(StyleOf(design, pads[0]), "SMD Rect 0.85x0.7");
    EXPECT_EQ(StyleOf(design, pads[1]), "THT Circle 1.5 D1");  // shape of the first outer pad
    EXPECT_EQ(design.padStyles[pads[1].padStyle].holeDiameter, 2540);
    EXPECT_EQ(StyleOf(design, pads[2]), "THT Hole D0.5");  // no pad on copper
    EXPECT_EQ(StyleOf(design, pads[3]), "SMD RoundRect 0.56x0.62 R0.14");

    // Inches, converted exactly before rounding to four decimals.
    const std::string inchDictionary =
        R"(<DictionaryStandard units="INCH"><EntryStandard id="C"><Circle diameter="0.092"/></EntryStandard></DictionaryStandard>)";
    const std::string npth = R"(<Package name="PKG"><Pin number="1"/></Package>
<Component refDes="H1" packageRef="PKG" layerRef="TOP"/>
<PadStack><LayerHole name="h" diameter="0.093" platingStatus="NONPLATED"/>
  <LayerPad layerRef="BOTTOM"><Location x="0" y="0"/><StandardPrimitiveRef id="C"/><PinRef componentRef="H1" pin="1"/></LayerPad></PadStack>)";
    const Design inch = Parse(Document("INCH", inchDictionary, npth));
    ASSERT_EQ(inch.components.at(0).pads.size(), 1u);
    EXPECT_EQ(StyleOf(inch, inch.components[0].pads[0]), "NPTH Circle 2.3368 D2.3622");
    EXPECT_EQ(inch.padStyles[0].holeDiameter, 6000);  // 2.3622 mm * 2540 = 5999.988
}

TEST(Ipc2581Mapping, AttributesInOrderFirstValueKeptBomJoinedOnRefDes) {
    const std::string bom = R"(<Bom name="b"><BomItem OEMDesignNumberRef="X" description="Resistor">
  <RefDes name="R1" packageRef="PKG"/>
  <Characteristics><Textual textualCharacteristicName="Value" textualCharacteristicValue="22k"/>
  <Textual textualCharacteristicName="Tolerance" textualCharacteristicValue="1%"/></Characteristics></BomItem>
<BomItem OEMDesignNumberRef="Y" description="Other"><RefDes name="PKG_1"/>
  <Characteristics><Textual textualCharacteristicName="Wrong" textualCharacteristicValue="join"/></Characteristics></BomItem></Bom>
)";
    const std::string step = R"(<Package name="PKG_1"><Pin number="1"/></Package>
<Component refDes="R1" packageRef="PKG_1" part="RES" layerRef="TOP">
  <NonstandardAttribute name="Value" value="10k" type="STRING"/></Component>
<Component refDes="R2" packageRef="PKG_1" part="RES" layerRef="TOP"/>)";
    const Design design = Parse(Document("MILLIMETER", "", step, bom));
    ASSERT_EQ(design.components.size(), 2u);
    const auto& a = design.components[0].attributes;
    ASSERT_EQ(a.size(), 3u);
    EXPECT_EQ(a[0].name + "=" + a[0].value, "Value=10k");
    EXPECT_EQ(a[1].name + "=" + a[1].value, "Tolerance=1%");
    EXPECT_EQ(a[2].name + "=" + a[2].value, "Description=Resistor");
    for (const auto& attribute : a) EXPECT_EQ(attribute.textStyle, -1);
    EXPECT_TRUE(design.components[1].attributes.empty());
    // A component without a pad or outline still lists, with its one pad of no style.
    EXPECT_EQ(design.components[1].pads.size(), 1u);
}

TEST(Ipc2581Mapping, UnitsAndPlacementOfTheBoardView) {
    const std::string dictionary =
        R"(<DictionaryStandard units="MICRON"><EntryStandard id="RECT"><RectCenter width="1500" height="500"/></EntryStandard></DictionaryStandard>
<DictionaryStandard><EntryStandard id="C"><Circle diameter="0.05"/></EntryStandard></DictionaryStandard>)";
    const std::string step =
        R"(<Profile><Polygon><PolyBegin x="0" y="0"/><PolyStepSegment x="1" y="0"/><PolyStepSegment x="1" y="1"/></Polygon></Profile>
<PadStackDef name="P"/>
<Package name="PKG"><Outline><Polygon><PolyBegin x="0.1" y="0"/><PolyStepSegment x="0.1" y="0.05"/></Polygon></Outline><Pin number="1"/></Package>
<Component refDes="U1" packageRef="PKG" layerRef="TOP"><Xform rotation="90"/><Location x="1" y="2"/></Component>
<Component refDes="U2" packageRef="PKG" layerRef="TOP"/>
<PadStack><LayerPad layerRef="TOP"><StandardPrimitiveRef id="C"/><PinRef componentRef="U2" pin="1"/></LayerPad></PadStack>)" +
        Pad("TOP", "U1", "1", "P", 1, 2);
    const Design design = Parse(Document("INCH", dictionary, step));
    ASSERT_EQ(design.components.size(), 2u);
    const auto& u1 = design.components[0];
    EXPECT_NEAR(u1.position.x, 25.4, 1e-9);
    EXPECT_NEAR(u1.position.y, -50.8, 1e-9);
    EXPECT_DOUBLE_EQ(u1.rotation, 90);
    // Outline point (0.1, 0) in inches, turned counter-clockwise: (0, 0.1) from the part.
    ASSERT_EQ(u1.outline.size(), 1u);
    EXPECT_NEAR(u1.outline[0].a.x, 25.4, 1e-9);
    EXPECT_NEAR(u1.outline[0].a.y, -(50.8 + 2.54), 1e-9);
    ASSERT_EQ(u1.pads.size(), 1u);
    const auto& geometry = design.padStyles.at(u1.pads[0].padStyle).geometry;
    EXPECT_EQ(geometry.shape, boards::PadShape::Rect);
    EXPECT_NEAR(geometry.sizeX, 1.5, 1e-9);  // microns, from the dictionary's own units
    EXPECT_NEAR(geometry.sizeY, 0.5, 1e-9);
    // A dictionary without units of its own is in the CadHeader's, which comes after it.
    ASSERT_EQ(design.components[1].pads.size(), 1u);
    const int circle = design.components[1].pads[0].padStyle;
    ASSERT_GE(circle, 0);
    EXPECT_EQ(design.padStyles[circle].name, "SMD Circle 1.27");
    EXPECT_NEAR(design.padStyles[circle].geometry.sizeX, 1.27, 1e-9);
    EXPECT_EQ(design.boardOutline.size(), 2u);
    EXPECT_NEAR(design.boardOutline[1].b.y, -25.4, 1e-9);
}

TEST(Ipc2581Mapping, DecimalsRoundHalfUpFromTheirText) {
    const auto scaled = [](const char* text, LengthUnit unit) {
        DecimalText d;
        EXPECT_TRUE(DecimalText::Parse(text, d)) << text;
        return d.ToScaledMm(unit, 2540);
    };
    EXPECT_EQ(scaled("25", LengthUnit::Micron()), 64);  // 63.5 exactly
    EXPECT_EQ(scaled("1", LengthUnit::Millimetre()), 2540);
    EXPECT_EQ(scaled("0.075", LengthUnit::Inch()), 4839);  // 4838.7
    EXPECT_EQ(scaled("1.5e-1", LengthUnit::Millimetre()), 381);
    const auto mm = [](const char* text, LengthUnit unit) {
        DecimalText d;
        EXPECT_TRUE(DecimalText::Parse(text, d)) << text;
        return d.FormatMm(unit);
    };
    EXPECT_EQ(mm("1.23455", LengthUnit::Millimetre()), "1.2346");
    EXPECT_EQ(mm("0.00005", LengthUnit::Inch()), "0.0013");  // 0.00127
    EXPECT_EQ(mm("2.000", LengthUnit::Millimetre()), "2");
    EXPECT_EQ(mm("1500", LengthUnit::Micron()), "1.5");
    DecimalText d;
    for (const char* bad : {"", "-", "1.2.3", "1e", "abc", "99999999999999999999999"})
        EXPECT_FALSE(DecimalText::Parse(bad, d)) << bad;
}

}  // namespace
