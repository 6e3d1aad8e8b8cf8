// SPDX-License-Identifier: LGPL-3.0-or-later
#include "RecordRefDes.h"

#include <algorithm>

namespace dbx {

std::string_view RecordRefDes(std::string_view refDes) {
    refDes = refDes.substr(0, std::min(refDes.size(), kRecordRefDesChars));
    return refDes.substr(0, std::min(refDes.size(), refDes.find('\0')));
}

}  // namespace dbx
