// SPDX-License-Identifier: GPL-3.0-or-later
// The About box, shown from the launcher's system menu.
#pragma once

#include "afxwin.h"

class AboutDialog : public CDialog {
  public:
    AboutDialog();
};
