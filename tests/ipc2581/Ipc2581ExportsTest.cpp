// SPDX-License-Identifier: GPL-3.0-or-later
// The reader against real exports (KiCad 9, Allegro 17.4): every figure of expected.tsv, taken
// from the snapshot pcbhost serves, and the cases the mapping rules single out.
#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "BoardFigures.h"
#include "boardreaders/BoardFormats.h"
#include "boardreaders/ipc2581/Ipc2581Reader.h"

namespace {

using boards::Design;
using boards::ReadError;

const std::string kDataDir = PARTWISE_IPC2581_DATA_DIR;
const std::string kSourceDataDir = std::string(PARTWISE_SOURCE_DIR) + "/tests/ipc2581/data";

Design ReadBoard(const std::string& name) {
    Design design;
    ReadError error;
    EXPECT_TRUE(boards::ReadIpc2581Board(kDataDir + "/" + name, design, error)) << error.ToString();
    return design;
}

const boards::Component* Find(const Design& design, const std::string& refDes) {
    for (const auto& c : design.components)
        if (c.refDes == refDes) return &c;
    return nullptr;
}

TEST(Ipc2581Exports, EveryFigureOfTheExpectedTableMatches) {
    const auto rows = boards::test::ReadFigureTable(kSourceDataDir + "/expected.tsv", 7);
    ASSERT_EQ(rows.size(), 3u) << "expected table missing or changed";
    for (const auto& row : rows) {
        SCOPED_TRACE(row[0]);
        ASSERT_EQ(row.size(), 7u);
        // Through the loader, as pcbhost opens it.
        Design design;
        ReadError error;
        ASSERT_TRUE(boards::BoardFormats::Load(kDataDir + "/" + row[0], design, error))
            << error.ToString();
        const auto f = boards::test::FiguresServed(design);
        EXPECT_EQ(f.components, std::stoul(row[1]));
        EXPECT_EQ(f.pads, std::stoul(row[2]));
        EXPECT_EQ(f.holedPads, std::stoul(row[3]));
        EXPECT_EQ(f.holeSizes, row[4]);
        EXPECT_EQ(f.styleNames, std::stoul(row[5]));
        EXPECT_EQ(f.attributes, std::stoul(row[6]));
    }
}

TEST(Ipc2581Exports, KicadBoardKeepsDesignersNamesAndSplitsRepeatedPins) {
    const Design design = ReadBoard("kicad9-DM0002.xml");
    // J2 "S1" is listed once by the package but has four pads on F.Cu.
    const auto* j2 = Find(design, "J2");
    ASSERT_NE(j2, nullptr);
    int s1 = 0;
    for (const auto& pad : j2->pads) s1 += pad.number == "S1";
    EXPECT_EQ(s1, 4);
    // BOM characteristics joined on the refdes although packageRef carries a "_1" suffix.
    const auto* c3 = Find(design, "C3");
    ASSERT_NE(c3, nullptr);
    bool capacitance = false;
    for (const auto& a : c3->attributes) {
        capacitance = capacitance || (a.name == "Capacitance" && a.value == "100nF");
        EXPECT_NE(a.name, "part");
        EXPECT_NE(a.name, "packageRef");
        EXPECT_EQ(a.textStyle, -1);  // stroke text: no text style
    }
    EXPECT_TRUE(capacitance);
    EXPECT_TRUE(design.textStyles.empty());
    // Geometry for the board view: outline, placed pads with shapes, component outlines.
    EXPECT_TRUE(design.hasGeometry);
    EXPECT_FALSE(design.boardOutline.empty());
    EXPECT_FALSE(c3->outline.empty());
    for (const auto& pad : c3->pads) {
        ASSERT_GE(pad.padStyle, 0);
        EXPECT_GT(design.padStyles[pad.padStyle].geometry.sizeX, 0);
        // Within a few mm of the component (y flipped to grow downwards).
        EXPECT_NEAR(pad.position.x, c3->position.x, 2.0);
        EXPECT_NEAR(pad.position.y, c3->position.y, 2.0);
    }
    EXPECT_NEAR(c3->position.x, 144.75, 1e-6);
    EXPECT_NEAR(c3->position.y, 101.935, 1e-6);
}

TEST(Ipc2581Exports, AllegroMechanicalPinsAndUnnamedPartsAreKept) {
    const Design design = ReadBoard("allegro-testcase3.xml");
    // Allegro's unnamed mechanical parts are components.
    bool unnamed = false;
    for (const auto& c : design.components)
        unnamed = unnamed || (c.refDes.rfind("OR_", 0) == 0 && c.refDes.size() == 19);
    EXPECT_TRUE(unnamed);
    // J1 MECH1 has no PinRef: placed from the package, it lands on a 100C75D pad.
    const auto* j1 = Find(design, "J1");
    ASSERT_NE(j1, nullptr);
    const boards::Pad* mech1 = nullptr;
    for (const auto& pad : j1->pads)
        if (pad.number == "MECH1") mech1 = &pad;
    ASSERT_NE(mech1, nullptr);
    ASSERT_GE(mech1->padStyle, 0);
    EXPECT_EQ(design.padStyles[mech1->padStyle].name, "100C75D");
    // 0.075 in = 1.905 mm = 4838.7 design units, rounded half up.
    EXPECT_EQ(design.padStyles[mech1->padStyle].holeDiameter, 4839);
}

}  // namespace
