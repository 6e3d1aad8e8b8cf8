// SPDX-License-Identifier: GPL-3.0-or-later
#include "ScopedWaitCursor.h"

#include "afxwin.h"

ScopedWaitCursor::ScopedWaitCursor() {
    AfxGetApp()->BeginWaitCursor();
}

ScopedWaitCursor::~ScopedWaitCursor() {
    AfxGetApp()->EndWaitCursor();
}
