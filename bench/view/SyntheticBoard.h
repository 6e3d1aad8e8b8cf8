// SPDX-License-Identifier: GPL-3.0-or-later
// A large generated board for the view benchmark: a grid of chip resistors, SOICs, DIPs with
// drilled pads, BGAs and QFPs, some turned, some on the bottom side.
#pragma once

#include <memory>

#include "pcbhost/Design.h"

namespace pcbhost::view::bench {

std::shared_ptr<Design> MakeSyntheticBoard(int minimumPads);

}  // namespace pcbhost::view::bench
