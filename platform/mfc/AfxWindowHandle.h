// SPDX-License-Identifier: GPL-3.0-or-later
// What a window handle stands for: the dialog window or one of its controls, with a copy
// of what the control shows so that reads never touch Qt.
#pragma once

#include <memory>
#include <vector>

#include "AfxDialogTemplate.h"
#include "AfxListEntries.h"
#include "AfxListIndex.h"
#include "CString.h"
#include "CWnd.h"

class AfxDialogWindow;
class QWidget;

// A change to a list box that its widget has yet to show.
struct AfxListChange {
    int index = 0;
    bool insert = false;  // else a deletion
    CString text;         // of an insertion
};

struct AfxWindowHandle {
    AfxDialogWindow* dialog = nullptr;
    QWidget* widget = nullptr;
    const AfxControlTemplate* control = nullptr;  // nullptr for the dialog itself
    int id = 0;
    CWnd* attached = nullptr;       // the wrapper bound by DDX_Control or Attach
    std::unique_ptr<CWnd> wrapper;  // the one GetDlgItem hands out

    CString text;  // the text shown, or about to be shown when pending
    bool textPending = false;
    bool checked = false;  // radio and push buttons
    // The first radio button of a run: the run's buttons once found, and the position last
    // written by DDX_Radio with the dialog's check count at that time.
    std::vector<AfxWindowHandle*> radioRun;
    bool radioRunKnown = false;
    int radioShown = -1;
    unsigned radioShownAt = 0;
    AfxListEntries entries;   // list boxes
    AfxListIndex entryIndex;  // the texts of entries, for exact lookups
    int curSel = LB_ERR;
    // The list widget lags the entries until the dialog next flushes: the changes since are
    // replayed while they are few, beyond that the widget is refilled from the entries at once.
    std::vector<AfxListChange> widgetChanges;
    bool widgetRefill = false;
    bool widgetQueued = false;

    bool isListBox() const {
        return control != nullptr && control->kind == AfxControlKind::ListBox;
    }
    bool isRadio() const {
        return control != nullptr && control->kind == AfxControlKind::AutoRadioButton;
    }
};
