// SPDX-License-Identifier: GPL-3.0-or-later
#include "BoardFormats.h"

#include <sys/stat.h>

#include "FileHead.h"
#include "RegularFile.h"
#include "eagle/EagleFormat.h"
#include "ipc2581/Ipc2581Format.h"
#include "json/JsonFormat.h"
#include "kicad/KicadFormat.h"
#include "odbpp/OdbppFormat.h"
#include "pcbdoc/PcbDocFormat.h"

namespace boards {
namespace {

// Formats that never claim one another's content; the order only decides which is asked first.
const std::vector<const BoardFormat*>& Registry() {
    static const JsonFormat json;
    static const KicadFormat kicad;
    static const Ipc2581Format ipc2581;
    static const OdbppFormat odbpp;
    static const EagleFormat eagle;
    static const PcbDocFormat pcbdoc;
    static const std::vector<const BoardFormat*> all = {&json,  &kicad, &ipc2581,
                                                        &odbpp, &eagle, &pcbdoc};
    return all;
}

}  // namespace

const std::vector<const BoardFormat*>& BoardFormats::All() {
    return Registry();
}

const BoardFormat* BoardFormats::Named(std::string_view name) {
    for (const BoardFormat* format : All())
        if (format->Name() == name) return format;
    return nullptr;
}

std::string BoardFormats::Describe() {
    std::string text;
    for (const BoardFormat* format : All()) {
        if (!text.empty()) text += ", ";
        text += format->Name();
        text += " (";
        bool first = true;
        for (std::string_view suffix : format->Suffixes()) {
            if (!first) text += " ";
            first = false;
            text += ".";
            text += suffix;
        }
        text += ")";
    }
    return text;
}

const BoardFormat* BoardFormats::Find(const std::string& path, ReadError& error) {
    FileProbe probe;
    probe.path = path;
    struct stat info {};
    std::string head;
    if (::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode)) {
        probe.isDirectory = true;
    } else {
        // Only a regular file of bounded size is looked at: a FIFO, a device or an endless file
        // would otherwise block or never end.
        RegularFile file;
        std::string reason;
        if (!file.Open(path, &reason)) {
            error = {path, 0, reason};
            return nullptr;
        }
        head.resize(FileProbe::kHeadBytes);
        const long size = file.Fill(head.data(), head.size(), &reason);
        if (size < 0) {
            error = {path, 0, reason};
            return nullptr;
        }
        head.resize(std::size_t(size));
        probe.head = head;
    }
    for (const BoardFormat* format : All())
        if (format->Recognises(probe)) return format;
    // Not recognised by content: a file named as a format's goes to its reader, which says
    // what is wrong with it.
    for (const BoardFormat* format : All())
        for (std::string_view suffix : format->Suffixes())
            if (HasSuffix(path, suffix)) return format;
    error = {path, 0,
             std::string(probe.isDirectory ? "not a board directory of a known format"
                                           : "unknown design file type") +
                 "; formats read: " + Describe()};
    return nullptr;
}

bool BoardFormats::Load(const std::string& path, Design& out, ReadError& error) {
    const BoardFormat* format = Find(path, error);
    return format && format->Read(path, out, error);
}

}  // namespace boards
