// SPDX-License-Identifier: GPL-3.0-or-later
// A design prepared for drawing: pad shapes built once per style and orientation, each pad's
// and component's bounds in board millimetres, outlines as lines. Designs without geometry
// are laid out in a grid (see GridLayout).
#pragma once

#include <map>
#include <memory>
#include <utility>
#include <vector>

#include <QLineF>
#include <QPointF>
#include <QRectF>
#include <QString>
#include <QTransform>

#include "pcbhost/Design.h"
#include "pcbhost/view/PadPaths.h"

namespace pcbhost::view {

// A pad style at one rotation: what a sprite is drawn from.
struct OrientedShape {
    int style = 0;
    double rotation = 0;  // degrees, counter-clockwise
};

struct ScenePad {
    QPointF position;
    QRectF bounds;  // copper and hole, rotated, board mm
    int shape = 0;  // index into BoardScene::shapes()
    int component = 0;
    bool top = true;
    bool bottom = false;
};

struct SceneComponent {
    QString refDes;
    int firstPad = 0;
    int padCount = 0;
    int firstOutline = 0;
    int outlineCount = 0;
    QRectF bounds;  // pads and outline, board mm
    QPointF refDesPosition;
    bool bottomSide = false;
    bool bottomOnlyPads = false;  // has pads with copper on the bottom side only
    bool drilledPads = false;
};

class BoardScene {
  public:
    explicit BoardScene(std::shared_ptr<const Design> design);

    const std::vector<PadPaths>& styles() const { return styles_; }
    const std::vector<OrientedShape>& shapes() const { return shapes_; }
    const std::vector<ScenePad>& pads() const { return pads_; }
    const std::vector<SceneComponent>& components() const { return components_; }
    const std::vector<QLineF>& outlines() const { return outlines_; }  // by component
    const std::vector<QLineF>& boardOutline() const { return boardOutline_; }
    QRectF bounds() const { return bounds_; }  // everything there is to see
    bool laidOutInGrid() const { return laidOutInGrid_; }

    // Pad frame to board mm.
    QTransform padTransform(const ScenePad& pad) const;

    // The component whose bounds contain `mm`, the smallest if several do; -1 if none.
    int componentAt(QPointF mm) const;

    // `index` if it names a component with `refDes`, else the first component with `refDes`;
    // -1 if there is none.
    int findComponent(int index, const QString& refDes) const;

  private:
    int addStyle(const PadGeometry& geometry);
    int shapeFor(int style, double rotation);
    void addPad(int component, QPointF position, double rotation, int style, bool top, bool bottom);
    void buildFromGeometry();
    void buildGrid();

    std::shared_ptr<const Design> design_;
    std::vector<PadPaths> styles_;
    std::vector<QRectF> styleBounds_;
    std::vector<OrientedShape> shapes_;
    std::map<std::pair<int, long>, int> shapeIndex_;  // (style, tenths of a degree)
    std::vector<ScenePad> pads_;
    std::vector<SceneComponent> components_;
    std::vector<QLineF> outlines_;
    std::vector<QLineF> boardOutline_;
    QRectF bounds_;
    bool laidOutInGrid_ = false;
};

}  // namespace pcbhost::view
