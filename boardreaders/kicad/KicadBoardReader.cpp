// SPDX-License-Identifier: GPL-3.0-or-later
#include "KicadBoardReader.h"

#include "KicadBoardParser.h"
#include "boardreaders/RegularFile.h"

namespace boards {

bool ParseKicadBoard(std::string_view bytes, const std::string& fileName, Design& out,
                     ReadError& error) {
    Design design;
    kicad::KicadBoardParser parser(bytes, design);
    try {
        parser.Parse();
    } catch (const kicad::SexprError& e) {
        error = ReadError{fileName, parser.tokenizer().LineAt(e.offset()), e.what()};
        return false;
    } catch (const std::bad_alloc&) {
        error = ReadError{fileName, 0, "out of memory"};
        return false;
    }
    out = std::move(design);
    return true;
}

bool ReadKicadBoard(const std::string& path, Design& out, ReadError& error) {
    RegularFile file;
    std::string bytes, reason;
    if (!file.Open(path, &reason) || !file.ReadAll(&bytes, &reason)) {
        error = ReadError{path, 0, reason};
        return false;
    }
    return ParseKicadBoard(bytes, path, out, error);
}

}  // namespace boards
