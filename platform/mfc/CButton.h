// SPDX-License-Identifier: GPL-3.0-or-later
// A push button or radio button.
#pragma once

#include "CWnd.h"

constexpr int BST_UNCHECKED = 0;
constexpr int BST_CHECKED = 1;

class CButton : public CWnd {
  public:
    CButton() = default;

    int GetCheck() const;
    void SetCheck(int nCheck);
};
