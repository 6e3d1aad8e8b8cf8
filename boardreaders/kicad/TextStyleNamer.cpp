// SPDX-License-Identifier: GPL-3.0-or-later
#include "TextStyleNamer.h"

#include <functional>

#include "Dbx32.h"
#include "StyleName.h"

namespace boards::kicad {

namespace {
constexpr size_t kTextStyleNameCapacity = DBX_TEXT_STYLE_NAME_SIZE;
}

std::string TextStyleNamer::BaseName(const TextLook& look) {
    std::string name =
        FormatQuantised(Quantise(look.height)) + "x" + FormatQuantised(Quantise(look.width));
    if (look.thickness >= 0) name += " t" + FormatQuantised(Quantise(look.thickness));
    if (look.bold) name += " bold";
    if (look.italic) name += " italic";
    if (!look.face.empty()) name += " face " + look.face;
    return name;
}

int TextStyleNamer::StyleFor(const TextLook& look) {
    std::string base = BaseName(look);
    auto found = styles_.find(base);
    if (found != styles_.end()) return found->second;

    const uint64_t keyHash = std::hash<std::string>()(base);
    std::string name = UniqueName(base, keyHash, kTextStyleNameCapacity, names_);

    const int index = static_cast<int>(design_.textStyles.size());
    design_.textStyles.push_back(TextStyle{std::move(name)});
    styles_.emplace(std::move(base), index);
    return index;
}

}  // namespace boards::kicad
