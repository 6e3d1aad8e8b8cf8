// SPDX-License-Identifier: GPL-3.0-or-later
#include "AltiumReader.h"

#include "AltiumBoardModel.h"
#include "AltiumDesignBuilder.h"
#include "AltiumStreamParser.h"
#include "CompoundFile.h"
#include "boardreaders/RegularFile.h"

namespace boards {

bool StartsCompoundFile(std::string_view head) {
    return head.substr(0, altium::CompoundFile::kSignature.size()) ==
           altium::CompoundFile::kSignature;
}

bool ParseAltiumBoard(std::string_view bytes, const std::string& fileName, Design& out,
                      ReadError& error) {
    std::string reason;
    altium::CompoundFile file;
    altium::AltiumBoardModel model;
    if (!file.Open(bytes, &reason) || !altium::IsPcbDocument(file, &reason) ||
        !altium::ReadAltiumStreams(file, model, &reason) ||
        !altium::BuildAltiumDesign(model, out, &reason)) {
        error = {fileName, 0, reason};
        return false;
    }
    return true;
}

bool ReadAltiumBoard(const std::string& path, Design& out, ReadError& error) {
    RegularFile file;
    std::string bytes, reason;
    if (!file.Open(path, &reason) || !file.ReadAll(&bytes, &reason)) {
        error = {path, 0, reason};
        return false;
    }
    return ParseAltiumBoard(bytes, path, out, error);
}

}  // namespace boards
