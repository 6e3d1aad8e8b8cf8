// SPDX-License-Identifier: GPL-3.0-or-later
#include "pcbhost/view/BoardWindow.h"

#include <QDockWidget>
#include <QFileInfo>
#include <QLabel>
#include <QShortcut>
#include <QStatusBar>

#include "pcbhost/view/BoardScene.h"
#include "pcbhost/view/BoardView.h"
#include "pcbhost/view/HighlightList.h"

using pcbhost::view::BoardScene;
using pcbhost::view::BoardView;
using pcbhost::view::HighlightList;

BoardWindow::BoardWindow(const QString& filePath)
    : view_(new BoardView(this)),
      list_(new HighlightList(this)),
      cursor_(new QLabel(this)),
      summary_(new QLabel(this)) {
    setWindowTitle(QStringLiteral("pcbhost \u2014 %1").arg(QFileInfo(filePath).fileName()));
    view_->setObjectName(QStringLiteral("boardView"));
    list_->setObjectName(QStringLiteral("highlights"));
    setCentralWidget(view_);
    auto* dock = new QDockWidget(tr("Highlights"), this);
    dock->setObjectName(QStringLiteral("highlightsDock"));
    dock->setFeatures(QDockWidget::DockWidgetMovable | QDockWidget::DockWidgetFloatable);
    dock->setWidget(list_);
    addDockWidget(Qt::RightDockWidgetArea, dock);
    statusBar()->addWidget(cursor_, 1);
    statusBar()->addPermanentWidget(summary_);
    resize(1280, 800);

    view_->onCursorMoved = [this](QPointF mm, int component) {
        QString text = tr("X %1 mm   Y %2 mm").arg(mm.x(), 0, 'f', 3).arg(mm.y(), 0, 'f', 3);
        if (component >= 0) {
            text += QStringLiteral("   ") + view_->scene()->components()[component].refDes;
        }
        cursor_->setText(text);
    };
    list_->onClear = [this] { clearHighlights(); };
    list_->onActivated = [this](int component) { view_->bringIntoView(component); };
    auto* escape = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    QObject::connect(escape, &QShortcut::activated, this, [this] { clearHighlights(); });
    auto* home = new QShortcut(QKeySequence(Qt::Key_Home), this);
    QObject::connect(home, &QShortcut::activated, this, [this] { view_->zoomToFit(); });
}

BoardWindow::~BoardWindow() = default;

void BoardWindow::setDesign(std::shared_ptr<const pcbhost::Design> design) {
    auto scene = std::make_shared<const BoardScene>(std::move(design));
    highlights_.rebind(*scene);
    view_->setScene(scene);
    summary_->setText(
        tr("%1 components, %2 pads%3")
            .arg(scene->components().size())
            .arg(scene->pads().size())
            .arg(scene->laidOutInGrid() ? tr(" (no geometry: laid out in a grid)") : QString()));
    showHighlights();
}

void BoardWindow::highlight(int componentIndex, const QString& refDes, int colourCode) {
    const int component = highlights_.add(*view_->scene(), componentIndex, refDes, colourCode);
    if (component < 0) {
        statusBar()->showMessage(tr("No component %1 on this board").arg(refDes), 5000);
        return;
    }
    showHighlights();
    view_->bringIntoView(component);
}

void BoardWindow::clearHighlights() {
    highlights_.clear();
    showHighlights();
}

void BoardWindow::showHighlights() {
    view_->setHighlights(highlights_.items());
    list_->setHighlights(highlights_.items());
}
