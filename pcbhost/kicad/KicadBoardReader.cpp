#include "KicadBoardReader.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>

#include "KicadBoardParser.h"

namespace pcbhost {

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
    std::unique_ptr<FILE, int (*)(FILE*)> file(std::fopen(path.c_str(), "rb"), &std::fclose);
    if (!file) {
        error = ReadError{path, 0, std::strerror(errno)};
        return false;
    }
    std::string bytes;
    if (std::fseek(file.get(), 0, SEEK_END) == 0) {
        const long size = std::ftell(file.get());
        if (size > 0) bytes.reserve(static_cast<size_t>(size));
        std::rewind(file.get());
    }
    char buffer[1 << 16];
    size_t n = 0;
    while ((n = std::fread(buffer, 1, sizeof buffer, file.get())) > 0) bytes.append(buffer, n);
    if (std::ferror(file.get())) {
        error = ReadError{path, 0, "read error"};
        return false;
    }
    return ParseKicadBoard(bytes, path, out, error);
}

}  // namespace pcbhost
