// SPDX-License-Identifier: GPL-3.0-or-later
// Dialog data exchange between members and the controls of a dialog window.
#pragma once

#include "CString.h"

class AfxDialogWindow;
class CWnd;

class CDataExchange {
  public:
    CDataExchange(CWnd* pDlgWnd, BOOL bSaveAndValidate);

    BOOL m_bSaveAndValidate;  // TRUE: controls to members
    CWnd* m_pDlgWnd;

    // The control with that id; Fail() when the dialog has none.
    HWND PrepareCtrl(int nIDC);
    [[noreturn]] void Fail();

  private:
    AfxDialogWindow* m_window;  // of m_pDlgWnd, looked up once per exchange
};

// Attaches the control wrapper to the dialog's control (once per window).
void DDX_Control(CDataExchange* pDX, int nIDC, CWnd& rControl);
// The control's text. Writing an unchanged text does nothing; changes show lazily.
void DDX_Text(CDataExchange* pDX, int nIDC, CString& value);
// Position of the checked radio button among the radio buttons from nIDC to the next
// control that starts a group; -1 for none (writing -1 unchecks them all).
void DDX_Radio(CDataExchange* pDX, int nIDC, int& value);
