// SPDX-License-Identifier: LGPL-3.0-or-later
// The public statuses as typed constants for the library's own code; 0 is success.
#pragma once

#include <cstdint>

#include "Dbx32.h"

namespace dbx {

constexpr int32_t kStatusOk = DBX_STATUS_OK;
constexpr int32_t kStatusEndOfWalk = DBX_STATUS_END_OF_WALK;
constexpr int32_t kStatusNotOpen = DBX_STATUS_NOT_OPEN;
constexpr int32_t kStatusNoTool = DBX_STATUS_NO_TOOL;
constexpr int32_t kStatusNoSuchComponent = DBX_STATUS_NO_SUCH_COMPONENT;
constexpr int32_t kStatusNoSuchStyle = DBX_STATUS_NO_SUCH_STYLE;
constexpr int32_t kStatusBadArgument = DBX_STATUS_BAD_ARGUMENT;
constexpr int32_t kStatusInternalError = DBX_STATUS_INTERNAL_ERROR;
constexpr int32_t kStatusHighlightNotFound = DBX_STATUS_HIGHLIGHT_NOT_FOUND;

}  // namespace dbx
