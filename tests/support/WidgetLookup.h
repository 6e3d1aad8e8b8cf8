// SPDX-License-Identifier: GPL-3.0-or-later
// Finds a dialog's control widget by id, failing the test with what the dialog does hold.
#pragma once

#include <QWidget>

#include "afxwin.h"

// The control's widget; on a miss the test fails listing the ids, kinds and texts found,
// and a std::logic_error ends the calling script.
QWidget& getChild(CWnd& dialog, int id);

// As getChild, and the widget must be a Widget.
[[noreturn]] void failWrongKind(int id, const QWidget& widget, const char* wanted);

template <class Widget>
Widget& getChildAs(CWnd& dialog, int id) {
    QWidget& widget = getChild(dialog, id);
    auto* typed = qobject_cast<Widget*>(&widget);
    if (typed == nullptr) failWrongKind(id, widget, Widget::staticMetaObject.className());
    return *typed;
}
