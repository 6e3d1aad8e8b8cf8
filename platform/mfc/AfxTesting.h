// SPDX-License-Identifier: GPL-3.0-or-later
// Test seam: drives real dialogs without a user and without blocking.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "afxwin.h"

class QMenu;
class QWidget;

namespace afxtest {

struct MessageBoxRecord {
    std::string text;
    std::string caption;
    UINT type = 0;                     // MB_* flags as passed
    std::vector<std::string> buttons;  // button texts of the real box, left to right
    const CWnd* owner = nullptr;
    int waitCursorDepth = 0;  // begins not yet ended when the box came up
    int result = 0;           // what MessageBox returned
};

// Test mode: modal loops run queued scripts, message boxes take queued replies.
void Enable();

// Runs script inside the next DoModal, after OnInitDialog, with the window shown.
// A script that leaves the dialog open has it ended through OnCancel.
void OnNextModal(std::function<void(CDialog&)> script);
// DoModal calls that found no script and were ended at once through OnCancel.
int UnscriptedModals();

// Replies for the next message boxes, in order. With none queued, a box with only
// an OK button answers IDOK; any other box answers IDCANCEL and counts as unscripted.
void QueueMessageBoxReply(int reply);
const std::vector<MessageBoxRecord>& MessageBoxes();
int UnscriptedMessageBoxes();
void Reset();  // clears queued scripts, replies, records and counters

// As a user would: click a push button or radio button, pick a list entry (-1: none).
void PressButton(CWnd& dialog, int id);
void CheckRadio(CWnd& dialog, int id);
void SelectListEntry(CWnd& dialog, int id, int index);
void PressKey(CWnd& dialog, int qtKey, int qtModifiers = 0);

// What the screen shows now (pending updates flushed first).
std::string ControlText(CWnd& dialog, int id);
std::vector<std::string> ListEntries(CWnd& dialog, int id);
int ListSelection(CWnd& dialog, int id);
bool IsChecked(CWnd& dialog, int id);
std::string WindowCaption(CWnd& dialog);

// The dialog's controls by id (-1 for static controls), in creation order.
std::vector<std::pair<int, QWidget*>> Controls(CWnd& dialog);
QWidget* Window(CWnd& dialog);

// The system menu as it would open now (window entries, then what the program appended).
struct SystemMenuEntry {
    std::string text;  // with its '&' mnemonic; empty for a separator
    UINT id = 0;       // the command sent to OnSysCommand
    bool enabled = true;
    bool separator = false;
};
std::vector<SystemMenuEntry> SystemMenu(CWnd& dialog);
// The menu widget that Alt+Space would open now, filled but not shown (nullptr without one).
std::unique_ptr<QMenu> SystemMenuWidget(CWnd& dialog);
// Chooses an entry by its text, as a user would from the opened menu.
void ChooseSystemMenuEntry(CWnd& dialog, const std::string& text);
// Alt+Space or a right-click on the background opens the menu; in test mode the opening is
// counted and the next queued choice (if any) is taken instead of waiting for the user.
void QueueSystemMenuChoice(const std::string& text);
int SystemMenuOpenings();
// Sends a right-click (context-menu request) at a point of the dialog's client area.
void RightClick(CWnd& dialog, int x, int y);

int WaitCursorDepth();
bool WaitCursorShown();  // the application's override cursor is the wait cursor

}  // namespace afxtest
