// SPDX-License-Identifier: GPL-3.0-or-later
// pcbhost's window: the board view, the list of highlighted components beside it, and a status
// line with the cursor position and the component under it.
#pragma once

#include <memory>

#include <QMainWindow>
#include <QString>

#include "pcbhost/Design.h"
#include "pcbhost/view/Highlights.h"

class QLabel;

namespace pcbhost::view {
class BoardView;
class HighlightList;
}  // namespace pcbhost::view

class BoardWindow : public QMainWindow {
  public:
    explicit BoardWindow(const QString& filePath);
    ~BoardWindow() override;

    // Shows a newly read design; highlights whose components are still there stay.
    void setDesign(std::shared_ptr<const pcbhost::Design> design);

    // Fills the component in the colour `colourCode` stands for (see HighlightColours) and brings
    // it into view. `componentIndex` indexes the design's components; when it is out of range or
    // names another reference designator, the first component with `refDes` is used.
    void highlight(int componentIndex, const QString& refDes, int colourCode);

  private:
    void clearHighlights();
    void showHighlights();

    pcbhost::view::BoardView* view_;
    pcbhost::view::HighlightList* list_;
    QLabel* cursor_;
    QLabel* summary_;
    pcbhost::view::Highlights highlights_;
};
