// SPDX-License-Identifier: GPL-3.0-or-later
// The application object: starts the launcher and ends the process when it closes.
#pragma once

#include "afxwin.h"

class PartwiseApp : public CWinApp {
  public:
    PartwiseApp();

    BOOL InitInstance() override;

    DECLARE_MESSAGE_MAP()
};
