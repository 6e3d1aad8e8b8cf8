// SPDX-License-Identifier: GPL-3.0-or-later
#include "AfxDialogWindow.h"

#include <time.h>
#include <QAbstractButton>
#include <QApplication>
#include <QButtonGroup>
#include <QCloseEvent>
#include <QContextMenuEvent>
#include <QFontMetrics>
#include <QGroupBox>
#include <QKeyEvent>
#include <QKeySequence>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QStringList>
#include <QTimer>
#include <QWindow>

#include <algorithm>
#include <cstdlib>
#include <utility>

#include "AfxInternal.h"
#include "CDialog.h"

namespace {

constexpr auto kRepaintInterval = std::chrono::milliseconds(30);

// The monotonic clock at the kernel tick's resolution: read without touching a hardware
// counter, so a throttle check costs little however often the counters change.
std::chrono::nanoseconds CoarseNow() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC_COARSE, &now);
    return std::chrono::seconds(now.tv_sec) + std::chrono::nanoseconds(now.tv_nsec);
}

int MulDiv(int number, int numerator, int denominator) {
    const long long product = static_cast<long long>(number) * numerator;
    const long long half = denominator / 2;
    return static_cast<int>(product >= 0 ? (product + half) / denominator
                                         : (product - half) / denominator);
}

bool HasMnemonic(const AfxWindowHandle& handle) {
    if (handle.control == nullptr) return false;
    switch (handle.control->kind) {
        case AfxControlKind::StaticText:
            return (handle.control->style & SS_NOPREFIX) == 0;
        case AfxControlKind::PushButton:
        case AfxControlKind::DefPushButton:
        case AfxControlKind::AutoRadioButton:
        case AfxControlKind::GroupBox:
            return true;
        default:
            return false;
    }
}

// The character after a single '&' ("&&" is a literal ampersand); null when none.
QChar MnemonicOf(const QString& text) {
    for (int i = 0; i + 1 < text.size(); ++i) {
        if (text[i] != QLatin1Char('&')) continue;
        if (text[i + 1] == QLatin1Char('&')) {
            ++i;
            continue;
        }
        return text[i + 1];
    }
    return QChar();
}

QString StripMnemonic(const QString& text) {
    QString result;
    result.reserve(text.size());
    for (int i = 0; i < text.size(); ++i) {
        if (text[i] == QLatin1Char('&') && i + 1 < text.size()) ++i;
        result.append(text[i]);
    }
    return result;
}

bool IsTabStopKind(AfxControlKind kind) {
    return kind == AfxControlKind::PushButton || kind == AfxControlKind::DefPushButton ||
           kind == AfxControlKind::ListBox || kind == AfxControlKind::AutoRadioButton;
}

}  // namespace

QString AfxToQString(const char* text) {
    return QString::fromLatin1(text != nullptr ? text : "");
}
QString AfxToQString(const CString& text) {
    return QString::fromLatin1(text.str().data(), static_cast<qsizetype>(text.str().size()));
}
std::string AfxFromQString(const QString& text) {
    return text.toLatin1().toStdString();
}

