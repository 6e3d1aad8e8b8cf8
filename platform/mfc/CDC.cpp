// SPDX-License-Identifier: GPL-3.0-or-later
#include "CDC.h"

#include <QIcon>
#include <QPainter>

#include "AfxInternal.h"

CDC::CDC() : m_hDC(&m_handle) {}

CDC::~CDC() = default;

BOOL CDC::DrawIcon(int x, int y, HICON hIcon) {
    QPainter* painter = m_handle.painter;
    if (painter == nullptr || !painter->isActive() || hIcon == nullptr) return FALSE;
    const int cx = GetSystemMetrics(SM_CXICON);
    const int cy = GetSystemMetrics(SM_CYICON);
    painter->drawPixmap(x, y, AfxIconOf(hIcon).pixmap(cx, cy));
    return TRUE;
}
