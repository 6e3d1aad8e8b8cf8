// SPDX-License-Identifier: GPL-3.0-or-later
#include "AfxMessageBoxWindow.h"

#include <QAbstractButton>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QLayout>
#include <algorithm>

#include "AfxDialogWindow.h"
#include "AfxInternal.h"

AfxMessageBoxWindow::AfxMessageBoxWindow(QWidget* parent) : QMessageBox(parent) {}

void AfxMessageBoxWindow::escape() {
    if (m_escaping) return;
    m_escaping = true;
    if (QAbstractButton* cancel = button(QMessageBox::Cancel)) {
        cancel->click();
    } else if (buttons().size() == 1 && button(QMessageBox::Ok) != nullptr) {
        button(QMessageBox::Ok)->click();
    } else {
        QDialog::done(QDialog::Rejected);
    }
    m_escaping = false;
}

void AfxMessageBoxWindow::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        escape();
        return;
    }
    QMessageBox::keyPressEvent(event);
}

void AfxMessageBoxWindow::closeEvent(QCloseEvent* event) {
    event->accept();
    if (isVisible() && !m_escaping) escape();
}

namespace {

void AddButtons(QMessageBox& box, UINT type) {
    switch (type & MB_TYPEMASK) {
        case MB_OKCANCEL:
            box.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel);
            break;
        case MB_YESNOCANCEL:
            box.setStandardButtons(QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
            break;
        case MB_YESNO:
            box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
            break;
        default:
            box.setStandardButtons(QMessageBox::Ok);
            break;
    }
}

QMessageBox::Icon IconOf(UINT type) {
    switch (type & MB_ICONMASK) {
        case MB_ICONHAND:
            return QMessageBox::Critical;
        case MB_ICONQUESTION:
            return QMessageBox::Question;
        case MB_ICONEXCLAMATION:
            return QMessageBox::Warning;
        case MB_ICONASTERISK:
            return QMessageBox::Information;
        default:
            return QMessageBox::NoIcon;
    }
}

int ResultOf(const QMessageBox& box, UINT type) {
    switch (box.standardButton(box.clickedButton())) {
        case QMessageBox::Ok:
            return IDOK;
        case QMessageBox::Yes:
            return IDYES;
        case QMessageBox::No:
            return IDNO;
        case QMessageBox::Cancel:
            return IDCANCEL;
        default:
            return (type & MB_TYPEMASK) == MB_OK ? IDOK : IDCANCEL;
    }
}

std::vector<std::string> ButtonTexts(QMessageBox& box) {
    if (QLayout* layout = box.layout()) layout->activate();
    QList<QAbstractButton*> buttons = box.buttons();
    std::stable_sort(buttons.begin(), buttons.end(),
                     [&box](QAbstractButton* a, QAbstractButton* b) {
                         return a->mapTo(&box, QPoint(0, 0)).x() < b->mapTo(&box, QPoint(0, 0)).x();
                     });
    std::vector<std::string> texts;
    for (QAbstractButton* button : buttons) texts.push_back(AfxFromQString(button->text()));
    return texts;
}

}  // namespace

int AfxShowMessageBox(CWnd* owner, LPCTSTR text, LPCTSTR caption, UINT type) {
    AfxDialogWindow* ownerWindow = AfxDialogWindowOf(owner);
    if (ownerWindow != nullptr) ownerWindow->flushPendingTexts();
    AfxSyncWaitCursor();

    const char* title = caption != nullptr ? caption : AfxGetAppName();
    AfxMessageBoxWindow box(ownerWindow);
    box.setWindowModality(Qt::ApplicationModal);
    box.setWindowTitle(AfxToQString(title));
    box.setTextFormat(Qt::PlainText);
    box.setText(AfxToQString(text));
    box.setIcon(IconOf(type));
    AddButtons(box, type);

    if (afxtest::detail::Enabled()) {
        afxtest::MessageBoxRecord record;
        record.text = text != nullptr ? text : "";
        record.caption = AfxFromQString(box.windowTitle());
        record.type = type;
        record.buttons = ButtonTexts(box);
        record.owner = ownerWindow != nullptr ? owner : nullptr;
        record.waitCursorDepth = AfxWaitCursorDepth();
        int reply = 0;
        const bool scripted = afxtest::detail::TakeMessageBoxReply(reply);
        if (!scripted) reply = (type & MB_TYPEMASK) == MB_OK ? IDOK : IDCANCEL;
        record.result = reply;
        afxtest::detail::RecordMessageBox(std::move(record),
                                          !scripted && (type & MB_TYPEMASK) != MB_OK);
        return reply;
    }
    box.exec();
    return ResultOf(box, type);
}
