// SPDX-License-Identifier: GPL-3.0-or-later
// The executable's resources: dialog templates, strings, icon and version block.
#pragma once

#include "AfxDialogTemplate.h"

const AfxResourceTable& PartwiseResources();