AfxDialogWindow::AfxDialogWindow(CDialog& owner, const AfxDialogTemplate& dialogTemplate,
                                 QWidget* parent)
    : QDialog(parent), m_owner(owner), m_template(dialogTemplate) {
    m_self.dialog = this;
    m_self.widget = this;
    m_self.text = dialogTemplate.caption != nullptr ? dialogTemplate.caption : "";
    m_hasSystemMenu = (dialogTemplate.style & WS_SYSMENU) != 0;

    // WS_EX_APPWINDOW, or no owner: a window of its own, in the task list and transient for
    // nothing (the platform makes an ownerless dialog transient for the application's leader
    // window, which task lists leave out). Otherwise a dialog, transient for its owner.
    const bool ownWindow = (dialogTemplate.exStyle & WS_EX_APPWINDOW) != 0 || parent == nullptr;
    Qt::WindowFlags flags =
        (ownWindow ? Qt::Window : Qt::Dialog) | Qt::CustomizeWindowHint | Qt::WindowTitleHint;
    if (m_hasSystemMenu) flags |= Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint;
    if ((dialogTemplate.style & WS_MINIMIZEBOX) != 0) flags |= Qt::WindowMinimizeButtonHint;
    setWindowFlags(flags);
    setWindowModality(Qt::ApplicationModal);
    setWindowTitle(AfxToQString(m_self.text));

    QFont font(AfxToQString(dialogTemplate.fontName));
    font.setPointSize(dialogTemplate.pointSize > 0 ? dialogTemplate.pointSize : 8);
    setFont(font);
    const QFontMetrics metrics(font);
    const int alphabetWidth = metrics.horizontalAdvance(
        QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
    m_baseUnitX = std::max(1, (alphabetWidth / 26 + 1) / 2);
    m_baseUnitY = std::max(1, metrics.height());

    const QRect frame = mapDialogRect(0, 0, dialogTemplate.cx, dialogTemplate.cy);
    setFixedSize(frame.size());
    buildControls();
    m_owner.Attach(&m_self);
    restartTick();
}

AfxDialogWindow::~AfxDialogWindow() {
    for (auto& control : m_controls) {
        if (control->attached != nullptr) control->attached->m_hWnd = nullptr;
        control->attached = nullptr;
    }
    if (m_self.attached != nullptr) m_self.attached->m_hWnd = nullptr;
    m_self.attached = nullptr;
    // Widgets go before the handles their signal connections point to.
    for (auto& control : m_controls) {
        delete control->widget;
        control->widget = nullptr;
    }
}

QRect AfxDialogWindow::mapDialogRect(int x, int y, int cx, int cy) const {
    return QRect(MulDiv(x, m_baseUnitX, 4), MulDiv(y, m_baseUnitY, 8), MulDiv(cx, m_baseUnitX, 4),
                 MulDiv(cy, m_baseUnitY, 8));
}

AfxWindowHandle* AfxDialogWindow::controlBySearch(int id) {
    const auto it =
        std::lower_bound(m_controlsById.begin(), m_controlsById.end(), id,
                         [](const auto& entry, int wanted) { return entry.first < wanted; });
    return it != m_controlsById.end() && it->first == id ? it->second : nullptr;
}

void AfxDialogWindow::indexControls() {
    constexpr long long kMaxTableSlots = 65536;  // every 16-bit id
    if (m_controls.empty()) return;
    long long lowest = m_controls.front()->id, highest = lowest;
    for (const auto& control : m_controls) {
        lowest = std::min<long long>(lowest, control->id);
        highest = std::max<long long>(highest, control->id);
    }
    if (highest - lowest < kMaxTableSlots) {
        m_firstId = lowest;
        m_controlTable.assign(static_cast<std::size_t>(highest - lowest + 1), nullptr);
        for (const auto& control : m_controls) {
            AfxWindowHandle*& slot = m_controlTable[static_cast<std::size_t>(control->id - lowest)];
            if (slot == nullptr) slot = control.get();
        }
        return;
    }
    for (const auto& control : m_controls) m_controlsById.emplace_back(control->id, control.get());
    std::stable_sort(m_controlsById.begin(), m_controlsById.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
}

void AfxDialogWindow::buildControls() {
    bool anyTabStop = false;
    for (const AfxControlTemplate& control : m_template.controls) {
        anyTabStop = anyTabStop || (control.style & WS_TABSTOP) != 0;
    }
    QButtonGroup* group = nullptr;
    std::vector<QGroupBox*> groupBoxes;
    for (const AfxControlTemplate& control : m_template.controls) {
        auto handle = std::make_unique<AfxWindowHandle>();
        handle->dialog = this;
        handle->control = &control;
        handle->id = control.id;
        handle->text = control.text != nullptr ? control.text : "";
        if ((control.style & WS_GROUP) != 0) group = nullptr;
        QWidget* widget = createControl(*handle, group);
        handle->widget = widget;
        if (control.kind == AfxControlKind::Icon) {
            widget->setGeometry(
                QRect(mapDialogRect(control.x, control.y, 0, 0).topLeft(),
                      QSize(GetSystemMetrics(SM_CXICON), GetSystemMetrics(SM_CYICON))));
        } else {
            widget->setGeometry(mapDialogRect(control.x, control.y, control.cx, control.cy));
        }
        const bool tabStop =
            anyTabStop ? (control.style & WS_TABSTOP) != 0 : IsTabStopKind(control.kind);
        if (control.kind == AfxControlKind::StaticText ||
            control.kind == AfxControlKind::GroupBox || control.kind == AfxControlKind::Icon) {
            widget->setFocusPolicy(Qt::NoFocus);
        } else {
            widget->setFocusPolicy(tabStop ? Qt::StrongFocus : Qt::ClickFocus);
        }
        widget->setEnabled((control.style & WS_DISABLED) == 0);
        widget->installEventFilter(this);
        if (auto* box = qobject_cast<QGroupBox*>(widget)) groupBoxes.push_back(box);
        m_controls.push_back(std::move(handle));
    }
    indexControls();
    // A static's mnemonic moves the focus to the next control that can take it.
    for (std::size_t i = 0; i < m_controls.size(); ++i) {
        auto* label = qobject_cast<QLabel*>(m_controls[i]->widget);
        if (label == nullptr || !HasMnemonic(*m_controls[i])) continue;
        for (std::size_t j = i + 1; j < m_controls.size(); ++j) {
            if (m_controls[j]->widget->focusPolicy() != Qt::NoFocus) {
                label->setBuddy(m_controls[j]->widget);
                break;
            }
        }
        applyText(*m_controls[i]);
    }
    for (QGroupBox* box : groupBoxes) box->lower();
}

QWidget* AfxDialogWindow::createControl(AfxWindowHandle& handle, QButtonGroup*& group) {
    const AfxControlTemplate& control = *handle.control;
    const QString text = AfxToQString(handle.text);
    switch (control.kind) {
        case AfxControlKind::PushButton:
        case AfxControlKind::DefPushButton: {
            auto* button = new QPushButton(text, this);
            button->setShortcut(QKeySequence());  // mnemonics are the dialog's (no delayed click)
            button->setAutoDefault(false);
            button->setDefault(control.kind == AfxControlKind::DefPushButton);
            const UINT id = static_cast<UINT>(control.id);
            connect(button, &QPushButton::clicked, this,
                    [this, id] { runCommand(id, BN_CLICKED); });
            return button;
        }
        case AfxControlKind::AutoRadioButton: {
            // Left auto-exclusive: the group decides exclusivity, and assistive tools announce
            // a checkable button that is not auto-exclusive as a check box.
            auto* radio = new QRadioButton(text, this);
            radio->setShortcut(QKeySequence());
            if (group == nullptr) {
                group = new QButtonGroup(this);
                group->setExclusive(true);
            }
            group->addButton(radio);
            AfxWindowHandle* state = &handle;
            connect(radio, &QRadioButton::toggled, this, [this, state](bool on) {
                state->checked = on;
                ++m_checkChanges;
            });
            const UINT id = static_cast<UINT>(control.id);
            connect(radio, &QRadioButton::clicked, this,
                    [this, id] { runCommand(id, BN_CLICKED); });
            return radio;
        }
        case AfxControlKind::StaticText: {
            auto* label = new QLabel(this);
            label->setTextFormat(Qt::PlainText);
            label->setWordWrap(true);
            label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
            label->setText(HasMnemonic(handle) ? StripMnemonic(text) : text);
            return label;
        }
        case AfxControlKind::GroupBox: {
            auto* box = new QGroupBox(text, this);
            box->setAttribute(Qt::WA_TransparentForMouseEvents);
            return box;
        }
        case AfxControlKind::ListBox: {
            auto* list = new QListWidget(this);
            list->setSelectionMode(QAbstractItemView::SingleSelection);
            list->setVerticalScrollBarPolicy(
                (control.style & WS_VSCROLL) != 0 ? Qt::ScrollBarAsNeeded : Qt::ScrollBarAlwaysOff);
            // Long entries are cut at the right edge unless the list asks for a scroll bar.
            list->setHorizontalScrollBarPolicy(
                (control.style & WS_HSCROLL) != 0 ? Qt::ScrollBarAsNeeded : Qt::ScrollBarAlwaysOff);
            if ((control.style & WS_BORDER) == 0) list->setFrameShape(QFrame::NoFrame);
            // Entries are one line each: a repaint then lays out no entry, however many there
            // are. A list that scrolls sideways needs each entry's width, so keeps measuring.
            list->setUniformItemSizes((control.style & WS_HSCROLL) == 0);
            list->viewport()->installEventFilter(this);  // clicks on entries reach the viewport
            AfxWindowHandle* state = &handle;
            connect(list, &QListWidget::itemSelectionChanged, this, [list, state] {
                const QList<QListWidgetItem*> selected = list->selectedItems();
                state->curSel = selected.isEmpty() ? LB_ERR : list->row(selected.front());
            });
            return list;
        }
        case AfxControlKind::Icon: {
            auto* label = new QLabel(this);
            const UINT iconId = static_cast<UINT>(std::strtoul(handle.text, nullptr, 10));
            const QIcon icon = AfxIconOf(AfxLoadIconResource(iconId));
            label->setPixmap(icon.pixmap(GetSystemMetrics(SM_CXICON), GetSystemMetrics(SM_CYICON)));
            return label;
        }
    }
    return new QWidget(this);
}

void AfxDialogWindow::applyText(AfxWindowHandle& control) {
    const QString text = AfxToQString(control.text);
    if (&control == &m_self) {
        setWindowTitle(text);
    } else if (auto* label = qobject_cast<QLabel*>(control.widget)) {
        if (control.control->kind == AfxControlKind::Icon) return;
        const bool mnemonic = HasMnemonic(control) && label->buddy() != nullptr;
        label->setTextFormat(Qt::PlainText);
        label->setText(HasMnemonic(control) && !mnemonic ? StripMnemonic(text) : text);
    } else if (auto* button = qobject_cast<QAbstractButton*>(control.widget)) {
        button->setText(text);
        button->setShortcut(QKeySequence());
    } else if (auto* box = qobject_cast<QGroupBox*>(control.widget)) {
        box->setTitle(text);
    }
}

void AfxDialogWindow::setControlText(AfxWindowHandle& control, const CString& text) {
    control.text = text;
    if (control.textPending) return;
    control.textPending = true;
    m_pending.push_back(&control);
    queueFlush();
}

void AfxDialogWindow::queueFlush() {
    if (m_flushQueued) return;
    m_flushQueued = true;
    QTimer::singleShot(0, this, [this] {
        m_flushQueued = false;
        flushPendingTexts();
    });
}

void AfxDialogWindow::flushPendingTexts() {
    flushPending(true);
}

void AfxDialogWindow::flushPending(bool refillLists) {
    for (AfxWindowHandle* control : m_pending) {
        control->textPending = false;
        applyText(*control);
    }
    m_pending.clear();
    std::erase_if(m_pendingLists, [this, refillLists](AfxWindowHandle* list) {
        if (list->widgetRefill && !refillLists) return false;
        syncListWidget(*list);
        return true;
    });
}

void AfxDialogWindow::tick() {
    if (m_pending.empty()) return;
    if (CoarseNow() - m_lastPaint < kRepaintInterval) return;
    // A walk's list is refilled once, when it ends, not at every repaint on the way.
    flushPending(false);
    AfxSyncWaitCursor();
    if (isVisible()) repaint();
    restartTick();
}

void AfxDialogWindow::restartTick() {
    m_lastPaint = CoarseNow();
}

const std::vector<AfxWindowHandle*>& AfxDialogWindow::radioRun(AfxWindowHandle& first) {
    if (first.radioRunKnown) return first.radioRun;
    bool started = false;
    for (auto& control : m_controls) {
        if (control.get() == &first) {
            started = true;
        } else if (started && (control->control->style & WS_GROUP) != 0) {
            break;
        }
        if (started && control->isRadio()) first.radioRun.push_back(control.get());
    }
    first.radioRunKnown = true;
    return first.radioRun;
}

void AfxDialogWindow::setChecked(AfxWindowHandle& button, bool checked) {
    auto* widget = qobject_cast<QAbstractButton*>(button.widget);
    if (widget == nullptr || widget->isChecked() == checked) return;
    if (checked) {
        widget->setCheckable(true);
        widget->setChecked(true);
        return;
    }
    // The checked button of an exclusive group cannot be unchecked while it is exclusive.
    QButtonGroup* group = widget->group();
    const bool exclusive = group != nullptr && group->exclusive();
    if (exclusive) group->setExclusive(false);
    widget->setChecked(false);
    if (exclusive) group->setExclusive(true);
}

void AfxDialogWindow::listInsert(AfxWindowHandle& list, int index, const CString& text) {
    list.entries.insert(static_cast<std::size_t>(index), text);
    list.entryIndex.Insert(text);
    if (list.curSel >= index) ++list.curSel;
    noteListChange(list, index, true, text);
}

void AfxDialogWindow::listDelete(AfxWindowHandle& list, int index) {
    list.entryIndex.Erase(list.entries[static_cast<std::size_t>(index)]);
    list.entries.erase(static_cast<std::size_t>(index));
    if (list.curSel == index) {
        list.curSel = LB_ERR;
    } else if (list.curSel > index) {
        --list.curSel;
    }
    noteListChange(list, index, false, CString());
}

void AfxDialogWindow::listReset(AfxWindowHandle& list) {
    list.entries.clear();
    list.entryIndex.Clear();
    list.curSel = LB_ERR;
    list.widgetChanges.clear();
    list.widgetRefill = false;
    if (auto* widget = qobject_cast<QListWidget*>(list.widget)) {
        const QSignalBlocker blocker(widget);
        widget->clear();
    }
}

void AfxDialogWindow::noteListChange(AfxWindowHandle& list, int index, bool insert,
                                     const CString& text) {
    // Replaying a change costs about what refilling costs per entry: beyond a few, refill.
    constexpr std::size_t kReplayedChanges = 32;
    if (!list.widgetRefill) {
        if (list.widgetChanges.size() < kReplayedChanges) {
            list.widgetChanges.push_back({index, insert, insert ? text : CString()});
        } else {
            list.widgetChanges.clear();
            list.widgetRefill = true;
        }
    }
    if (!list.widgetQueued) {
        list.widgetQueued = true;
        m_pendingLists.push_back(&list);
    }
    queueFlush();
}

void AfxDialogWindow::syncListWidget(AfxWindowHandle& list) {
    list.widgetQueued = false;
    const bool refill = std::exchange(list.widgetRefill, false);
    const std::vector<AfxListChange> changes = std::exchange(list.widgetChanges, {});
    auto* widget = qobject_cast<QListWidget*>(list.widget);
    if (widget == nullptr) return;
    const QSignalBlocker blocker(widget);
    if (refill) {
        QStringList texts;
        texts.reserve(static_cast<qsizetype>(list.entries.size()));
        for (std::size_t i = 0; i < list.entries.size(); ++i)
            texts.push_back(AfxToQString(list.entries[i]));
        widget->clear();
        widget->addItems(texts);
        showCurSel(list);
        return;
    }
    // Each item keeps its selection as others come and go, as the entries' selection does.
    for (const AfxListChange& change : changes) {
        if (change.insert) {
            widget->insertItem(change.index, AfxToQString(change.text));
        } else {
            delete widget->takeItem(change.index);
        }
    }
}

void AfxDialogWindow::listSetCurSel(AfxWindowHandle& list, int index) {
    list.curSel = index;
    if (list.widgetQueued) {
        syncListWidget(list);
        std::erase(m_pendingLists, &list);
    }
    showCurSel(list);
}

void AfxDialogWindow::showCurSel(AfxWindowHandle& list) {
    if (auto* widget = qobject_cast<QListWidget*>(list.widget)) {
        const QSignalBlocker blocker(widget);
        if (list.curSel < 0) {
            widget->clearSelection();
            widget->setCurrentRow(-1);
        } else {
            widget->setCurrentRow(list.curSel, QItemSelectionModel::ClearAndSelect);
        }
    }
}

void AfxDialogWindow::runCommand(UINT id, UINT code) {
    QPointer<AfxDialogWindow> guard(this);
    restartTick();
    AfxCallWndProc(&m_owner, WM_COMMAND, MAKEWPARAM(static_cast<WORD>(id), static_cast<WORD>(code)),
                   0);
    if (guard) flushPendingTexts();
    AfxSyncWaitCursor();
}

void AfxDialogWindow::runSysCommand(UINT id) {
    QPointer<AfxDialogWindow> guard(this);
    restartTick();
    AfxCallWndProc(&m_owner, WM_SYSCOMMAND, id, 0);
    if (guard) flushPendingTexts();
    AfxSyncWaitCursor();
}

std::vector<afxtest::SystemMenuEntry> AfxDialogWindow::systemMenuEntries() const {
    // Only the window entries that apply now: a fixed-size dialog has no Size or Maximize,
    // Restore only while minimized, Minimize only with a minimize box.
    const bool iconic = isMinimized();
    const bool minimizable = (m_template.style & WS_MINIMIZEBOX) != 0;
    std::vector<afxtest::SystemMenuEntry> entries;
    if (iconic) entries.push_back({"&Restore", SC_RESTORE, true, false});
    if (!iconic) entries.push_back({"&Move", SC_MOVE, true, false});
    if (minimizable && !iconic) entries.push_back({"Mi&nimize", SC_MINIMIZE, true, false});
    entries.push_back({"", 0, true, true});
    entries.push_back({"&Close", SC_CLOSE, true, false});
    for (const CMenu::Item& item : m_systemMenu.Items()) {
        const bool separator = (item.flags & MF_SEPARATOR) != 0;
        entries.push_back({separator ? std::string() : item.text, static_cast<UINT>(item.id),
                           (item.flags & (MF_GRAYED | MF_DISABLED)) == 0, separator});
    }
    return entries;
}

std::vector<std::pair<QAction*, UINT>> AfxDialogWindow::fillSystemMenu(QMenu& menu) const {
    // Announced to assistive tools as the window's menu, under the window's name.
    menu.setTitle(windowTitle());
    menu.setAccessibleName(windowTitle());
    std::vector<std::pair<QAction*, UINT>> actions;
    for (const afxtest::SystemMenuEntry& entry : systemMenuEntries()) {
        if (entry.separator) {
            menu.addSeparator();
            continue;
        }
        QAction* action = menu.addAction(AfxToQString(entry.text.c_str()));
        action->setEnabled(entry.enabled);
        actions.emplace_back(action, entry.id);
    }
    return actions;
}

void AfxDialogWindow::openSystemMenu(const QPoint& globalPos) {
    if (!m_hasSystemMenu) return;
    flushPendingTexts();
    QMenu menu(this);
    const std::vector<std::pair<QAction*, UINT>> actions = fillSystemMenu(menu);
    QAction* chosen = nullptr;
    if (afxtest::detail::Enabled()) {
        afxtest::detail::CountSystemMenuOpening();
        std::string choice;
        if (afxtest::detail::TakeSystemMenuChoice(choice)) {
            for (auto& [action, id] : actions) {
                if (action->isEnabled() && AfxFromQString(action->text()) == choice)
                    chosen = action;
            }
        }
    } else {
        chosen = menu.exec(globalPos);
    }
    for (auto& [action, id] : actions) {
        if (action == chosen) {
            runSysCommand(id);
            return;
        }
    }
}

void AfxDialogWindow::focusFirstTabStop() {
    for (auto& control : m_controls) {
        QWidget* widget = control->widget;
        if (widget->focusPolicy() == Qt::StrongFocus && widget->isEnabled()) {
            widget->setFocus(Qt::OtherFocusReason);
            return;
        }
    }
}

void AfxDialogWindow::finish(int result) {
    m_finishing = true;
    if (isVisible()) QDialog::done(result);
    setResult(result);
}

void AfxDialogWindow::defaultPaint() {
    if (m_paintEvent != nullptr) QDialog::paintEvent(m_paintEvent);
}

void AfxDialogWindow::paintEvent(QPaintEvent* event) {
    QPaintEvent* outer = m_paintEvent;
    m_paintEvent = event;
    AfxCallWndProc(&m_owner, WM_PAINT, 0, 0);
    m_paintEvent = outer;
}

void AfxDialogWindow::closeEvent(QCloseEvent* event) {
    if (m_finishing || !isVisible()) {
        event->accept();
        return;
    }
    event->ignore();
    runSysCommand(SC_CLOSE);
}

void AfxDialogWindow::reject() {
    if (!m_finishing) runCommand(IDCANCEL, BN_CLICKED);
}

void AfxDialogWindow::accept() {
    if (!m_finishing) runCommand(IDOK, BN_CLICKED);
}

void AfxDialogWindow::contextMenuEvent(QContextMenuEvent* event) {
    if (event->reason() == QContextMenuEvent::Mouse) {
        for (auto& control : m_controls) {
            if (control->control->kind == AfxControlKind::GroupBox) continue;
            if (control->widget->isVisible() &&
                control->widget->geometry().contains(event->pos())) {
                event->ignore();
                return;
            }
        }
    }
    event->accept();
    openSystemMenu(event->globalPos());
}

bool AfxDialogWindow::triggerMnemonic(QChar key) {
    const QChar wanted = key.toLower();
    for (std::size_t i = 0; i < m_controls.size(); ++i) {
        AfxWindowHandle& control = *m_controls[i];
        if (!HasMnemonic(control)) continue;
        const QChar mnemonic = MnemonicOf(AfxToQString(control.text));
        if (mnemonic.isNull() || mnemonic.toLower() != wanted) continue;
        if (!control.widget->isEnabled()) continue;
        if (auto* button = qobject_cast<QAbstractButton*>(control.widget)) {
            button->setFocus(Qt::ShortcutFocusReason);
            button->click();
            return true;
        }
        // A static or group box: the focus goes to the next control that takes it.
        for (std::size_t j = i + 1; j < m_controls.size(); ++j) {
            QWidget* next = m_controls[j]->widget;
            if (next->focusPolicy() == Qt::NoFocus || !next->isEnabled()) continue;
            next->setFocus(Qt::ShortcutFocusReason);
            return true;
        }
        return true;
    }
    return false;
}

bool AfxDialogWindow::handleDialogKey(QKeyEvent* event) {
    const Qt::KeyboardModifiers modifiers = event->modifiers() & ~Qt::KeypadModifier;
    if (modifiers == Qt::AltModifier) {
        if (event->key() == Qt::Key_Space) {
            openSystemMenu(mapToGlobal(QPoint(0, 0)));
            return true;
        }
        const int key = event->key();
        if ((key >= Qt::Key_A && key <= Qt::Key_Z) || (key >= Qt::Key_0 && key <= Qt::Key_9)) {
            return triggerMnemonic(QChar(key));
        }
    }
    return false;
}

bool AfxDialogWindow::eventFilter(QObject* watched, QEvent* event) {
    // What the user reaches must show the entries as they are.
    if (!m_pendingLists.empty()) {
        switch (event->type()) {
            case QEvent::MouseButtonPress:
            case QEvent::MouseButtonDblClick:
            case QEvent::KeyPress:
            case QEvent::ShortcutOverride:
            case QEvent::Wheel:
            case QEvent::ContextMenu:
            case QEvent::FocusIn:
                flushPendingTexts();
                break;
            default:
                break;
        }
    }
    if (event->type() == QEvent::KeyPress) {
        if (handleDialogKey(static_cast<QKeyEvent*>(event))) return true;
    }
    return QDialog::eventFilter(watched, event);
}

void AfxDialogWindow::keyPressEvent(QKeyEvent* event) {
    if (handleDialogKey(event)) return;
    const Qt::KeyboardModifiers modifiers = event->modifiers() & ~Qt::KeypadModifier;
    if (modifiers == Qt::NoModifier) {
        switch (event->key()) {
            case Qt::Key_Escape:
                runCommand(IDCANCEL, BN_CLICKED);
                return;
            case Qt::Key_Return:
            case Qt::Key_Enter:
                if (auto* button = qobject_cast<QPushButton*>(focusWidget())) {
                    button->click();
                } else {
                    runCommand(IDOK, BN_CLICKED);
                }
                return;
            default:
                break;
        }
    }
    // Arrows, Tab and the rest as the base dialog handles them (Escape/Enter excluded above).
    QWidget::keyPressEvent(event);
}
