// SPDX-License-Identifier: GPL-3.0-or-later
// The device context of a window's paint message; valid only inside OnPaint.
#pragma once

#include <memory>

#include "CDC.h"

class CWnd;

class CPaintDC : public CDC {
  public:
    explicit CPaintDC(CWnd* pWnd);
    ~CPaintDC() override;

    CWnd* m_hWndOwner;

  private:
    std::unique_ptr<QPainter> m_painter;
};
