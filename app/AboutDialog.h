// The About box, shown from the launcher's system menu.
#pragma once

#include "afxwin.h"

class AboutDialog : public CDialog {
  public:
    AboutDialog();
};
