// SPDX-License-Identifier: GPL-3.0-or-later
// Times the PcbDoc PCB document reader: parse throughput (MB/s of the file, wall clock and CPU)
// and file-to-served-design time, on the real board of tests/pcbdoc/data and on a generated
// board of 10,000 components and 80,000 pads; prints the process's peak memory after each.

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "PcbDocTestFiles.h"
#include "ReaderMeasurement.h"
#include "boardreaders/pcbdoc/PcbDocFormat.h"

namespace {

bool Measure(const std::string& label, const std::string& path, int runs) {
    static const boards::PcbDocFormat format;
    return bench::MeasureReader(format, label, path, runs);
}

using namespace boards::pcbdoc::test;

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
