// SPDX-License-Identifier: GPL-3.0-or-later
// Times the IPC-2581 reader: parse throughput (MB/s, wall clock and CPU) and file-to-served-
// design time, on the three real exports and on a generated board of 20,000 components; prints
// the process's peak memory after each, to show it follows the design rather than the file.
#include <sys/resource.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "SnapshotBuilder.h"
#include "boardreaders/ipc2581/Ipc2581Reader.h"

namespace {

using Clock = std::chrono::steady_clock;

double MillisecondsSince(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

double CpuMilliseconds() {
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return t.tv_sec * 1e3 + t.tv_nsec / 1e6;
}

long PeakRssMiB() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss / 1024;
}

// Best of `runs`: parsing bytes already in memory, and file to served snapshot.
bool Measure(const std::string& label, const std::string& path, int runs) {
    size_t fileBytes = 0, components = 0, pads = 0, snapshotBytes = 0;
    double bestParse = 1e300, bestParseCpu = 1e300, bestServed = 1e300;
    // From the file first, while the process holds no copy of it: the peak memory then is the
    // reader's.
    const long peakBefore = PeakRssMiB();
    for (int run = 0; run < runs; ++run) {
        boards::Design served;
        boards::ReadError error;
        const auto start = Clock::now();
        if (!boards::ReadIpc2581Board(path, served, error)) return false;
        snapshotBytes = pcbhost::SnapshotBuilder::Build(served, 1).size();
        bestServed = std::min(bestServed, MillisecondsSince(start));
    }
    const long peakServed = PeakRssMiB();
    {
        std::ifstream in(path, std::ios::binary);
        std::stringstream buffer;
        buffer << in.rdbuf();
        const std::string bytes = buffer.str();
        if (bytes.empty()) {
            std::printf("%-24s missing: %s\n", label.c_str(), path.c_str());
            return false;
        }
        fileBytes = bytes.size();
        for (int run = 0; run < runs; ++run) {
            boards::Design design;
            boards::ReadError error;
            const double cpu = CpuMilliseconds();
            const auto start = Clock::now();
            if (!boards::ParseIpc2581Board(bytes, path, design, error)) {
                std::printf("%s: %s\n", label.c_str(), error.ToString().c_str());
                return false;
            }
            bestParse = std::min(bestParse, MillisecondsSince(start));
            bestParseCpu = std::min(bestParseCpu, CpuMilliseconds() - cpu);
            components = design.components.size();
            pads = 0;
            for (const auto& c : design.components) pads += c.pads.size();
        }
    }
    const double megabytes = fileBytes / 1e6;
    std::printf(
        "%-24s %6.1f MB %6zu components %7zu pads  parse %7.1f ms = %4.0f MB/s (CPU %7.1f ms = "
        "%4.0f MB/s)  file to served snapshot (%zu bytes) %7.1f ms  peak RSS %ld MiB reading the "
        "file (%ld before)\n",
        label.c_str(), megabytes, components, pads, bestParse, megabytes / (bestParse / 1e3),
        bestParseCpu, megabytes / (bestParseCpu / 1e3), snapshotBytes, bestServed, peakServed,
        peakBefore);
    return true;
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
