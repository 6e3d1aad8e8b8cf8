// SPDX-License-Identifier: GPL-3.0-or-later
// How fast ODB++ jobs become a served design: the real Allegro job of tests/odbpp/data and a
// generated job of 20,000 components, as tgz and zip in memory and from a file and a folder.
// Throughput is MB of uncompressed job text (every member, kept or not) per second, best of
// the runs, decompression included. The decompression alone is measured through libarchive
// (zlib) and, for the gzip stream, with libdeflate. Peak memory is taken after reading from
// the file, before the process holds the job in memory.
#include <archive.h>
#include <archive_entry.h>
#include <libdeflate.h>
#include <sys/resource.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "GeneratedJob.h"
#include "SnapshotBuilder.h"
#include "boardreaders/odbpp/OdbppReader.h"

namespace {

using Clock = std::chrono::steady_clock;

double SecondsSince(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

long PeakRssMiB() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss / 1024;
}

std::string ReadWhole(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

// Bytes of all members, uncompressed, and the time libarchive takes to inflate them.
std::size_t Inflate(const std::string& bytes, double& seconds) {
    const auto start = Clock::now();
    archive* a = archive_read_new();
    archive_read_support_filter_gzip(a);
    archive_read_support_format_tar(a);
    archive_read_support_format_zip(a);
    archive_read_open_memory(a, bytes.data(), bytes.size());
    archive_entry* entry = nullptr;
    std::size_t total = 0;
    while (archive_read_next_header(a, &entry) == ARCHIVE_OK) {
        const void* block;
        std::size_t size;
        la_int64_t offset;
        while (archive_read_data_block(a, &block, &size, &offset) == ARCHIVE_OK) total += size;
    }
    archive_read_free(a);
    seconds = SecondsSince(start);
    return total;
}

// The gzip stream inflated whole by libdeflate (the tar inside, not parsed).
double LibdeflateSeconds(const std::string& gzip, std::size_t& tarBytes) {
    libdeflate_decompressor* d = libdeflate_alloc_decompressor();
    std::string out(std::size_t(gzip.size()) * 40 + (1 << 20), '\0');
    const auto start = Clock::now();
    std::size_t actual = 0;
    const auto r =
        libdeflate_gzip_decompress(d, gzip.data(), gzip.size(), out.data(), out.size(), &actual);
    const double s = SecondsSince(start);
    libdeflate_free_decompressor(d);
    tarBytes = r == LIBDEFLATE_SUCCESS ? actual : 0;
    return s;
}

void Measure(const std::string& label, const std::string& bytes, int runs) {
    double inflateSeconds = 1e300;
    std::size_t text = 0;
    for (int i = 0; i < runs; ++i) {
        double s;
        text = Inflate(bytes, s);
        inflateSeconds = std::min(inflateSeconds, s);
    }
    double best = 1e300, bestServed = 1e300;
    std::size_t components = 0;
    for (int i = 0; i < runs; ++i) {
        boards::Design design;
        boards::ReadError error;
        auto start = Clock::now();
        if (!boards::ParseOdbppJob(bytes, label, design, error)) {
            std::printf("%s: %s\n", label.c_str(), error.ToString().c_str());
            std::exit(1);
        }
        best = std::min(best, SecondsSince(start));
        pcbhost::SnapshotBuilder::Build(design, 1);
        bestServed = std::min(bestServed, SecondsSince(start));
        components = design.components.size();
    }
    const double mb = double(text) / 1e6;
    std::printf(
        "%-34s %8.1f MB text %6zu comps  read %7.1f MB/s  served %7.1f MB/s  "
        "inflate only (libarchive/zlib) %7.1f MB/s\n",
        label.c_str(), mb, components, mb / best, mb / bestServed, mb / inflateSeconds);
    if (bytes.size() > 2 && bytes[0] == '\x1f') {
        std::size_t tar = 0;
        double s = 1e300;
        for (int i = 0; i < runs; ++i) s = std::min(s, LibdeflateSeconds(bytes, tar));
        std::printf("%-34s %8.1f MB tar  inflate only (libdeflate, whole buffer) %7.1f MB/s\n", "",
                    double(tar) / 1e6, double(tar) / 1e6 / s);
    }
}

void MeasurePath(const std::string& label, const std::string& path, double textMb, int runs) {
    double best = 1e300;
    for (int i = 0; i < runs; ++i) {
        boards::Design design;
        boards::ReadError error;
        const auto start = Clock::now();
        if (!boards::ReadOdbppJob(path, design, error)) {
            std::printf("%s: %s\n", label.c_str(), error.ToString().c_str());
            std::exit(1);
        }
        best = std::min(best, SecondsSince(start));
    }
    std::printf("%-34s %8.1f MB text  read %7.1f MB/s  peak memory %ld MiB\n", label.c_str(),
                textMb, textMb / best, PeakRssMiB());
}

}  // namespace

int main(int argc, char** argv) {
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;
    const int components = argc > 2 ? std::max(2, std::atoi(argv[2])) : 20000;
    namespace fs = std::filesystem;
    const fs::path folder = fs::temp_directory_path() / ("odbpp-bench-" + std::to_string(getpid()));
    fs::create_directories(folder);

    // From files first, while the process holds no copy of the job: the peak memory then is
    // the reader's.
    const bench::Members job = bench::GenerateJob(components);
    std::size_t text = 0;
    for (const auto& [path, bytes] : job) text += bytes.size();
    const std::string tgz = bench::WriteArchive(job, "tgz");
    const std::string zip = bench::WriteArchive(job, "zip");
    {
        std::ofstream(folder / "job.tgz", std::ios::binary)
            .write(tgz.data(), std::streamsize(tgz.size()));
        for (const auto& [path, bytes] : job) {
            const fs::path target = folder / "dir" / path;
            fs::create_directories(target.parent_path());
            std::ofstream(target, std::ios::binary)
                .write(bytes.data(), std::streamsize(bytes.size()));
        }
    }
    std::printf(
        "peak memory before reading: %ld MiB (the generated job, %.1f MB of text, is "
        "held by the benchmark itself)\n",
        PeakRssMiB(), double(text) / 1e6);
    const std::string label = "generated " + std::to_string(components) + " components";
    MeasurePath(label + ", tgz file", (folder / "job.tgz").string(), double(text) / 1e6, runs);
    MeasurePath(label + ", folder", (folder / "dir").string(), double(text) / 1e6, runs);

    const std::string allegro =
        ReadWhole(std::string(PARTWISE_SOURCE_DIR) + "/tests/odbpp/data/allegro-usb3006.tgz");
    Measure("allegro-usb3006.tgz", allegro, runs * 4);
    Measure(label + ", tgz", tgz, runs);
    Measure(label + ", zip", zip, runs);
    fs::remove_all(folder);
    return 0;
}
