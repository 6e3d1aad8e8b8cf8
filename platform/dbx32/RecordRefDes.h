// SPDX-License-Identifier: LGPL-3.0-or-later
// How a reference designator reads once a component record holds it, and which component such a
// text may select. A record cuts a refdes at its capacity and, being read as a C string, at its
// first zero byte; a cut text must never select a component other than the one it came from.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "Dbx32.h"

namespace dbx {

// A component record holds this many bytes of a reference designator; both ends cut to it.
constexpr std::size_t kRecordRefDesChars = DBX_REFDES_SIZE - 1;

// The refdes as it reads from a component record.
std::string_view RecordRefDes(std::string_view refDes);

// The component that `text`, read from a component record, selects among `count` components
// whose refdes `refDesOf(i)` gives: `source`, the component the record was filled from
// (kNoComponent when unknown), when the text is its record form; else the first whose whole
// refdes is the text; else the only one whose record form is the text. kNoComponent when none,
// or when several could be meant: a cut text never selects a component it did not come from.
inline constexpr uint32_t kNoComponent = UINT32_MAX;

template <class RefDesOf>
uint32_t SelectComponent(std::size_t count, RefDesOf refDesOf, std::string_view text,
                         uint32_t source) {
    if (source < count && RecordRefDes(refDesOf(source)) == text) return source;
    uint32_t onlyCut = kNoComponent;
    bool several = false;
    for (uint32_t i = 0; i < count; ++i) {
        const std::string_view refDes = refDesOf(i);
        if (refDes == text) return i;
        if (RecordRefDes(refDes) == text) {
            several = several || onlyCut != kNoComponent;
            onlyCut = i;
        }
    }
    return several ? kNoComponent : onlyCut;
}

}  // namespace dbx
