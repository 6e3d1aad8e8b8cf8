// SPDX-License-Identifier: GPL-3.0-or-later
#include "BoardFigures.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <set>
#include <sstream>

#include "SnapshotBuilder.h"
#include "SnapshotReader.h"

namespace boards::test {

BoardFigures FiguresServed(const Design& design) {
    std::string why;
    auto snapshot = dbx::Snapshot::Decode(pcbhost::SnapshotBuilder::Build(design, 1), &why);
    EXPECT_TRUE(snapshot) << why;
    BoardFigures f;
    if (!snapshot) return f;
    std::set<std::string> sizes, names;
    f.components = snapshot->components.size();
    f.attributes = snapshot->attributes.size();
    for (const auto& pad : snapshot->pads) {
        ++f.pads;
        if (pad.padStyle < 0) continue;
        const auto& style = snapshot->padStyles.at(pad.padStyle);
        names.insert(std::string(snapshot->Text(style.name)));
        if (style.holeDiameter <= 0) continue;
        ++f.holedPads;
        char text[32];
        std::snprintf(text, sizeof text, "%.2f", style.holeDiameter * 0.0003937007874015748);
        sizes.insert(text);
    }
    f.styleNames = names.size();
    for (const auto& size : sizes) f.holeSizes += (f.holeSizes.empty() ? "" : ",") + size;
    return f;
}

std::vector<std::vector<std::string>> ReadFigureTable(const std::string& path,
                                                      std::size_t columns) {
    std::ifstream in(path);
    EXPECT_TRUE(in) << "cannot read " << path;
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
        if (cells.size() < columns) cells.resize(columns);  // an empty last cell
        rows.push_back(cells);
    }
    return rows;
}

}  // namespace boards::test
