// SPDX-License-Identifier: GPL-3.0-or-later
#include "pcbhost/view/Highlights.h"

#include <algorithm>

namespace pcbhost::view {

int Highlights::add(const BoardScene& scene, int componentIndex, const QString& refDes,
                    int colourCode) {
    const int component = scene.findComponent(componentIndex, refDes);
    if (component < 0) return -1;
    const auto it = std::find_if(items_.begin(), items_.end(),
                                 [&](const Highlight& h) { return h.component == component; });
    if (it != items_.end()) {
        it->colourCode = colourCode;
    } else {
        items_.push_back({component, refDes, colourCode});
    }
    return component;
}

void Highlights::rebind(const BoardScene& scene) {
    std::vector<Highlight> kept;
    for (const Highlight& h : items_) {
        const int component = scene.findComponent(h.component, h.refDes);
        const bool taken = std::any_of(
            kept.begin(), kept.end(), [&](const Highlight& k) { return k.component == component; });
        if (component >= 0 && !taken) kept.push_back({component, h.refDes, h.colourCode});
    }
    items_ = std::move(kept);
}

}  // namespace pcbhost::view
