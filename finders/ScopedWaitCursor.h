// SPDX-License-Identifier: GPL-3.0-or-later
// The application's wait cursor for the length of a scope; scopes nest.
#pragma once

class ScopedWaitCursor {
  public:
    ScopedWaitCursor();
    ~ScopedWaitCursor();
    ScopedWaitCursor(const ScopedWaitCursor&) = delete;
    ScopedWaitCursor& operator=(const ScopedWaitCursor&) = delete;
};
