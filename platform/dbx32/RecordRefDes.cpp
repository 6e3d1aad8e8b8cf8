#include "RecordRefDes.h"

#include <algorithm>

namespace dbx {

std::string_view RecordRefDes(std::string_view refDes) {
    refDes = refDes.substr(0, std::min(refDes.size(), kRecordRefDesChars));
    return refDes.substr(0, std::min(refDes.size(), refDes.find('\0')));
}

bool RefDesSelects(std::string_view refDes, std::string_view recordText, bool recordSource) {
    return recordSource ? RecordRefDes(refDes) == recordText : refDes == recordText;
}

}  // namespace dbx
