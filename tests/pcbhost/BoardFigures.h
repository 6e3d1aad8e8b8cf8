// SPDX-License-Identifier: GPL-3.0-or-later
// What the finders see of a design read from a real board, for comparing readers with tables of
// expected figures (tab-separated, '#' comments, one header line).
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "Design.h"

namespace boards::test {

struct BoardFigures {
    std::size_t components = 0, pads = 0, holedPads = 0, styleNames = 0, attributes = 0;
    std::string holeSizes;  // as the hole finder prints them, comma-separated, sorted as text
};

// The figures of the snapshot pcbhost serves for `design`: pad styles by id (none for a pad
// without a style), holes printed as "%.2f" of units * 0.0003937007874015748.
BoardFigures FiguresServed(const Design& design);

// The rows of a figure table, each with `columns` cells (missing trailing cells are empty).
std::vector<std::vector<std::string>> ReadFigureTable(const std::string& path, std::size_t columns);

}  // namespace boards::test
