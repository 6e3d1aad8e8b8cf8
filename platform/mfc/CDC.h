// SPDX-License-Identifier: GPL-3.0-or-later
// A device context: draws on a window.
#pragma once

#include <memory>

#include "CObject.h"
#include "CRect.h"

class QPainter;

struct AfxDeviceContextHandle {
    QPainter* painter = nullptr;
};

class CDC : public CObject {
  public:
    CDC();
    ~CDC() override;

    HDC m_hDC;
    HDC GetSafeHdc() const { return m_hDC; }

    // Draws the icon at its natural size (32 by 32); FALSE when nothing can be drawn.
    BOOL DrawIcon(int x, int y, HICON hIcon);
    BOOL DrawIcon(POINT point, HICON hIcon) { return DrawIcon(point.x, point.y, hIcon); }

  protected:
    AfxDeviceContextHandle m_handle;
};
