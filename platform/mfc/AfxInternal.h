// SPDX-License-Identifier: GPL-3.0-or-later
// Framework internals shared by its source files; not part of the program's API.
#pragma once

#include <functional>
#include <string>

#include "AfxTesting.h"
#include "afxwin.h"

class QIcon;
class QWidget;
class AfxDialogWindow;
class QString;

// Single-byte text to and from Qt, byte for byte.
QString AfxToQString(const char* text);
QString AfxToQString(const CString& text);
std::string AfxFromQString(const QString& text);

// The innermost dialog in its modal loop; nullptr when none.
CWnd* AfxActiveModalDialog();

// The dialog window of a CWnd that is (or is attached to a control of) a shown dialog.
AfxDialogWindow* AfxDialogWindowOf(const CWnd* wnd);

// Calls wnd->WindowProc; an exception escaping a handler is reported in a message box.
LRESULT AfxCallWndProc(CWnd* wnd, UINT message, WPARAM wParam, LPARAM lParam);

// The message box behind CWnd::MessageBox and AfxMessageBox.
int AfxShowMessageBox(CWnd* owner, LPCTSTR text, LPCTSTR caption, UINT type);

// The wait cursor: logical depth, and the Qt override cursor brought in line with it.
int AfxWaitCursorDepth();
void AfxSyncWaitCursor();
bool AfxWaitCursorShown();

// Icons: handles are owned by the framework and live as long as the process.
HICON AfxLoadIconResource(UINT id);
QIcon AfxIconOf(HICON icon);

namespace afxtest::detail {
bool Enabled();
bool TakeScript(std::function<void(CDialog&)>& script);
void CountUnscriptedModal();
bool TakeMessageBoxReply(int& reply);
void RecordMessageBox(MessageBoxRecord record, bool unscripted);
bool TakeSystemMenuChoice(std::string& text);
void CountSystemMenuOpening();
}  // namespace afxtest::detail
