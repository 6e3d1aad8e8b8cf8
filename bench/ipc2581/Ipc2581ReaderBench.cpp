// SPDX-License-Identifier: GPL-3.0-or-later
// Times the IPC-2581 reader: parse throughput (MB/s, wall clock and CPU) and file-to-served-
// design time, on the three real exports and on a generated board of 20,000 components; prints
// the process's peak memory after each, to show it follows the design rather than the file.

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "ReaderMeasurement.h"
#include "boardreaders/ipc2581/Ipc2581Format.h"

namespace {

bool Measure(const std::string& label, const std::string& path, int runs) {
    static const boards::Ipc2581Format format;
    return bench::MeasureReader(format, label, path, runs);
}

}  // namespace

int main(int argc, char** argv) {
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;
    const auto dir = std::filesystem::temp_directory_path() / "partwise-ipc2581-bench";
    std::filesystem::create_directories(dir);
    const std::string source = std::string(PARTWISE_SOURCE_DIR);
    bool ok = true;
    for (const char* board : {"kicad9-DM0002", "allegro-testcase3", "allegro-testcase10"}) {
        const std::string unpacked = (dir / (std::string(board) + ".xml")).string();
        const std::string command = "zstd -q -d -f '" + source + "/tests/ipc2581/data/" + board +
                                    ".xml.zst' -o '" + unpacked + "'";
        if (std::system(command.c_str()) != 0) {
            std::printf("could not unpack %s\n", board);
            ok = false;
            continue;
        }
        ok = Measure(std::string(board) + ".xml", unpacked, runs) && ok;
    }
    const std::string generated = (dir / "components20k.xml").string();
    const std::string command =
        "python3 '" + source + "/scripts/generate-ipc2581-board' '" + generated + "' > /dev/null";
    if (std::system(command.c_str()) != 0) {
        std::printf("could not generate %s\n", generated.c_str());
        return 1;
    }
    ok = Measure("generated 20,000 parts", generated, std::max(1, runs / 2)) && ok;
    std::filesystem::remove_all(dir);
    std::printf("target: >= 200 MB/s\n");
    return ok ? 0 : 1;
}
