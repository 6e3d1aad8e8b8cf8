#include "Ipc2581Reader.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>
#include <new>
#include <vector>

#include "Ipc2581Collector.h"
#include "Ipc2581DesignBuilder.h"
#include "XmlEventReader.h"

namespace pcbhost {
namespace {

using ipc2581::Ipc2581Collector;
using ipc2581::Ipc2581DesignBuilder;
using ipc2581::Model;
using ipc2581::XmlEventReader;

constexpr size_t kChunkBytes = size_t(1) << 20;

// Feeds chunks from `next` (which returns false at the end) and builds the design.
template <typename NextChunk>
bool ReadStream(NextChunk next, const std::string& fileName, Design& out, ReadError& error) {
    try {
        Model model;
        Ipc2581Collector collector(model);
        XmlEventReader reader(collector);
        collector.SetReader(&reader);
        const char* data = nullptr;
        size_t size = 0;
        bool last = false;
        do {
            if (!next(data, size, last, error)) return false;
            if (!reader.Feed(data, size, last)) {
                error = {fileName, reader.ErrorLine(), reader.Error()};
                return false;
            }
        } while (!last);
        if (!collector.SawRoot()) {
            error = {fileName, 1, "not an IPC-2581 file (no root element)"};
            return false;
        }
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
    size_t offset = 0;
    return ReadStream(
        [&](const char*& data, size_t& size, bool& last, ReadError&) {
            data = bytes.data() + offset;
            size = std::min(kChunkBytes, bytes.size() - offset);
            offset += size;
            last = offset == bytes.size();
            return true;
        },
        fileName, out, error);
}

bool ReadIpc2581Board(const std::string& path, Design& out, ReadError& error) {
    std::unique_ptr<FILE, int (*)(FILE*)> file(std::fopen(path.c_str(), "rb"), &std::fclose);
    if (!file) {
        error = ReadError{path, 0, std::strerror(errno)};
        return false;
    }
    std::vector<char> buffer(kChunkBytes);
    return ReadStream(
        [&](const char*& data, size_t& size, bool& last, ReadError& readError) {
            size = std::fread(buffer.data(), 1, buffer.size(), file.get());
            if (std::ferror(file.get())) {
                readError = ReadError{path, 0, "read error"};
                return false;
            }
            data = buffer.data();
            last = size < buffer.size() && std::feof(file.get());
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

}  // namespace pcbhost
