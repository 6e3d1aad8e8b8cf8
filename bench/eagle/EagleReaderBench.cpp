// SPDX-License-Identifier: GPL-3.0-or-later
// Times the Eagle reader: parse throughput (MB/s, wall clock and CPU) and file-to-served-design
// time, on the two real boards and on a generated panel of hundreds of renamed copies of the
// ItsyBitsy M0 board; prints the process's peak memory after each, to show it follows the design
// rather than the file.

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "ReaderMeasurement.h"
#include "boardreaders/eagle/EagleFormat.h"

namespace {

bool Measure(const std::string& label, const std::string& path, int runs) {
    static const boards::EagleFormat format;
    return bench::MeasureReader(format, label, path, runs);
}

std::string ReadWhole(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream buffer;
    buffer << in.rdbuf();
    return buffer.str();
}

// Replaces every `from` in `text` by `to`.
std::string ReplaceAll(std::string text, const std::string& from, const std::string& to) {
    for (size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size()))
        text.replace(at, from.size(), to);
    return text;
}

// A panel: the board's libraries once, its elements, signals and plain drawing `copies` times,
// each copy's elements renamed P<k>_<name> as panelising tools rename them.
bool WritePanel(const std::string& board, int copies, const std::string& path) {
    const size_t elementsBegin = board.find("<elements>"), elementsEnd = board.find("</elements>");
    const size_t signalsBegin = board.find("<signals>"), signalsEnd = board.find("</signals>");
    if (elementsBegin == std::string::npos || elementsEnd == std::string::npos ||
        signalsBegin == std::string::npos || signalsEnd == std::string::npos)
        return false;
    const std::string elements = board.substr(elementsBegin + 10, elementsEnd - elementsBegin - 10);
    const std::string signals = board.substr(signalsBegin + 9, signalsEnd - signalsBegin - 9);
    std::ofstream out(path, std::ios::binary);
    out << board.substr(0, elementsBegin + 10);
    for (int k = 0; k < copies; ++k)
        out << ReplaceAll(elements, "<element name=\"",
                          "<element name=\"P" + std::to_string(k) + "_");
    out << board.substr(elementsEnd, signalsBegin + 9 - elementsEnd);
    for (int k = 0; k < copies; ++k)
        out << ReplaceAll(
            ReplaceAll(signals, "element=\"", "element=\"P" + std::to_string(k) + "_"),
            "<signal name=\"", "<signal name=\"P" + std::to_string(k) + "_");
    out << board.substr(signalsEnd);
    return static_cast<bool>(out);
}

}  // namespace

int main(int argc, char** argv) {
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;
    const int copies = argc > 2 ? std::max(1, std::atoi(argv[2])) : 400;
    const auto dir = std::filesystem::temp_directory_path() / "partwise-eagle-bench";
    std::filesystem::create_directories(dir);
    const std::string source = std::string(PARTWISE_SOURCE_DIR);
    bool ok = true;
    std::string itsyBitsy;
    for (const char* board : {"sparkfun-openlog", "adafruit-itsybitsy-m0"}) {
        const std::string unpacked = (dir / (std::string(board) + ".brd")).string();
        const std::string command = "zstd -q -d -f '" + source + "/tests/eagle/data/" + board +
                                    ".brd.zst' -o '" + unpacked + "'";
        if (std::system(command.c_str()) != 0) {
            std::printf("could not unpack %s\n", board);
            ok = false;
            continue;
        }
        ok = Measure(std::string(board) + ".brd", unpacked, runs) && ok;
        itsyBitsy = unpacked;
    }
    const std::string panel = (dir / "panel.brd").string();
    if (!WritePanel(ReadWhole(itsyBitsy), copies, panel)) {
        std::printf("could not write the panel\n");
        return 1;
    }
    ok = Measure("panel, " + std::to_string(copies) + " ItsyBitsy copies", panel,
                 std::max(1, runs / 2)) &&
         ok;
    std::filesystem::remove_all(dir);
    std::printf("target: >= 300 MB/s\n");
    return ok ? 0 : 1;
}
