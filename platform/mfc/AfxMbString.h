// SPDX-License-Identifier: GPL-3.0-or-later
// Multibyte string comparison of the C runtime, for single-byte text.
#pragma once

#include "AfxTypes.h"

// Byte-wise, case-sensitive: -1, 0 or 1 as strcmp on unsigned bytes; _NLSCMPERROR for null.
// Inline: the finders call it tens of millions of times per operation.
inline int _mbscmp(const unsigned char* string1, const unsigned char* string2) {
    if (string1 == nullptr || string2 == nullptr) return _NLSCMPERROR;
    while (*string1 != 0 && *string1 == *string2) {
        ++string1;
        ++string2;
    }
    return *string1 == *string2 ? 0 : (*string1 < *string2 ? -1 : 1);
}
