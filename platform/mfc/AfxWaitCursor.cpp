// The application's wait cursor: a depth shared by all command targets, shown lazily.
#include <QApplication>
#include <QCursor>

#include "AfxInternal.h"

namespace {
int g_depth = 0;
bool g_shown = false;  // whether this framework has an override cursor pushed
}  // namespace

void CCmdTarget::BeginWaitCursor() {
    ++g_depth;
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
