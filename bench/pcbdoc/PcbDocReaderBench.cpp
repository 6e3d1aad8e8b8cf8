// SPDX-License-Identifier: GPL-3.0-or-later
// Times the PcbDoc PCB document reader: parse throughput (MB/s of the file, wall clock and CPU)
// and file-to-served-design time, on the real board of tests/pcbdoc/data and on a generated
// board of 10,000 components and 80,000 pads; prints the process's peak memory after each.
#include <sys/resource.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "PcbDocTestFiles.h"
#include "SnapshotBuilder.h"
#include "boardreaders/pcbdoc/PcbDocReader.h"

namespace {

using Clock = std::chrono::steady_clock;
using namespace boards::pcbdoc::test;

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

bool Measure(const std::string& label, const std::string& path, int runs) {
    std::size_t fileBytes = 0, components = 0, pads = 0, snapshotBytes = 0;
    double bestParse = 1e300, bestParseCpu = 1e300, bestServed = 1e300;
    const long peakBefore = PeakRssMiB();
    for (int run = 0; run < runs; ++run) {
        boards::Design served;
        boards::ReadError error;
        const auto start = Clock::now();
        if (!boards::ReadPcbDocBoard(path, served, error)) {
            std::printf("%s: %s\n", label.c_str(), error.ToString().c_str());
            return false;
        }
        snapshotBytes = pcbhost::SnapshotBuilder::Build(served, 1).size();
        bestServed = std::min(bestServed, MillisecondsSince(start));
    }
    const long peakServed = PeakRssMiB();
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
        if (!boards::ParsePcbDocBoard(bytes, path, design, error)) return false;
        bestParse = std::min(bestParse, MillisecondsSince(start));
        bestParseCpu = std::min(bestParseCpu, CpuMilliseconds() - cpu);
        components = design.components.size();
        pads = 0;
        for (const auto& c : design.components) pads += c.pads.size();
    }
    const double megabytes = fileBytes / 1e6;
    std::printf(
        "%-24s %6.1f MB %6zu components %7zu pads  parse %7.2f ms = %5.0f MB/s (CPU %7.2f ms = "
        "%5.0f MB/s)  file to served snapshot (%zu bytes) %7.2f ms  peak RSS %ld MiB reading the "
        "file (%ld before)\n",
        label.c_str(), megabytes, components, pads, bestParse, megabytes / (bestParse / 1e3),
        bestParseCpu, megabytes / (bestParseCpu / 1e3), snapshotBytes, bestServed, peakServed,
        peakBefore);
    return true;
}

// A board of `count` components of eight pads each, with designator and comment texts,
// parameters and overlay tracks, as PcbDoc lays out its streams.
std::string GeneratedBoard(int count) {
    std::string components, pads, texts, parameters, tracks;
    for (int i = 0; i < count; ++i) {
        const std::string id = "U" + std::to_string(i + 1);
        components += EncodeComponent(
            id, "|UNIQUEID=ID" + std::to_string(i) +
                    "|SOURCELIBREFERENCE=OPAMP|SOURCEDESCRIPTION=Dual rail-to-rail op amp");
        parameters += EncodeProperties("|PRIMITIVEID=ID" + std::to_string(i) + "|ID=Component#" +
                                       std::to_string(i) + "|COUNT=2") +
                      EncodeProperties("|NAME=Value|VALUE=LTC6253") +
                      EncodeProperties("|NAME=Manufacturer|VALUE=Analog Devices");
        TextSpec text;
        text.component = uint16_t(i);
        text.text = id;
        texts += EncodeText(text);
        text.designator = false;
        text.text = "LTC6253";
        texts += EncodeText(text);
        for (int p = 0; p < 8; ++p) {
            PadSpec pad;
            pad.component = uint16_t(i);
            pad.name = std::to_string(p + 1);
            pad.x = i * 1000 + p * 100;
            pad.layer = p < 4 ? 1 : 74;
            pad.hole = p < 4 ? 0 : 300000;
            pad.sizeAndShape = p == 7;
            pads += EncodePad(pad);
        }
        for (int t = 0; t < 4; ++t) {
            std::string sub(45, '\0');
            sub[0] = 33;
            const uint16_t owner = uint16_t(i);
            std::memcpy(sub.data() + 7, &owner, 2);
            const uint32_t length = uint32_t(sub.size());
            tracks += '\x04';
            tracks.append(reinterpret_cast<const char*>(&length), 4);
            tracks += sub;
        }
    }
    CompoundFileBuilder builder;
    builder.AddStream("FileHeader", std::string("\x13\0\0\0", 4) + "PCB 6.0 Binary File");
    builder.AddStream("Components6/Data", components);
    builder.AddStream("PrimitiveParameters/Data", parameters);
    builder.AddStream("Texts6/Data", texts);
    builder.AddStream("Tracks6/Data", tracks);
    builder.AddStream("Pads6/Data", pads);
    return builder.Build(true).bytes;
}

}  // namespace

int main(int argc, char** argv) {
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;
    const auto dir = std::filesystem::temp_directory_path() / "partwise-pcbdoc-bench";
    std::filesystem::create_directories(dir);
    const std::string source = PARTWISE_SOURCE_DIR;
    bool ok = true;
    const std::string real = (dir / "oim-fsm-driver.PcbDoc").string();
    const std::string command = "zstd -q -d -f '" + source +
                                "/tests/pcbdoc/data/oim-fsm-driver.PcbDoc.zst' -o '" + real + "'";
    if (std::system(command.c_str()) != 0) {
        std::printf("could not unpack oim-fsm-driver.PcbDoc\n");
        ok = false;
    } else {
        ok = Measure("oim-fsm-driver.PcbDoc", real, runs * 4) && ok;
    }
    const std::string generated = (dir / "components10k.PcbDoc").string();
    std::ofstream(generated, std::ios::binary) << GeneratedBoard(10000);
    ok = Measure("generated 10,000 parts", generated, runs) && ok;
    std::filesystem::remove_all(dir);
    std::printf("target: >= 200 MB/s\n");
    return ok ? 0 : 1;
}
