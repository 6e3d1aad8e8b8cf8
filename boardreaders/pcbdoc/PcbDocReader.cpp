// SPDX-License-Identifier: GPL-3.0-or-later
#include "PcbDocReader.h"

#include "CompoundFile.h"
#include "PcbDocBoardModel.h"
#include "PcbDocDesignBuilder.h"
#include "PcbDocStreamParser.h"
#include "boardreaders/RegularFile.h"

namespace boards {

bool StartsCompoundFile(std::string_view head) {
    return head.substr(0, pcbdoc::CompoundFile::kSignature.size()) ==
           pcbdoc::CompoundFile::kSignature;
}

bool ParsePcbDocBoard(std::string_view bytes, const std::string& fileName, Design& out,
                      ReadError& error) {
    std::string reason;
    pcbdoc::CompoundFile file;
    pcbdoc::PcbDocBoardModel model;
    if (!file.Open(bytes, &reason) || !pcbdoc::IsPcbDocument(file, &reason) ||
        !pcbdoc::ReadPcbDocStreams(file, model, &reason) ||
        !pcbdoc::BuildPcbDocDesign(model, out, &reason)) {
        error = {fileName, 0, reason};
        return false;
    }
    return true;
}

bool ReadPcbDocBoard(const std::string& path, Design& out, ReadError& error) {
    RegularFile file;
    std::string bytes, reason;
    if (!file.Open(path, &reason) || !file.ReadAll(&bytes, &reason)) {
        error = {path, 0, reason};
        return false;
    }
    return ParsePcbDocBoard(bytes, path, out, error);
}

}  // namespace boards
