// SPDX-License-Identifier: GPL-3.0-or-later
// The application object: one per process, reachable through AfxGetApp().
#pragma once

#include "CWinThread.h"

class CWinApp : public CWinThread {
  public:
    explicit CWinApp(LPCTSTR lpszAppName = nullptr);
    ~CWinApp() override;

    LPCTSTR m_pszAppName = nullptr;

    // Icons from the resource table, rendered at 16, 32, 48 and 64 pixels; nullptr if absent.
    HICON LoadIcon(UINT nIDResource) const;
    HICON LoadIcon(LPCTSTR lpszResourceName) const;
    HICON LoadIconA(UINT nIDResource) const { return LoadIcon(nIDResource); }
    HICON LoadIconA(LPCTSTR lpszResourceName) const { return LoadIcon(lpszResourceName); }

    BOOL Enable3dControls();
    int ExitInstance() override;

    afx_msg void OnHelp();

    DECLARE_MESSAGE_MAP()

  private:
    CWinApp* m_pPreviousApp;  // the application object again once this one is gone
};

CWinApp* AfxGetApp();
CWnd* AfxGetMainWnd();
LPCTSTR AfxGetAppName();
void AfxEnableControlContainer();

// Creates the QApplication if there is none and names it after AFX_IDS_APP_TITLE.
BOOL AfxWinInit(int& argc, char** argv);
// AfxWinInit, InitInstance, Run when that returns TRUE, then ExitInstance.
int AfxWinMain(int argc, char** argv);

// A message box owned by the active dialog (or the main window).
int AfxMessageBox(LPCTSTR lpszText, UINT nType = MB_OK, UINT nIDHelp = 0);
