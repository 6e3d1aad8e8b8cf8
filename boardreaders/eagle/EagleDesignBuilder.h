// SPDX-License-Identifier: GPL-3.0-or-later
// The mapping rules of README.md: Eagle model → design. Each element becomes a component with
// its package's pads placed on the board, pad and text styles named, and the geometry the board
// view draws.
#pragma once

#include <string>
#include <unordered_map>

#include "EagleModel.h"
#include "boardreaders/ReadError.h"

namespace boards::eagle {

class EagleDesignBuilder {
  public:
    EagleDesignBuilder(Model& model, const std::string& fileName)
        : model_(model), fileName_(fileName) {}

    // Fills `out` whole or, on failure, leaves it untouched and says why.
    bool Build(Design& out, ReadError& error);

  private:
    // The package an element is placed from, or -1 with the reason.
    int PackageOf(const Element& element, std::string& problem) const;
    bool AddComponent(const Element& element, Design& design, ReadError& error);
    bool AddAttributes(const Element& element, const Package& package, Component& component,
                       ReadError& error);
    int PadStyleIndex(Package& package, size_t pad, Design& design);
    int TextStyleIndex(const TextLook& look, Design& design);

    Model& model_;
    const std::string& fileName_;
    Design* design_ = nullptr;  // the design being built
    std::unordered_map<std::string, int> padStyles_, textStyles_;
};

}  // namespace boards::eagle
