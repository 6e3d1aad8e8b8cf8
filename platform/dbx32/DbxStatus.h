// Statuses returned by the design-database calls; 0 is success.
#pragma once

#include <cstdint>

namespace dbx {

constexpr int32_t kStatusOk = 0;
constexpr int32_t kStatusEndOfWalk = 1;        // no first or next item
constexpr int32_t kStatusNotOpen = 2;          // the context holds no open design
constexpr int32_t kStatusNoTool = 3;           // the tool is not running or did not answer well
constexpr int32_t kStatusNoSuchComponent = 4;  // no component has the refdes
constexpr int32_t kStatusNoSuchStyle = 5;      // unknown pad-style or text-style id
constexpr int32_t kStatusBadArgument = 6;      // a null pointer
constexpr int32_t kStatusInternalError = 7;    // out of memory or similar
// A highlight request that the tool could not resolve to a component.
constexpr int32_t kStatusHighlightNotFound = 8;

}  // namespace dbx
