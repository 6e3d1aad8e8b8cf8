// SPDX-License-Identifier: GPL-3.0-or-later
// The mapping rules of README.md: an AltiumBoardModel made a Design (components with their pads
// and attributes, pad and text styles, and the geometry the board view draws).
#pragma once

#include <string>

#include "AltiumBoardModel.h"
#include "boardreaders/Design.h"

namespace boards::altium {

// False with the reason when a name cannot be served (too long, a control character).
bool BuildAltiumDesign(const AltiumBoardModel& model, Design& out, std::string* reason);

}  // namespace boards::altium
