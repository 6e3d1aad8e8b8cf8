// SPDX-License-Identifier: GPL-3.0-or-later
#include "EagleReader.h"

#include <algorithm>
#include <new>

#include "EagleCollector.h"
#include "EagleDesignBuilder.h"
#include "boardreaders/FileHead.h"
#include "boardreaders/RegularFile.h"

namespace boards {
namespace {

using eagle::EagleCollector;
using eagle::EagleDesignBuilder;
using eagle::Model;
using ipc2581::XmlEventReader;
using ipc2581::XmlLimits;

constexpr size_t kChunkBytes = size_t(1) << 20;
constexpr std::string_view kConflictMarkers[] = {"<<<<<<<", "=======", ">>>>>>>", "|||||||"};

bool StartsWithIgnoringCase(std::string_view text, std::string_view prefix) {
    if (text.size() < prefix.size()) return false;
    for (size_t i = 0; i < prefix.size(); ++i) {
        char c = text[i];
        if (c >= 'A' && c <= 'Z') c = char(c - 'A' + 'a');
        if (c != prefix[i]) return false;
    }
    return true;
}

bool IsConflictMarker(std::string_view line) {
    return std::any_of(std::begin(kConflictMarkers), std::end(kConflictMarkers),
                       [&](std::string_view m) { return line.substr(0, m.size()) == m; });
}

std::string ConflictReason(int line) {
    return "merge-conflict markers (<<<<<<<) at line " + std::to_string(line) +
           ": the file is two versions of the board at once; resolve the conflict first";
}

// The first bytes of line `line` (1-based) of what `next` yields chunk by chunk.
template <typename Next>
std::string LineStart(Next next, int line) {
    int at = 1;
    std::string start;
    std::string_view chunk;
    while (next(chunk)) {
        for (char c : chunk) {
            if (at == line) {
                if (c == '\n' || start.size() >= 8) return start;
                start += c;
            } else if (c == '\n' && ++at > line) {
                return start;
            }
        }
    }
    return start;
}

// Builds the design from what `feed` gives the reader; `feed` returns false on a read error and
// sets `last` at the end of the input. `lineStart` gives the first bytes of a line, to tell a
// merge conflict from other broken XML.
template <typename Feed, typename LineStartOf>
bool ReadStream(Feed feed, LineStartOf lineStart, const std::string& fileName, Design& out,
                ReadError& error) {
    try {
        Model model;
        EagleCollector collector(model);
        XmlLimits limits;
        limits.skipExternalDocumentType = true;
        XmlEventReader reader(collector, limits);
        collector.SetReader(&reader);
        bool last = false;
        while (!last) {
            bool parsed = true;
            if (!feed(reader, parsed, last, error)) return false;
            if (!parsed) {
                const int line = reader.ErrorLine();
                std::string reason = reader.Error();
                if (reason.rfind("malformed XML", 0) == 0) {
                    if (IsConflictMarker(lineStart(line)))
                        reason = ConflictReason(line);
                    else if (!collector.SawRoot())
                        reason = "not an Eagle board: " + reason;
                }
                error = {fileName, line, reason};
                return false;
            }
        }
        if (!model.sawBoard) {
            error = {fileName, reader.CurrentLine(),
                     "an Eagle file without a <board> in its <drawing>: not a board"};
            return false;
        }
        return EagleDesignBuilder(model, fileName).Build(out, error);
    } catch (const std::bad_alloc&) {
        error = {fileName, 0, "out of memory"};
        return false;
    }
}

}  // namespace

std::string NotEagleReason(std::string_view head) {
    if (head.size() >= 2 && head[0] == '\x10' && (head[1] == '\x00' || head[1] == '\x80'))
        return "binary Eagle file (before version 6): this reader takes the XML that Eagle 6 and "
               "later write; open it in Eagle 6 or later and save it again";
    const std::string_view text = SkipBomAndSpace(head);
    if (text.substr(0, 12) == "PCBNEW-BOARD")
        return "an old KiCad board (PCBNEW-BOARD), not an Eagle board: open it in KiCad and save "
               "it as .kicad_pcb";
    if (text.substr(0, 7) == "<<<<<<<") return ConflictReason(1);
    std::string_view root = XmlRootName(text);
    if (StartsWithIgnoringCase(text, "<!doctype html") || StartsWithIgnoringCase(text, "<html") ||
        StartsWithIgnoringCase(root, "html"))
        return "a saved web page (HTML), not an Eagle board: save the raw .brd file instead";
    return {};
}

bool StartsEagleDocument(std::string_view head) {
    return XmlRootName(head) == "eagle";
}

bool ParseEagleBoard(std::string_view bytes, const std::string& fileName, Design& out,
                     ReadError& error) {
    if (std::string reason = NotEagleReason(bytes.substr(0, 8192)); !reason.empty()) {
        error = {fileName, reason.rfind("merge", 0) == 0 ? 1 : 0, reason};
        return false;
    }
    // The bytes are in memory already: one chunk, nothing copied.
    return ReadStream(
        [&](XmlEventReader& reader, bool& parsed, bool& last, ReadError&) {
            last = true;
            parsed = reader.Feed(bytes.data(), bytes.size(), true);
            return true;
        },
        [&](int line) {
            bool given = false;
            return LineStart(
                [&](std::string_view& chunk) {
                    if (given) return false;
                    given = true;
                    chunk = bytes;
                    return true;
                },
                line);
        },
        fileName, out, error);
}

bool ReadEagleBoard(const std::string& path, Design& out, ReadError& error) {
    // A regular file only: a design swapped for a FIFO or a device is refused, never waited on.
    RegularFile file;
    std::string reason;
    if (!file.Open(path, &reason)) {
        error = ReadError{path, 0, reason};
        return false;
    }
    bool first = true;
    return ReadStream(
        [&](XmlEventReader& reader, bool& parsed, bool& last, ReadError& readError) {
            char* buffer = reader.Buffer(kChunkBytes);
            if (!buffer) {
                readError = ReadError{path, 0, "out of memory"};
                return false;
            }
            const long filled = file.Fill(buffer, kChunkBytes, &reason);
            if (filled < 0) {
                readError = ReadError{path, 0, reason};
                return false;
            }
            const size_t size = size_t(filled);
            if (first) {
                first = false;
                const std::string why = NotEagleReason(std::string_view(buffer, size));
                if (!why.empty()) {
                    readError = ReadError{path, why.rfind("merge", 0) == 0 ? 1 : 0, why};
                    return false;
                }
            }
            last = size < kChunkBytes;
            parsed = reader.ParseBuffer(size, last);
            return true;
        },
        [&](int line) {
            // Only when the XML is broken: the file is read again up to that line.
            RegularFile again;
            std::string why;
            if (!again.Open(path, &why)) return std::string();
            std::string chunk(64 * 1024, '\0');
            return LineStart(
                [&](std::string_view& view) {
                    const long n = again.Read(chunk.data(), chunk.size(), &why);
                    if (n <= 0) return false;
                    view = std::string_view(chunk.data(), size_t(n));
                    return true;
                },
                line);
        },
        path, out, error);
}

}  // namespace boards
