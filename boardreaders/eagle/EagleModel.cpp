// SPDX-License-Identifier: GPL-3.0-or-later
#include "EagleModel.h"

#include <algorithm>

namespace boards::eagle {
namespace {

std::string Key(const std::string& a, const std::string& b) {
    std::string key = a;
    key += '\x1f';
    key += b;
    return key;
}

}  // namespace

int FindPackage(const Model& model, const Element& element, std::string& problem) {
    const auto exact =
        model.packageByKey.find(Key(Key(element.library, element.libraryUrn), element.package));
    if (exact != model.packageByKey.end()) return exact->second;
    // An element without a library URN, or with one that does not lead to the package, takes
    // it from the one library of that name that holds it.
    const auto named = model.packagesByName.find(Key(element.library, element.package));
    if (named != model.packagesByName.end() && named->second.size() == 1)
        return named->second.front();
    problem = "package " + element.package + " of library " + element.library;
    if (!element.libraryUrn.empty()) problem += " (" + element.libraryUrn + ")";
    if (named != model.packagesByName.end() && named->second.size() > 1)
        problem +=
            " is held by several libraries of that name, and the element names no URN "
            "that tells them apart";
    else
        problem += " is not in the board's libraries";
    return -1;
}

std::string NameProblem(std::string_view text, size_t capacity, const std::string& what) {
    if (std::any_of(text.begin(), text.end(),
                    [](char c) { return static_cast<unsigned char>(c) < 0x20 || c == 0x7f; }))
        return what + " holds a control character";
    if (text.size() >= capacity)
        return what + " longer than " + std::to_string(capacity - 1) + " bytes";
    return {};
}

}  // namespace boards::eagle
