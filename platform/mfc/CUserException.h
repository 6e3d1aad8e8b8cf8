// SPDX-License-Identifier: GPL-3.0-or-later
// Thrown to stop an operation the user has already been told about (failed data exchange).
#pragma once

#include "CException.h"

class CUserException : public CException {};
