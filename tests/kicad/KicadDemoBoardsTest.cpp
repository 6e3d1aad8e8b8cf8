// SPDX-License-Identifier: GPL-3.0-or-later
// The reader against KiCad's own figures for its demo boards, and the bundled demo board.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include "BoardFigures.h"
#include "boardreaders/kicad/KicadBoardReader.h"

namespace {

using boards::Design;
using boards::ReadError;

TEST(KicadDemoBoards, EveryFigureMatchesKicadsOwnLoader) {
    const auto rows = boards::test::ReadFigureTable(PARTWISE_KICAD_EXPECTED_TSV, 5);
    ASSERT_EQ(rows.size(), 8u) << "expected table missing or changed";
    for (const auto& row : rows) {
        SCOPED_TRACE(row[0]);
        ASSERT_EQ(row.size(), 5u);
        Design design;
        ReadError error;
        ASSERT_TRUE(boards::ReadKicadBoard(std::string(PARTWISE_KICAD_DEMOS_DIR) + "/" + row[0],
                                           design, error))
            << error.ToString();
        const auto f = boards::test::FiguresServed(design);
        EXPECT_EQ(f.components, std::stoul(row[1]));
        EXPECT_EQ(f.pads, std::stoul(row[2]));
        EXPECT_EQ(f.holedPads, std::stoul(row[3]));
        EXPECT_EQ(f.holeSizes, row[4]);
    }
}

TEST(KicadDemoBoards, EveryDemoBoardReadsWithSensibleContents) {
    size_t boards = 0;
    for (const auto& entry :
         std::filesystem::recursive_directory_iterator(PARTWISE_KICAD_DEMOS_DIR)) {
        if (entry.path().extension() != ".kicad_pcb") continue;
        SCOPED_TRACE(entry.path().string());
        ++boards;
        Design design;
        ReadError error;
        ASSERT_TRUE(boards::ReadKicadBoard(entry.path().string(), design, error))
            << error.ToString();
        EXPECT_FALSE(design.components.empty());
        EXPECT_FALSE(design.boardOutline.empty());
        double left = 1e9, top = 1e9, right = -1e9, bottom = -1e9;
        for (const auto& s : design.boardOutline) {
            for (const auto& p : {s.a, s.b}) {
                left = std::min(left, p.x), right = std::max(right, p.x);
                top = std::min(top, p.y), bottom = std::max(bottom, p.y);
            }
        }
        for (const auto& component : design.components) {
            EXPECT_FALSE(component.refDes.empty());
            ASSERT_FALSE(component.attributes.empty());
            EXPECT_EQ(component.attributes[0].name, "Reference");
            EXPECT_EQ(component.attributes[0].value, component.refDes);
            for (const auto& pad : component.pads) {
                // Placed pads land on the board (give or take parts hanging over its edge).
                EXPECT_TRUE(pad.position.x > left - 10 && pad.position.x < right + 10 &&
                            pad.position.y > top - 10 && pad.position.y < bottom + 10)
                    << component.refDes << " pad " << pad.number;
            }
        }
    }
    EXPECT_GE(boards, 14u);
}

TEST(KicadDemoBoards, BundledDemoIsARealisticBoard) {
    Design design;
    ReadError error;
    ASSERT_TRUE(boards::ReadKicadBoard(
        std::string(PARTWISE_SOURCE_DIR) + "/examples/demo.kicad_pcb", design, error))
        << error.ToString();
    EXPECT_GE(design.components.size(), 60u);
    std::set<boards::PadType> types;
    std::set<char> prefixes;
    for (const auto& component : design.components) {
        prefixes.insert(component.refDes[0]);
        for (const auto& pad : component.pads) {
            types.insert(design.padStyles.at(pad.padStyle).geometry.type);
        }
        EXPECT_FALSE(component.outline.empty()) << component.refDes;
    }
    EXPECT_EQ(types.size(), 4u);  // through-hole, SMD, connector and unplated mounting holes
    for (char prefix : {'R', 'C', 'U', 'J', 'H', 'D'})
        EXPECT_TRUE(prefixes.count(prefix)) << prefix;
    EXPECT_FALSE(design.boardOutline.empty());
}

}  // namespace
