// SPDX-License-Identifier: GPL-3.0-or-later
// A large ODB++ job written for the benchmark, shaped as exporters write one: two component
// layers, four copper layers with pads and tracks, masks, silkscreen, a drill layer, eda/data
// with packages, nets and feature links.
#pragma once

#include <string>
#include <utility>
#include <vector>

namespace bench {

using Members = std::vector<std::pair<std::string, std::string>>;

// `components` components of four pads each, half on each side; one in eight through-hole.
Members GenerateJob(int components);
// The members as a tgz ("tgz") or zip ("zip") archive in memory.
std::string WriteArchive(const Members& members, const std::string& kind);

}  // namespace bench
