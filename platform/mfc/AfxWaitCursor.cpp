// SPDX-License-Identifier: GPL-3.0-or-later
// The application's wait cursor: a depth shared by all command targets, shown lazily.
#include <QApplication>
#include <QCursor>

#include "AfxInternal.h"

namespace {
int g_depth = 0;
bool g_shown = false;  // whether this framework has an override cursor pushed
}  // namespace

// The cursor turns to the wait cursor at the first begin; the arrow returns lazily, when the
// depth is 0 at a repaint, a message box or the end of a handler, so that a begin and end per
// component costs nothing.
void CCmdTarget::BeginWaitCursor() {
    if (++g_depth == 1 && !g_shown) AfxSyncWaitCursor();
}

void CCmdTarget::EndWaitCursor() {
    if (g_depth > 0) --g_depth;
}

void CCmdTarget::RestoreWaitCursor() {
    AfxSyncWaitCursor();
}

int AfxWaitCursorDepth() {
    return g_depth;
}

void AfxSyncWaitCursor() {
    if (qobject_cast<QApplication*>(QCoreApplication::instance()) == nullptr) return;
    const bool wanted = g_depth > 0;
    if (wanted == g_shown) return;
    if (wanted) {
        QApplication::setOverrideCursor(QCursor(Qt::WaitCursor));
    } else {
        QApplication::restoreOverrideCursor();
    }
    g_shown = wanted;
}

bool AfxWaitCursorShown() {
    AfxSyncWaitCursor();
    const QCursor* cursor = QApplication::overrideCursor();
    return cursor != nullptr && cursor->shape() == Qt::WaitCursor;
}
