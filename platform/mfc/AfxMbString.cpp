#include "AfxMbString.h"

#include <cstring>

int _mbscmp(const unsigned char* string1, const unsigned char* string2) {
    if (string1 == nullptr || string2 == nullptr) return _NLSCMPERROR;
    // strcmp compares as unsigned char.
    const int result =
        std::strcmp(reinterpret_cast<const char*>(string1), reinterpret_cast<const char*>(string2));
    return result < 0 ? -1 : (result > 0 ? 1 : 0);
}
