// SPDX-License-Identifier: GPL-3.0-or-later
// A rectangle with the framework's helpers.
#pragma once

#include "AfxTypes.h"

class CRect : public RECT {
  public:
    CRect() : RECT{0, 0, 0, 0} {}
    CRect(int l, int t, int r, int b) : RECT{l, t, r, b} {}
    CRect(const RECT& rect) : RECT(rect) {}  // NOLINT: implicit as in the framework

    int Width() const { return right - left; }
    int Height() const { return bottom - top; }
    BOOL IsRectEmpty() const { return (right <= left || bottom <= top) ? TRUE : FALSE; }
    POINT TopLeft() const { return POINT{left, top}; }
    POINT BottomRight() const { return POINT{right, bottom}; }
    void SetRect(int l, int t, int r, int b) {
        left = l;
        top = t;
        right = r;
        bottom = b;
    }
    void OffsetRect(int dx, int dy) {
        left += dx;
        right += dx;
        top += dy;
        bottom += dy;
    }
    BOOL PtInRect(POINT point) const {
        return (point.x >= left && point.x < right && point.y >= top && point.y < bottom) ? TRUE
                                                                                          : FALSE;
    }

    operator LPRECT() { return this; }         // NOLINT: implicit as in the framework
    operator LPCRECT() const { return this; }  // NOLINT: implicit as in the framework

    bool operator==(const CRect& other) const {
        return left == other.left && top == other.top && right == other.right &&
               bottom == other.bottom;
    }
};
