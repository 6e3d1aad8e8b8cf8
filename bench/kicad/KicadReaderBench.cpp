// SPDX-License-Identifier: GPL-3.0-or-later
// Times the KiCad board reader: parse throughput (MB/s) and file-to-served-design time, on the
// largest demo board and on a generated board of 200,000 pads.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "boardreaders/kicad/KicadBoardReader.h"
#ifdef KICAD_BENCH_HAVE_SNAPSHOT
#include "SnapshotBuilder.h"
#endif

namespace {

using Clock = std::chrono::steady_clock;

double MillisecondsSince(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

size_t PadCount(const boards::Design& design) {
    size_t pads = 0;
    for (const auto& component : design.components) pads += component.pads.size();
    return pads;
}

// Best of `runs`: parsing bytes already in memory, and file to served design.
bool Measure(const std::string& label, const std::string& path, int runs) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream buffer;
    buffer << in.rdbuf();
    const std::string bytes = buffer.str();
    if (bytes.empty()) {
        std::printf("%-28s missing: %s\n", label.c_str(), path.c_str());
        return false;
    }
    double bestParse = 1e300, bestServed = 1e300;
    size_t components = 0, pads = 0, snapshotBytes = 0;
    for (int run = 0; run < runs; ++run) {
        boards::Design design;
        boards::ReadError error;
        auto start = Clock::now();
        if (!boards::ParseKicadBoard(bytes, path, design, error)) {
            std::printf("%s: %s\n", label.c_str(), error.ToString().c_str());
            return false;
        }
        bestParse = std::min(bestParse, MillisecondsSince(start));
        components = design.components.size();
        pads = PadCount(design);

        boards::Design served;
        start = Clock::now();
        if (!boards::ReadKicadBoard(path, served, error)) return false;
#ifdef KICAD_BENCH_HAVE_SNAPSHOT
        snapshotBytes = pcbhost::SnapshotBuilder::Build(served, 1).size();
#endif
        bestServed = std::min(bestServed, MillisecondsSince(start));
    }
    const double megabytes = bytes.size() / 1e6;
    std::printf("%-28s %8.1f MB %7zu components %8zu pads  parse %8.1f ms = %6.0f MB/s  ",
                label.c_str(), megabytes, components, pads, bestParse,
                megabytes / (bestParse / 1e3));
#ifdef KICAD_BENCH_HAVE_SNAPSHOT
    std::printf("file to served snapshot (%zu bytes) %8.1f ms\n", snapshotBytes, bestServed);
#else
    (void)snapshotBytes;
    std::printf("file to design (no snapshot builder) %8.1f ms\n", bestServed);
#endif
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 10;
    bool ok = Measure("video.kicad_pcb",
                      std::string(PARTWISE_KICAD_DEMOS_DIR) + "/video/video.kicad_pcb", runs);

    const auto dir = std::filesystem::temp_directory_path() / "partwise-kicad-bench";
    std::filesystem::create_directories(dir);
    const std::string generated = (dir / "pads200k.kicad_pcb").string();
    const std::string command = "python3 '" + std::string(PARTWISE_SOURCE_DIR) +
                                "/scripts/generate-kicad-board' --pads 200000 '" + generated +
                                "' > /dev/null";
    if (std::system(command.c_str()) != 0) {
        std::printf("could not generate %s\n", generated.c_str());
        return 1;
    }
    ok = Measure("generated 200,000 pads", generated, std::max(1, runs / 2)) && ok;
    std::filesystem::remove_all(dir);
    std::printf("targets: >= 300 MB/s; 200,000-pad board served in < 500 ms\n");
    return ok ? 0 : 1;
}
