// SPDX-License-Identifier: GPL-3.0-or-later
#include "CPaintDC.h"

#include <QPainter>

#include "AfxDialogWindow.h"
#include "AfxInternal.h"

CPaintDC::CPaintDC(CWnd* pWnd) : m_hWndOwner(pWnd) {
    AfxDialogWindow* window = AfxDialogWindowOf(pWnd);
    // Painting is possible only while the window handles its paint event.
    if (window != nullptr && window->inPaintEvent()) {
        m_painter = std::make_unique<QPainter>(window);
        m_handle.painter = m_painter.get();
    }
}

CPaintDC::~CPaintDC() {
    m_handle.painter = nullptr;
    if (m_painter) m_painter->end();
}
