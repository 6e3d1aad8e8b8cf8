// How a reference designator reads once a component record holds it, and which component such a
// text may select. A record cuts a refdes at its capacity and, being read as a C string, at its
// first zero byte; a cut text must never select a component other than the one it came from.
#pragma once

#include <cstddef>
#include <string_view>

#include "Dbx32.h"

namespace dbx {

// A component record holds this many bytes of a reference designator; both ends cut to it.
constexpr std::size_t kRecordRefDesChars = DBX_REFDES_SIZE - 1;

// The refdes as it reads from a component record.
std::string_view RecordRefDes(std::string_view refDes);

// Whether the text read from a record selects the component whose refdes is `refDes`. The
// component the record was filled from (`recordSource`) matches on its record form; any other
// component only when its whole refdes equals the text, so a cut text selects no other one.
bool RefDesSelects(std::string_view refDes, std::string_view recordText, bool recordSource);

}  // namespace dbx
