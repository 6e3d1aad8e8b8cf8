// SPDX-License-Identifier: GPL-3.0-or-later
// The floor of each finder operation: the same walks through the library's calls, with the
// same texts made and the same distinct values kept, but no widgets, counters or cursors.
#pragma once

#include <string>

namespace floorwalks {

// Each returns the number of values counted (items for Get, components searched for Where
// Used), so that a walk cannot be optimised away and can be checked against the counter.
int GetPads();
int PadWhereUsed(const std::string& padStyle);
int GetHoles();
int HoleWhereUsed(const std::string& holeSize);
int GetAttributes();
int AttributeWhereUsed(const std::string& name);
int GetText();
int TextWhereUsed(const std::string& textStyle);

}  // namespace floorwalks
