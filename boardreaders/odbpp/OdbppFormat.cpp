// SPDX-License-Identifier: GPL-3.0-or-later
#include "OdbppFormat.h"

#include "OdbppReader.h"

namespace boards {

bool OdbppFormat::Recognises(const FileProbe& probe) const {
    return RecognisesOdbppJob(probe);
}

bool OdbppFormat::Read(const std::string& path, Design& out, ReadError& error) const {
    return ReadOdbppJob(path, out, error);
}

bool OdbppFormat::Parse(std::string_view bytes, const std::string& fileName, Design& out,
                        ReadError& error) const {
    return ParseOdbppJob(bytes, fileName, out, error);
}

}  // namespace boards
