// SPDX-License-Identifier: GPL-3.0-or-later
// A dialog built from a dialog template at each showing and run modally.
#pragma once

#include "CWnd.h"

class CDialog : public CWnd {
  public:
    CDialog();
    explicit CDialog(UINT nIDTemplate, CWnd* pParentWnd = nullptr);
    ~CDialog() override;

    // Builds the window from the template, runs OnInitDialog and a modal loop, destroys the
    // window and returns the EndDialog code (-1 when the template is missing).
    virtual INT_PTR DoModal();
    void EndDialog(int nResult);

    // Runs UpdateData(FALSE); TRUE gives the focus to the first tab stop.
    virtual BOOL OnInitDialog();

    UINT m_nIDHelp = 0;

  protected:
    virtual void OnOK();
    virtual void OnCancel();

    LRESULT DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    BOOL OnCmdMsg(UINT nID, int nCode, void* pExtra, AFX_CMDHANDLERINFO* pHandlerInfo) override;

    UINT m_nIDTemplate = 0;
    CWnd* m_pParentWnd = nullptr;

    DECLARE_MESSAGE_MAP()

  private:
    int m_nModalResult = -1;
    bool m_ended = false;

    friend class AfxDialogWindow;
};
