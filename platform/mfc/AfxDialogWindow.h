// SPDX-License-Identifier: GPL-3.0-or-later
// The Qt window of a dialog while it is shown: its controls built from the template, the
// shadow state behind the control wrappers, keyboard and system-menu handling.
#pragma once

#include <QDialog>
#include <chrono>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "AfxTesting.h"
#include "AfxWindowHandle.h"
#include "CMenu.h"

class CDialog;
class QAction;
class QButtonGroup;
class QMenu;
class QPaintEvent;

class AfxDialogWindow : public QDialog {
  public:
    AfxDialogWindow(CDialog& owner, const AfxDialogTemplate& dialogTemplate, QWidget* parent);
    ~AfxDialogWindow() override;

    CDialog& owner() const { return m_owner; }
    const AfxDialogTemplate& dialogTemplate() const { return m_template; }
    AfxWindowHandle* handle() { return &m_self; }
    // The control with that id, the first of the template when several share it; nullptr when
    // there is none. Every data exchange asks, several times per counter update.
    AfxWindowHandle* control(int id) {
        const auto slot = static_cast<unsigned long long>(static_cast<long long>(id) - m_firstId);
        if (slot < m_controlTable.size()) return m_controlTable[slot];
        return m_controlTable.empty() ? controlBySearch(id) : nullptr;
    }
    const std::vector<std::unique_ptr<AfxWindowHandle>>& controls() const { return m_controls; }
    CMenu* systemMenu() { return m_hasSystemMenu ? &m_systemMenu : nullptr; }

    // Dialog units to pixels through the dialog font's base units.
    int baseUnitX() const { return m_baseUnitX; }
    int baseUnitY() const { return m_baseUnitY; }
    QRect mapDialogRect(int x, int y, int cx, int cy) const;

    // Texts change in the shadow at once and on screen at the next flush.
    void setControlText(AfxWindowHandle& control, const CString& text);
    // Shows every pending text and brings every list widget in line with its entries.
    void flushPendingTexts();
    // After UpdateData(FALSE): flush and repaint synchronously at most every 30 ms.
    void tick();
    void restartTick();

    // Radio buttons from the given one to the next control that starts a group.
    const std::vector<AfxWindowHandle*>& radioRun(AfxWindowHandle& first);
    // Whether the run starting at `first` shows `position` as DDX_Radio last wrote it, no
    // button of the dialog having been checked or unchecked since.
    bool radioShows(const AfxWindowHandle& first, int position) const {
        return first.radioShown == position && first.radioShownAt == m_checkChanges;
    }
    void noteRadioShown(AfxWindowHandle& first, int position) {
        first.radioShown = position;
        first.radioShownAt = m_checkChanges;
    }
    void setChecked(AfxWindowHandle& button, bool checked);

    void listInsert(AfxWindowHandle& list, int index, const CString& text);
    void listDelete(AfxWindowHandle& list, int index);
    void listReset(AfxWindowHandle& list);
    void listSetCurSel(AfxWindowHandle& list, int index);

    // A command from a control or the keyboard, run as an event-loop handler.
    void runCommand(UINT id, UINT code);
    void runSysCommand(UINT id);
    std::vector<afxtest::SystemMenuEntry> systemMenuEntries() const;
    void openSystemMenu(const QPoint& globalPos);
    // Fills `menu` with the system menu's entries; each action with the command it sends.
    std::vector<std::pair<QAction*, UINT>> fillSystemMenu(QMenu& menu) const;

    void focusFirstTabStop();
    void finish(int result);  // EndDialog
    bool inPaintEvent() const { return m_paintEvent != nullptr; }
    void defaultPaint();

  protected:
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  public:
    void reject() override;
    void accept() override;

  private:
    void buildControls();
    void queueFlush();
    // Texts always; list widgets that a flush would have to refill only when asked.
    void flushPending(bool refillLists);
    void noteListChange(AfxWindowHandle& list, int index, bool insert, const CString& text);
    void syncListWidget(AfxWindowHandle& list);
    void showCurSel(AfxWindowHandle& list);
    void indexControls();
    AfxWindowHandle* controlBySearch(int id);
    QWidget* createControl(AfxWindowHandle& handle, QButtonGroup*& group);
    void applyText(AfxWindowHandle& control);
    bool handleDialogKey(QKeyEvent* event);
    bool triggerMnemonic(QChar key);

    CDialog& m_owner;
    const AfxDialogTemplate& m_template;
    AfxWindowHandle m_self;
    std::vector<std::unique_ptr<AfxWindowHandle>> m_controls;
    // Controls by id: a table from the lowest id to the highest, or a sorted list for templates
    // whose ids spread too far for a table.
    std::vector<AfxWindowHandle*> m_controlTable;
    long long m_firstId = 0;
    std::vector<std::pair<int, AfxWindowHandle*>> m_controlsById;
    std::vector<AfxWindowHandle*> m_pending;
    std::vector<AfxWindowHandle*> m_pendingLists;
    unsigned m_checkChanges = 1;  // counts every button checked or unchecked
    CMenu m_systemMenu;
    bool m_hasSystemMenu = false;
    int m_baseUnitX = 0;
    int m_baseUnitY = 0;
    bool m_finishing = false;
    bool m_flushQueued = false;
    QPaintEvent* m_paintEvent = nullptr;
    std::chrono::nanoseconds m_lastPaint{};  // on the coarse monotonic clock
};
