// SPDX-License-Identifier: GPL-3.0-or-later
#include "KicadFormat.h"

#include "KicadBoardReader.h"
#include "boardreaders/FileHead.h"

namespace boards {

bool KicadFormat::Recognises(const FileProbe& probe) const {
    const std::string_view head = SkipBomAndSpace(probe.head);
    if (head.substr(0, 10) != "(kicad_pcb") return false;
    return head.size() > 10 && (head[10] == ' ' || head[10] == '\t' || head[10] == '\r' ||
                                head[10] == '\n' || head[10] == '(');
}

bool KicadFormat::Read(const std::string& path, Design& out, ReadError& error) const {
    return ReadKicadBoard(path, out, error);
}

bool KicadFormat::Parse(std::string_view bytes, const std::string& fileName, Design& out,
                        ReadError& error) const {
    return ParseKicadBoard(bytes, fileName, out, error);
}

}  // namespace boards
