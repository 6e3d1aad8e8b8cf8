// SPDX-License-Identifier: GPL-3.0-or-later
#include "pcbhost/view/HighlightList.h"

#include <QLabel>
#include <QListWidget>
#include <QPainter>
#include <QPixmap>
#include <QPushButton>
#include <QVBoxLayout>

#include "pcbhost/view/HighlightColours.h"

namespace pcbhost::view {
namespace {

QIcon Swatch(const QColor& colour) {
    QPixmap pixmap(16, 16);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setPen(QColor(60, 60, 60));
    p.setBrush(colour);
    p.drawRect(1, 1, 13, 13);
    return QIcon(pixmap);
}

}  // namespace

HighlightList::HighlightList(QWidget* parent)
    : QWidget(parent),
      list_(new QListWidget(this)),
      clear_(new QPushButton(tr("Clear highlights (Esc)"), this)) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->addWidget(new QLabel(tr("Highlighted components"), this));
    layout->addWidget(list_, 1);
    layout->addWidget(clear_);
    clear_->setEnabled(false);
    list_->setObjectName(QStringLiteral("highlightList"));
    clear_->setObjectName(QStringLiteral("clearHighlights"));
    QObject::connect(clear_, &QPushButton::clicked, this, [this] {
        if (onClear) onClear();
    });
    QObject::connect(list_, &QListWidget::itemActivated, this, [this](QListWidgetItem* item) {
        const int row = list_->row(item);
        if (onActivated && row >= 0 && row < static_cast<int>(components_.size())) {
            onActivated(components_[row]);
        }
    });
}

void HighlightList::setHighlights(const std::vector<Highlight>& highlights) {
    list_->clear();
    components_.clear();
    for (const Highlight& h : highlights) {
        const HighlightColour colour = HighlightColours::ForCode(h.colourCode);
        list_->addItem(new QListWidgetItem(Swatch(colour.colour),
                                           tr("%1 \u2014 %2").arg(h.refDes, colour.name)));
        components_.push_back(h.component);
    }
    clear_->setEnabled(!highlights.empty());
}

int HighlightList::count() const {
    return list_->count();
}

QString HighlightList::text(int row) const {
    const QListWidgetItem* item = list_->item(row);
    return item ? item->text() : QString();
}

}  // namespace pcbhost::view
