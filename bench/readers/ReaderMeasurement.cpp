// SPDX-License-Identifier: GPL-3.0-or-later
#include "ReaderMeasurement.h"

#include <sys/resource.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <fstream>
#include <sstream>

#include "SnapshotBuilder.h"

namespace bench {
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

}  // namespace

bool MeasureReader(const boards::BoardFormat& format, const std::string& label,
                   const std::string& path, int runs) {
    std::size_t fileBytes = 0, components = 0, pads = 0, snapshotBytes = 0;
    double bestParse = 1e300, bestParseCpu = 1e300, bestServed = 1e300;
    // From the file first, while the process holds no copy of it: the peak memory then is the
    // reader's.
    const long peakBefore = PeakRssMiB();
    for (int run = 0; run < runs; ++run) {
        boards::Design served;
        boards::ReadError error;
        const auto start = Clock::now();
        if (!format.Read(path, served, error)) {
            std::printf("%s: %s\n", label.c_str(), error.ToString().c_str());
            return false;
        }
        snapshotBytes = pcbhost::SnapshotBuilder::Build(served, 1).size();
        bestServed = std::min(bestServed, MillisecondsSince(start));
    }
    const long peakServed = PeakRssMiB();
    {
        std::ifstream in(path, std::ios::binary);
        std::stringstream buffer;
        buffer << in.rdbuf();
        const std::string bytes = buffer.str();
        fileBytes = bytes.size();
        for (int run = 0; run < runs; ++run) {
            boards::Design design;
            boards::ReadError error;
            const double cpu = CpuMilliseconds();
            const auto start = Clock::now();
            if (!format.Parse(bytes, path, design, error)) {
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
        "%-28s %6.1f MB %6zu components %7zu pads  parse %7.2f ms = %5.0f MB/s (CPU %7.2f ms = "
        "%5.0f MB/s)  file to served snapshot (%zu bytes) %7.2f ms  peak RSS %ld MiB reading the "
        "file (%ld before)\n",
        label.c_str(), megabytes, components, pads, bestParse, megabytes / (bestParse / 1e3),
        bestParseCpu, megabytes / (bestParseCpu / 1e3), snapshotBytes, bestServed, peakServed,
        peakBefore);
    return true;
}

}  // namespace bench
