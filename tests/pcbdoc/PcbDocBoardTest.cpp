// SPDX-License-Identifier: GPL-3.0-or-later
// The reader on the real board of data/: every figure of expected.tsv through the snapshot
// pcbhost serves, the rules the README names on it, and the same file unpadded and renamed.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "BoardFigures.h"
#include "boardreaders/BoardFormats.h"
#include "boardreaders/pcbdoc/PcbDocReader.h"

namespace {

using boards::Design;
using boards::ReadError;

const std::string kDataDir = PARTWISE_PCBDOC_DATA_DIR;
const std::string kSourceDataDir = std::string(PARTWISE_SOURCE_DIR) + "/tests/pcbdoc/data";

std::string Slurp(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

const boards::Component* Find(const Design& design, const std::string& refDes) {
    for (const auto& c : design.components)
        if (c.refDes == refDes) return &c;
    return nullptr;
}

const boards::Attribute* AttributeOf(const boards::Component& c, const std::string& name) {
    for (const auto& a : c.attributes)
        if (a.name == name) return &a;
    return nullptr;
}

TEST(PcbDocBoard, EveryFigureOfTheExpectedTableMatches) {
    const auto rows = boards::test::ReadFigureTable(kSourceDataDir + "/expected.tsv", 7);
    ASSERT_EQ(rows.size(), 1u) << "expected table missing or changed";
    for (const auto& row : rows) {
        SCOPED_TRACE(row[0]);
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

TEST(PcbDocBoard, PadsStylesAttributesAndGeometryFollowTheRules) {
    Design design;
    ReadError error;
    ASSERT_TRUE(boards::ReadPcbDocBoard(kDataDir + "/oim-fsm-driver.PcbDoc", design, error))
        << error.ToString();
    const auto* u7 = Find(design, "U7");
    ASSERT_NE(u7, nullptr);
    ASSERT_EQ(u7->pads.size(), 16u);
    // TSSOP16: pin 1 rectangular, the others rounded (PcbDoc's circle shape, not square).
    for (const auto& pad : u7->pads) {
        ASSERT_GE(pad.padStyle, 0);
        const auto& style = design.padStyles[std::size_t(pad.padStyle)];
        EXPECT_EQ(style.name, pad.number == "1" ? "SMD Rect 1.05x0.45" : "SMD Oval 1.05x0.45");
        EXPECT_EQ(style.holeDiameter, 0);
        EXPECT_TRUE(pad.onTop);
        EXPECT_NEAR(pad.position.x, u7->position.x, 4.0);
        EXPECT_NEAR(pad.position.y, u7->position.y, 4.0);
    }
    // Designator and comment with their text style; parameters; the description in Unicode.
    const auto* designator = AttributeOf(*u7, "Designator");
    ASSERT_NE(designator, nullptr);
    EXPECT_EQ(designator->value, "U7");
    ASSERT_GE(designator->textStyle, 0);
    EXPECT_EQ(design.textStyles[std::size_t(designator->textStyle)].name, "Stroke 1.524 w0.254");
    const auto* comment = AttributeOf(*u7, "Comment");
    ASSERT_NE(comment, nullptr);
    EXPECT_EQ(comment->value, "AD5592RBRUZ");
    EXPECT_GE(comment->textStyle, 0);
    const auto* ref = AttributeOf(*u7, "Ref");
    ASSERT_NE(ref, nullptr);
    EXPECT_EQ(ref->textStyle, -1);
    const auto* u8 = Find(design, "U8");
    ASSERT_NE(u8, nullptr);
    const auto* description = AttributeOf(*u8, "Description");
    ASSERT_NE(description, nullptr);
    EXPECT_NE(description->value.find("35\xCE\xBC"
                                      "A"),
              std::string::npos)
        << description->value;
    // Through-hole styles: a 1 mm hole is 2540 design units, the 3.05 mm mounting holes 7747.
    bool round = false, mounting = false;
    for (const auto& s : design.padStyles) {
        round = round || (s.name == "THT Circle 2 D1" && s.holeDiameter == 2540);
        mounting = mounting || (s.name == "THT Circle 5 D3.05" && s.holeDiameter == 7747);
    }
    EXPECT_TRUE(round);
    EXPECT_TRUE(mounting);
    // The board view: outline, overlay outlines of components, placed pads with shapes.
    EXPECT_TRUE(design.hasGeometry);
    EXPECT_GE(design.boardOutline.size(), 4u);
    EXPECT_FALSE(u7->outline.empty());
    EXPECT_NEAR(u7->position.x, 4031.614 * 0.0254, 1e-6);
    EXPECT_NEAR(u7->position.y, -1742.2047 * 0.0254, 1e-6);
}

TEST(PcbDocBoard, UnpaddedLastSectorAndAnyNameReadTheSame) {
    const std::string bytes = Slurp(kDataDir + "/oim-fsm-driver.PcbDoc");
    ASSERT_EQ(bytes.size() % 512, 0u);
    Design whole;
    ReadError error;
    ASSERT_TRUE(boards::ParsePcbDocBoard(bytes, "whole", whole, error)) << error.ToString();
    // Its last sector is part of the directory: cut its trailing zero bytes, as writers that
    // do not pad the last sector leave it.
    std::string cut = bytes;
    while (!cut.empty() && cut.back() == '\0') cut.pop_back();
    ASSERT_NE(cut.size() % 512, 0u);
    const std::string path = ::testing::TempDir() + "pcbdoc-unpadded.bin";
    std::ofstream(path, std::ios::binary) << cut;
    Design design;
    ASSERT_TRUE(boards::BoardFormats::Load(path, design, error)) << error.ToString();
    const auto a = boards::test::FiguresServed(whole);
    const auto b = boards::test::FiguresServed(design);
    EXPECT_EQ(a.components, b.components);
    EXPECT_EQ(a.pads, b.pads);
    EXPECT_EQ(a.holeSizes, b.holeSizes);
    EXPECT_EQ(a.attributes, b.attributes);
    // Found by its content whatever its name; the formats listed include it.
    const boards::BoardFormat* format = boards::BoardFormats::Find(path, error);
    ASSERT_NE(format, nullptr) << error.ToString();
    EXPECT_EQ(format->Name(), "PcbDoc PCB document");
    EXPECT_NE(boards::BoardFormats::Describe().find("PcbDoc PCB document (.pcbdoc)"),
              std::string::npos);
}

}  // namespace
