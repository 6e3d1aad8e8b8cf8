// SPDX-License-Identifier: GPL-3.0-or-later
// One board file format: its name, the file suffixes it is known by, how it knows its own
// content, and its reader. Every format folder has one class of this shape (`KicadFormat`,
// `OdbppFormat`...), and `BoardFormats` lists them all.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "boardreaders/Design.h"
#include "boardreaders/ReadError.h"

namespace boards {

// What a format is shown of a file to recognise it: the first bytes of a regular file, or that
// the path is a directory.
struct FileProbe {
    static constexpr std::size_t kHeadBytes = 8192;

    std::string path;
    bool isDirectory = false;
    std::string_view head;  // at most kHeadBytes from the start; empty for a directory
};

class BoardFormat {
  public:
    virtual ~BoardFormat() = default;

    // Shown to users, e.g. "KiCad board".
    virtual std::string_view Name() const = 0;
    // Lower case, without the dot; a suffix may hold a dot ("tar.gz").
    virtual std::vector<std::string_view> Suffixes() const = 0;
    // Whether the file is of this format by its content alone, whatever its name.
    virtual bool Recognises(const FileProbe& probe) const = 0;
    // Reads the file (or directory) at `path`. On failure `out` is left untouched and `error`
    // says where and why.
    virtual bool Read(const std::string& path, Design& out, ReadError& error) const = 0;
    // Reads bytes already in memory; `fileName` only names them in errors.
    virtual bool Parse(std::string_view bytes, const std::string& fileName, Design& out,
                       ReadError& error) const = 0;
};

}  // namespace boards
