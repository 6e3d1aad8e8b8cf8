#include "ScopedWaitCursor.h"

#include "afxwin.h"

ScopedWaitCursor::ScopedWaitCursor() {
    AfxGetApp()->BeginWaitCursor();
}

ScopedWaitCursor::~ScopedWaitCursor() {
    AfxGetApp()->EndWaitCursor();
}
