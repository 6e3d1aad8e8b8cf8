// SPDX-License-Identifier: GPL-3.0-or-later
#include "WidgetLookup.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QGroupBox>
#include <QLabel>
#include <sstream>
#include <stdexcept>

#include "AfxTesting.h"

namespace {

std::string Describe(int id, const QWidget* widget) {
    std::ostringstream out;
    out << "  " << id << " " << widget->metaObject()->className();
    QString text;
    if (auto* label = qobject_cast<const QLabel*>(widget)) text = label->text();
    if (auto* button = qobject_cast<const QAbstractButton*>(widget)) text = button->text();
    if (auto* box = qobject_cast<const QGroupBox*>(widget)) text = box->title();
    if (!text.isEmpty()) out << " \"" << text.toStdString() << "\"";
    return out.str();
}

}  // namespace

QWidget& getChild(CWnd& dialog, int id) {
    if (afxtest::Window(dialog) == nullptr) {
        ADD_FAILURE() << "control " << id << " wanted, but the dialog is not shown";
        throw std::logic_error("dialog not shown");
    }
    const auto controls = afxtest::Controls(dialog);
    for (const auto& [controlId, widget] : controls) {
        if (controlId == id) return *widget;
    }
    std::ostringstream found;
    for (const auto& [controlId, widget] : controls) found << Describe(controlId, widget) << "\n";
    ADD_FAILURE() << "no control with id " << id << "; the dialog has:\n" << found.str();
    throw std::logic_error("no control with id " + std::to_string(id));
}

void failWrongKind(int id, const QWidget& widget, const char* wanted) {
    ADD_FAILURE() << "control " << id << " is a " << widget.metaObject()->className() << ", not a "
                  << wanted;
    throw std::logic_error("control " + std::to_string(id) + " is of another kind");
}
