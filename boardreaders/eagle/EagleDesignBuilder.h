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
    bool AddComponent(const Element& element, Design& design, ReadError& error);
    bool AddAttributes(const Element& element, const Package& package, Component& component,
                       Design& design, ReadError& error);
    // Indices into the design's styles, adding a style when it is new; -1 with the reason when
    // its name would not fit the library's records (-1 without one: no text style).
    int PadStyleIndex(Package& package, size_t pad, Design& design, std::string& problem);
    int TextStyleIndex(const TextLook& look, Design& design, std::string& problem);

    Model& model_;
    const std::string& fileName_;
    std::unordered_map<std::string, int> padStyles_, textStyles_;
    size_t drawingBudget_ = 0;  // outline segments still to be drawn
};

}  // namespace boards::eagle
