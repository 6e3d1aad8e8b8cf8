// SPDX-License-Identifier: GPL-3.0-or-later
#include "AfxTesting.h"

#include <QAbstractButton>
#include <QApplication>
#include <QContextMenuEvent>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <deque>
#include <stdexcept>

#include "AfxDialogWindow.h"
#include "AfxInternal.h"

namespace afxtest {
namespace {

struct TestState {
    bool enabled = false;
    std::deque<std::function<void(CDialog&)>> scripts;
    std::deque<int> replies;
    std::vector<MessageBoxRecord> boxes;
    int unscriptedBoxes = 0;
    int unscriptedModals = 0;
    std::deque<std::string> menuChoices;
    int menuOpenings = 0;
};

TestState& State() {
    static TestState state;
    return state;
}

AfxDialogWindow& WindowOf(CWnd& dialog) {
    AfxDialogWindow* window = AfxDialogWindowOf(&dialog);
    if (window == nullptr) throw std::logic_error("the dialog has no window: it is not shown");
    return *window;
}

AfxWindowHandle& ControlOf(CWnd& dialog, int id) {
    AfxWindowHandle* control = WindowOf(dialog).control(id);
    if (control == nullptr) {
        throw std::logic_error("the dialog has no control with id " + std::to_string(id));
    }
    return *control;
}

}  // namespace

namespace detail {
bool Enabled() {
    return State().enabled;
}

bool TakeScript(std::function<void(CDialog&)>& script) {
    auto& scripts = State().scripts;
    if (scripts.empty()) return false;
    script = std::move(scripts.front());
    scripts.pop_front();
    return true;
}

void CountUnscriptedModal() {
    ++State().unscriptedModals;
}

bool TakeMessageBoxReply(int& reply) {
    auto& replies = State().replies;
    if (replies.empty()) return false;
    reply = replies.front();
    replies.pop_front();
    return true;
}

void RecordMessageBox(MessageBoxRecord record, bool unscripted) {
    State().boxes.push_back(std::move(record));
    if (unscripted) ++State().unscriptedBoxes;
}

bool TakeSystemMenuChoice(std::string& text) {
    auto& choices = State().menuChoices;
    if (choices.empty()) return false;
    text = std::move(choices.front());
    choices.pop_front();
    return true;
}

void CountSystemMenuOpening() {
    ++State().menuOpenings;
}
}  // namespace detail

void Enable() {
    State().enabled = true;
}

void OnNextModal(std::function<void(CDialog&)> script) {
    State().scripts.push_back(std::move(script));
}

int UnscriptedModals() {
    return State().unscriptedModals;
}

void QueueMessageBoxReply(int reply) {
    State().replies.push_back(reply);
}

const std::vector<MessageBoxRecord>& MessageBoxes() {
    return State().boxes;
}

int UnscriptedMessageBoxes() {
    return State().unscriptedBoxes;
}

void Reset() {
    TestState& state = State();
    state.scripts.clear();
    state.replies.clear();
    state.boxes.clear();
    state.unscriptedBoxes = 0;
    state.unscriptedModals = 0;
    state.menuChoices.clear();
    state.menuOpenings = 0;
}

void PressButton(CWnd& dialog, int id) {
    auto* button = qobject_cast<QAbstractButton*>(ControlOf(dialog, id).widget);
    if (button == nullptr)
        throw std::logic_error("control " + std::to_string(id) + " is no button");
    button->click();
}

void CheckRadio(CWnd& dialog, int id) {
    PressButton(dialog, id);
}

void SelectListEntry(CWnd& dialog, int id, int index) {
    WindowOf(dialog).flushPendingTexts();
    auto* list = qobject_cast<QListWidget*>(ControlOf(dialog, id).widget);
    if (list == nullptr) throw std::logic_error("control " + std::to_string(id) + " is no list");
    if (index < 0) {
        list->clearSelection();
        list->setCurrentRow(-1);
    } else {
        list->setCurrentRow(index, QItemSelectionModel::ClearAndSelect);
    }
}

void PressKey(CWnd& dialog, int qtKey, int qtModifiers) {
    AfxDialogWindow& window = WindowOf(dialog);
    QWidget* target = window.focusWidget() != nullptr ? window.focusWidget() : &window;
    const auto modifiers = Qt::KeyboardModifiers(qtModifiers);
    QKeyEvent press(QEvent::KeyPress, qtKey, modifiers);
    QApplication::sendEvent(target, &press);
    // The release goes where the focus is now; the press may have closed the window.
    if (AfxDialogWindow* still = AfxDialogWindowOf(&dialog)) {
        QWidget* now = still->focusWidget() != nullptr ? still->focusWidget() : still;
        QKeyEvent release(QEvent::KeyRelease, qtKey, modifiers);
        QApplication::sendEvent(now, &release);
    }
}

void RightClick(CWnd& dialog, int x, int y) {
    AfxDialogWindow& window = WindowOf(dialog);
    QWidget* target = window.childAt(x, y);
    if (target == nullptr) target = &window;
    const QPoint local = target->mapFrom(&window, QPoint(x, y));
    QContextMenuEvent event(QContextMenuEvent::Mouse, local, window.mapToGlobal(QPoint(x, y)));
    QApplication::sendEvent(target, &event);
}

std::string ControlText(CWnd& dialog, int id) {
    WindowOf(dialog).flushPendingTexts();
    QWidget* widget = ControlOf(dialog, id).widget;
    if (auto* label = qobject_cast<QLabel*>(widget)) return AfxFromQString(label->text());
    if (auto* button = qobject_cast<QAbstractButton*>(widget))
        return AfxFromQString(button->text());
    if (auto* box = qobject_cast<QGroupBox*>(widget)) return AfxFromQString(box->title());
    if (auto* list = qobject_cast<QListWidget*>(widget)) {
        QListWidgetItem* item = list->currentItem();
        return item != nullptr && item->isSelected() ? AfxFromQString(item->text()) : std::string();
    }
    return std::string();
}

std::vector<std::string> ListEntries(CWnd& dialog, int id) {
    std::vector<std::string> entries;
    WindowOf(dialog).flushPendingTexts();
    if (auto* list = qobject_cast<QListWidget*>(ControlOf(dialog, id).widget)) {
        for (int row = 0; row < list->count(); ++row) {
            entries.push_back(AfxFromQString(list->item(row)->text()));
        }
    }
    return entries;
}

int ListSelection(CWnd& dialog, int id) {
    WindowOf(dialog).flushPendingTexts();
    if (auto* list = qobject_cast<QListWidget*>(ControlOf(dialog, id).widget)) {
        const QList<QListWidgetItem*> selected = list->selectedItems();
        return selected.isEmpty() ? -1 : list->row(selected.front());
    }
    return -1;
}

bool IsChecked(CWnd& dialog, int id) {
    auto* button = qobject_cast<QAbstractButton*>(ControlOf(dialog, id).widget);
    return button != nullptr && button->isChecked();
}

std::string WindowCaption(CWnd& dialog) {
    AfxDialogWindow& window = WindowOf(dialog);
    window.flushPendingTexts();
    return AfxFromQString(window.windowTitle());
}

std::vector<std::pair<int, QWidget*>> Controls(CWnd& dialog) {
    std::vector<std::pair<int, QWidget*>> controls;
    for (const auto& control : WindowOf(dialog).controls()) {
        controls.emplace_back(control->id, control->widget);
    }
    return controls;
}

QWidget* Window(CWnd& dialog) {
    return AfxDialogWindowOf(&dialog);
}

std::vector<SystemMenuEntry> SystemMenu(CWnd& dialog) {
    AfxDialogWindow& window = WindowOf(dialog);
    if (window.systemMenu() == nullptr) return {};
    return window.systemMenuEntries();
}

std::unique_ptr<QMenu> SystemMenuWidget(CWnd& dialog) {
    AfxDialogWindow& window = WindowOf(dialog);
    if (window.systemMenu() == nullptr) return nullptr;
    auto menu = std::make_unique<QMenu>(&window);
    window.fillSystemMenu(*menu);
    return menu;
}

void ChooseSystemMenuEntry(CWnd& dialog, const std::string& text) {
    AfxDialogWindow& window = WindowOf(dialog);
    for (const SystemMenuEntry& entry : SystemMenu(dialog)) {
        if (!entry.separator && entry.enabled && entry.text == text) {
            window.runSysCommand(entry.id);
            return;
        }
    }
    throw std::logic_error("no enabled system-menu entry \"" + text + "\"");
}

void QueueSystemMenuChoice(const std::string& text) {
    State().menuChoices.push_back(text);
}

int SystemMenuOpenings() {
    return State().menuOpenings;
}

int WaitCursorDepth() {
    return AfxWaitCursorDepth();
}

bool WaitCursorShown() {
    return AfxWaitCursorShown();
}

}  // namespace afxtest
