// SPDX-License-Identifier: GPL-3.0-or-later
// The side list of highlighted components, each with a swatch and the name of its colour, and
// the button that clears them.
#pragma once

#include <functional>
#include <vector>

#include <QWidget>

#include "pcbhost/view/Highlights.h"

class QListWidget;
class QPushButton;

namespace pcbhost::view {

class HighlightList : public QWidget {
  public:
    explicit HighlightList(QWidget* parent = nullptr);

    void setHighlights(const std::vector<Highlight>& highlights);
    int count() const;
    QString text(int row) const;

    std::function<void()> onClear;
    std::function<void(int component)> onActivated;  // double click or Enter on an entry

  private:
    QListWidget* list_;
    QPushButton* clear_;
    std::vector<int> components_;
};

}  // namespace pcbhost::view
