// SPDX-License-Identifier: GPL-3.0-or-later
// Base of the framework's exceptions.
#pragma once

#include "CObject.h"

class CException : public CObject {
  public:
    CException() = default;
    CException(const CException&) : CObject() {}
};
