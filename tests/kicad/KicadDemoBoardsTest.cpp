// SPDX-License-Identifier: GPL-3.0-or-later
// The reader against KiCad's own figures for its demo boards, and the bundled demo board.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "pcbhost/kicad/KicadBoardReader.h"

namespace {

using pcbhost::Design;
using pcbhost::ReadError;

struct Figures {
    size_t components = 0, pads = 0, holedPads = 0;
    std::string holeSizes;  // as the hole finder lists them, comma-separated, sorted as text
};

// What the finders see of a design: walked components and pads, holes by their pad style.
Figures FiguresOf(const Design& design) {
    Figures f;
    std::set<std::string> sizes;
    f.components = design.components.size();
    for (const auto& component : design.components) {
        for (const auto& pad : component.pads) {
            ++f.pads;
            const int32_t hole = design.padStyles.at(pad.padStyle).holeDiameter;
            if (hole <= 0) continue;
            ++f.holedPads;
            char text[32];
            std::snprintf(text, sizeof text, "%.2f", hole * 0.0003937007874015748);
            sizes.insert(text);
        }
    }
    for (const auto& size : sizes) f.holeSizes += (f.holeSizes.empty() ? "" : ",") + size;
    return f;
}

std::vector<std::vector<std::string>> ExpectedRows() {
    std::ifstream in(PARTWISE_KICAD_EXPECTED_TSV);
    std::vector<std::vector<std::string>> rows;
    std::string line;
    bool header = true;
    while (std::getline(in, line)) {
        if (line.empty() || line[0] == '#') continue;
        if (header) {  // column names
            header = false;
            continue;
        }
        std::vector<std::string> cells;
        std::stringstream cellStream(line);
        std::string cell;
        while (std::getline(cellStream, cell, '\t')) cells.push_back(cell);
        if (cells.size() == 4) cells.emplace_back();  // no hole sizes
        rows.push_back(cells);
    }
    return rows;
}

TEST(KicadDemoBoards, EveryFigureMatchesKicadsOwnLoader) {
    const auto rows = ExpectedRows();
    ASSERT_EQ(rows.size(), 8u) << "expected table missing or changed";
    for (const auto& row : rows) {
        SCOPED_TRACE(row[0]);
        ASSERT_EQ(row.size(), 5u);
        Design design;
        ReadError error;
        ASSERT_TRUE(pcbhost::ReadKicadBoard(std::string(PARTWISE_KICAD_DEMOS_DIR) + "/" + row[0],
                                            design, error))
            << error.ToString();
        const Figures f = FiguresOf(design);
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
        ASSERT_TRUE(pcbhost::ReadKicadBoard(entry.path().string(), design, error))
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
    ASSERT_TRUE(pcbhost::ReadKicadBoard(
        std::string(PARTWISE_SOURCE_DIR) + "/examples/demo.kicad_pcb", design, error))
        << error.ToString();
    EXPECT_GE(design.components.size(), 60u);
    std::set<pcbhost::PadType> types;
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
