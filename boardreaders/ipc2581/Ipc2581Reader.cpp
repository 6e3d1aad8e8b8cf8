// SPDX-License-Identifier: GPL-3.0-or-later
#include "Ipc2581Reader.h"

#include <cstdio>
#include <cstring>
#include <memory>
#include <new>

#include "Ipc2581Collector.h"
#include "Ipc2581DesignBuilder.h"
#include "XmlEventReader.h"
#include "boardreaders/RegularFile.h"

namespace boards {
namespace {

using ipc2581::Ipc2581Collector;
using ipc2581::Ipc2581DesignBuilder;
using ipc2581::Model;
using ipc2581::XmlEventReader;

constexpr size_t kChunkBytes = size_t(1) << 20;

// Builds the design from what `feed` gives the reader; `feed` returns false on a read error and
// sets `last` at the end of the input.
template <typename Feed>
bool ReadStream(Feed feed, const std::string& fileName, Design& out, ReadError& error) {
    try {
        Model model;
        Ipc2581Collector collector(model);
        XmlEventReader reader(collector);
        collector.SetReader(&reader);
        bool last = false;
        while (!last) {
            bool parsed = true;
            if (!feed(reader, parsed, last, error)) return false;
            if (!parsed) {
                error = {fileName, reader.ErrorLine(), reader.Error()};
                return false;
            }
        }
        if (!collector.SawRoot()) {
            error = {fileName, 1, "not an IPC-2581 file (no root element)"};
            return false;
        }
        collector.Finish();
        return Ipc2581DesignBuilder(model, fileName).Build(out, error);
    } catch (const std::bad_alloc&) {
        error = {fileName, 0, "out of memory"};
        return false;
    }
}

size_t SkipSpace(std::string_view s, size_t i) {
    while (i < s.size() && (s[i] == ' ' || s[i] == '\t' || s[i] == '\r' || s[i] == '\n')) ++i;
    return i;
}

}  // namespace

bool ParseIpc2581Board(std::string_view bytes, const std::string& fileName, Design& out,
                       ReadError& error) {
    // The bytes are in memory already: one chunk, nothing copied.
    return ReadStream(
        [&](XmlEventReader& reader, bool& parsed, bool& last, ReadError&) {
            last = true;
            parsed = reader.Feed(bytes.data(), bytes.size(), true);
            return true;
        },
        fileName, out, error);
}

bool ReadIpc2581Board(const std::string& path, Design& out, ReadError& error) {
    // A regular file only: a design swapped for a FIFO or a device is refused, never waited on.
    RegularFile file;
    std::string reason;
    if (!file.Open(path, &reason)) {
        error = ReadError{path, 0, reason};
        return false;
    }
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
            last = size < kChunkBytes;
            parsed = reader.ParseBuffer(size, last);
            return true;
        },
        path, out, error);
}

bool StartsIpc2581Document(std::string_view head) {
    size_t i = head.substr(0, 3) == "\xEF\xBB\xBF" ? 3 : 0;
    for (;;) {
        i = SkipSpace(head, i);
        if (head.substr(i, 2) == "<?") {
            const size_t end = head.find("?>", i + 2);
            if (end == std::string_view::npos) return false;
            i = end + 2;
        } else if (head.substr(i, 4) == "<!--") {
            const size_t end = head.find("-->", i + 4);
            if (end == std::string_view::npos) return false;
            i = end + 3;
        } else {
            break;
        }
    }
    if (i >= head.size() || head[i] != '<') return false;
    size_t end = i + 1;
    while (end < head.size() && head[end] != ' ' && head[end] != '>' && head[end] != '/' &&
           head[end] != '\t' && head[end] != '\r' && head[end] != '\n')
        ++end;
    return ipc2581::LocalName(head.substr(i + 1, end - i - 1)) == "IPC-2581";
}

}  // namespace boards
