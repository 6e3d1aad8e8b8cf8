// SPDX-License-Identifier: GPL-3.0-or-later
// Root of the framework's class hierarchy.
#pragma once

class CObject {
  public:
    CObject() = default;
    CObject(const CObject&) = delete;
    CObject& operator=(const CObject&) = delete;
    virtual ~CObject() = default;
};
