// SPDX-License-Identifier: GPL-3.0-or-later
#include "JsonFormat.h"

#include <QByteArray>

#include "JsonDesignReader.h"
#include "boardreaders/FileHead.h"

namespace boards {

bool JsonFormat::Recognises(const FileProbe& probe) const {
    const std::string_view head = SkipBomAndSpace(probe.head);
    return !head.empty() && head[0] == '{';
}

bool JsonFormat::Read(const std::string& path, Design& out, ReadError& error) const {
    return JsonDesignReader::ReadFile(path, out, error);
}

bool JsonFormat::Parse(std::string_view bytes, const std::string& fileName, Design& out,
                       ReadError& error) const {
    return JsonDesignReader::ReadBytes(
        QByteArray::fromRawData(bytes.data(), qsizetype(bytes.size())), fileName, out, error);
}

}  // namespace boards
