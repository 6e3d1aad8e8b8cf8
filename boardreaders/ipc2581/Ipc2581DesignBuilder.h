// SPDX-License-Identifier: GPL-3.0-or-later
// Applies the mapping rules to what the reader kept: components in file order, their pads per
// package pin, pad styles, attributes and the board view's geometry.
#pragma once

#include <string>
#include <unordered_map>
#include <vector>

#include "Ipc2581Model.h"
#include "boardreaders/Design.h"
#include "boardreaders/ReadError.h"

namespace boards::ipc2581 {

class Ipc2581DesignBuilder {
  public:
    Ipc2581DesignBuilder(const Model& model, std::string fileName)
        : model_(model), fileName_(std::move(fileName)) {}

    bool Build(Design& out, ReadError& error);

  private:
    struct Style {
        int index = -1;
        const Primitive* primitive = nullptr;
    };

    bool CheckSize(ReadError& error) const;
    void IndexOccurrences();
    void IndexLoosePads();
    bool AddComponent(const ComponentRecord& record, Design& design, ReadError& error);
    void AddPinPads(uint32_t pin, const uint32_t* begin, const uint32_t* end, Component& component,
                    Design& design);
    void AddPadWithoutOccurrence(const ComponentRecord& record, uint32_t pin, Point local,
                                 Component& component, Design& design);
    Style StyleOf(const PadOccurrence& occurrence, const Primitive* pinCopperShape, Design& design);
    int StyleIndex(const std::string& name, int32_t holeUnits, const Primitive* primitive,
                   bool plated, Design& design);
    bool AddAttributes(const ComponentRecord& record, Component& component, ReadError& error);
    const Primitive* PrimitiveAt(uint32_t index) const;
    const Layer& LayerAt(uint32_t index) const;
    Point PlacePinLocation(const ComponentRecord& record, Point local) const;

    const Model& model_;
    std::string fileName_;
    std::vector<Layer> layerByOrder_;
    std::vector<uint32_t> occurrenceOrder_;  // occurrence indices grouped by (component, pin)
    std::unordered_map<uint32_t, std::pair<size_t, size_t>> occurrencesOfComponent_;
    std::unordered_map<uint64_t, std::vector<uint32_t>> loosePadCells_;
    std::unordered_map<std::string, int> styleIndex_;
    std::string failure_;
};

}  // namespace boards::ipc2581
