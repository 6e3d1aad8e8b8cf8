// SPDX-License-Identifier: GPL-3.0-or-later
// Typed, bounded access to the record fields that the finders read.
#pragma once

#include <cstring>
#include <string_view>

#include "Dbx32.h"

namespace designdb {

// A text field read up to its terminator, never past the end of the field.
template <std::size_t N>
std::string_view FieldText(const char (&field)[N]) {
    return {field, ::strnlen(field, N)};
}

inline std::string_view RefDes(const ComponentRecord& r) {
    return FieldText(r.refDes);
}
inline std::string_view AttributeName(const AttributeRecord& r) {
    return FieldText(r.name);
}
inline int32_t TextStyleId(const AttributeRecord& r) {
    return r.textStyleId;
}
inline int32_t PadStyleId(const PadRecord& r) {
    return r.padStyleId;
}
inline std::string_view PadStyleName(const PadStyleRecord& r) {
    return FieldText(r.name);
}
inline int32_t HoleDiameter(const PadStyleRecord& r) {
    return r.holeDiameter;
}
inline std::string_view TextStyleName(const TextStyleRecord& r) {
    return FieldText(r.name);
}

}  // namespace designdb
