// SPDX-License-Identifier: GPL-3.0-or-later
// Small tests on the first bytes of a file, shared by the formats' Recognises().
#pragma once

#include <string_view>

namespace boards {

// The head after a UTF-8 byte-order mark and white space.
std::string_view SkipBomAndSpace(std::string_view head);
// The root element's name (prefix included) of an XML document, after its declaration,
// processing instructions, comments and document type; empty when the head holds none.
std::string_view XmlRootName(std::string_view head);
// Whether `path` ends in "." + suffix, ignoring ASCII case.
bool HasSuffix(std::string_view path, std::string_view suffix);

}  // namespace boards
