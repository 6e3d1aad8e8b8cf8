// SPDX-License-Identifier: GPL-3.0-or-later
#include "AltiumFormat.h"

#include "AltiumReader.h"

namespace boards {

// No other format read here is an OLE compound file: every one is shown to this reader, which
// says what a compound file that is no PCB document is instead.
bool AltiumFormat::Recognises(const FileProbe& probe) const {
    return !probe.isDirectory && StartsCompoundFile(probe.head);
}

bool AltiumFormat::Read(const std::string& path, Design& out, ReadError& error) const {
    return ReadAltiumBoard(path, out, error);
}

bool AltiumFormat::Parse(std::string_view bytes, const std::string& fileName, Design& out,
                         ReadError& error) const {
    return ParseAltiumBoard(bytes, fileName, out, error);
}

}  // namespace boards
