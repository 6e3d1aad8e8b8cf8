// Multibyte string comparison of the C runtime, for single-byte text.
#pragma once

#include "AfxTypes.h"

// Byte-wise, case-sensitive: <0, 0 or >0 as strcmp on unsigned bytes; _NLSCMPERROR for null.
int _mbscmp(const unsigned char* string1, const unsigned char* string2);
