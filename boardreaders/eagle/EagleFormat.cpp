// SPDX-License-Identifier: GPL-3.0-or-later
#include "EagleFormat.h"

#include "EagleReader.h"

namespace boards {

bool EagleFormat::Recognises(const FileProbe& probe) const {
    return !probe.isDirectory && StartsEagleDocument(probe.head);
}

bool EagleFormat::Read(const std::string& path, Design& out, ReadError& error) const {
    return ReadEagleBoard(path, out, error);
}

bool EagleFormat::Parse(std::string_view bytes, const std::string& fileName, Design& out,
                        ReadError& error) const {
    return ParseEagleBoard(bytes, fileName, out, error);
}

}  // namespace boards
