// SPDX-License-Identifier: GPL-3.0-or-later
#include "PcbDocFormat.h"

#include "PcbDocReader.h"

namespace boards {

// No other format read here is an OLE compound file: every one is shown to this reader, which
// says what a compound file that is no PCB document is instead.
bool PcbDocFormat::Recognises(const FileProbe& probe) const {
    return !probe.isDirectory && StartsCompoundFile(probe.head);
}

bool PcbDocFormat::Read(const std::string& path, Design& out, ReadError& error) const {
    return ReadPcbDocBoard(path, out, error);
}

bool PcbDocFormat::Parse(std::string_view bytes, const std::string& fileName, Design& out,
                         ReadError& error) const {
    return ParsePcbDocBoard(bytes, fileName, out, error);
}

}  // namespace boards
