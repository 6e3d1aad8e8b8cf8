// SPDX-License-Identifier: GPL-3.0-or-later
// The mapping rules of README.md: a PcbDocBoardModel made a Design (components with their pads
// and attributes, pad and text styles, and the geometry the board view draws).
#pragma once

#include <string>

#include "PcbDocBoardModel.h"
#include "boardreaders/Design.h"

namespace boards::pcbdoc {

// False with the reason when a name cannot be served (too long, a control character).
bool BuildPcbDocDesign(const PcbDocBoardModel& model, Design& out, std::string* reason);

}  // namespace boards::pcbdoc
