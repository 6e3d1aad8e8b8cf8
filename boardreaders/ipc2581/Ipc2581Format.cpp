// SPDX-License-Identifier: GPL-3.0-or-later
#include "Ipc2581Format.h"

#include "Ipc2581Reader.h"

namespace boards {

bool Ipc2581Format::Recognises(const FileProbe& probe) const {
    return StartsIpc2581Document(probe.head);
}

bool Ipc2581Format::Read(const std::string& path, Design& out, ReadError& error) const {
    return ReadIpc2581Board(path, out, error);
}

bool Ipc2581Format::Parse(std::string_view bytes, const std::string& fileName, Design& out,
                          ReadError& error) const {
    return ParseIpc2581Board(bytes, fileName, out, error);
}

}  // namespace boards
