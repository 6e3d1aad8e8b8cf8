// SPDX-License-Identifier: GPL-3.0-or-later
// Reads the project's JSON design format (see README.md) into a Design, or says which line of
// the file is wrong and why.
#pragma once

#include <QByteArray>
#include <string>

#include "boardreaders/Design.h"
#include "boardreaders/ReadError.h"

namespace boards {

class JsonDesignReader {
  public:
    static constexpr qint64 kMaxFileBytes = 256ll << 20;

    static bool ReadFile(const std::string& path, Design& out, ReadError& error);
    // fileName only names the source in errors.
    static bool ReadBytes(const QByteArray& bytes, const std::string& fileName, Design& out,
                          ReadError& error);
};

}  // namespace boards
