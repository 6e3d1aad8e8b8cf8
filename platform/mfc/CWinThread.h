// SPDX-License-Identifier: GPL-3.0-or-later
// The user-interface thread: holds the main window and the instance start-up hooks.
#pragma once

#include "CCmdTarget.h"

class CWnd;

class CWinThread : public CCmdTarget {
  public:
    CWinThread() = default;

    CWnd* m_pMainWnd = nullptr;

    virtual BOOL InitInstance();
    virtual int Run();
    virtual int ExitInstance();
};
