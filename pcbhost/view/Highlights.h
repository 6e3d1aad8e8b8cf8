// SPDX-License-Identifier: GPL-3.0-or-later
// The highlighted components and their colour codes, in the order they were first highlighted.
#pragma once

#include <vector>

#include <QString>

#include "pcbhost/view/BoardScene.h"

namespace pcbhost::view {

struct Highlight {
    int component = -1;  // index into the scene's components
    QString refDes;
    int colourCode = 0;
};

class Highlights {
  public:
    // Highlights the component (resolved as BoardScene::findComponent does), replacing the colour
    // if it is highlighted already. Returns the component index, or -1 if there is no such
    // component.
    int add(const BoardScene& scene, int componentIndex, const QString& refDes, int colourCode);

    // After a reload: keeps the highlights whose reference designators still exist, pointing at
    // the new scene's components.
    void rebind(const BoardScene& scene);

    void clear() { items_.clear(); }
    const std::vector<Highlight>& items() const { return items_; }

  private:
    std::vector<Highlight> items_;
};

}  // namespace pcbhost::view
