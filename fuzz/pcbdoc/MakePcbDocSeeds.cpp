// SPDX-License-Identifier: GPL-3.0-or-later
// Writes small PcbDoc PCB documents into a folder as seeds for pcbdoc_fuzzer: regular and mini
// streams, an unpadded last sector, every pad and text form the reader tells apart; given a real
// .PcbDoc too, two documents of the first records of each of its streams the reader reads.
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>

#include "CompoundFile.h"
#include "PcbDocTestFiles.h"

using namespace boards::pcbdoc::test;

namespace {

uint32_t U32(std::string_view s, std::size_t at) {
    uint32_t v = 0;
    if (at + 4 <= s.size()) std::memcpy(&v, s.data() + at, 4);
    return v;
}

// The first `count` records of a stream: property lists (`subrecords` < 0: a 32-bit length,
// its top byte a flag) or binary records (a type byte and `subrecords` length-prefixed parts).
std::string FirstRecords(std::string_view data, int count, int subrecords) {
    std::size_t at = 0;
    for (int n = 0; n < count && at < data.size(); ++n) {
        std::size_t next = at;
        if (subrecords < 0) {
            next += 4 + (U32(data, at) & 0x00FFFFFF);
        } else {
            next += 1;
            for (int k = 0; k < subrecords; ++k) next += 4 + U32(data, next);
        }
        if (next > data.size()) break;
        at = next;
    }
    return std::string(data.substr(0, at));
}

bool CutRealBoard(const std::string& path, const std::string& dir) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream bytes;
    bytes << in.rdbuf();
    const std::string file = bytes.str();
    boards::pcbdoc::CompoundFile ole;
    std::string reason;
    if (!ole.Open(file, &reason)) {
        std::fprintf(stderr, "%s: %s\n", path.c_str(), reason.c_str());
        return false;
    }
    const struct {
        const char* stream;
        int records, subrecords;
    } parts[] = {{"FileHeader", 1 << 30, -2},
                 {"Components6/Data", 6, -1},
                 {"Pads6/Data", 8, 6},
                 {"Texts6/Data", 8, 2},
                 {"WideStrings6/Data", 1 << 30, -2},
                 {"PrimitiveParameters/Data", 12, -1},
                 {"Tracks6/Data", 8, 1},
                 {"Arcs6/Data", 4, 1}};
    for (const bool mini : {true, false}) {
        CompoundFileBuilder b;
        for (const auto& part : parts) {
            std::string storage;
            std::string_view data;
            if (!ole.ReadStream(part.stream, &storage, &data, &reason)) continue;
            // Whole streams (-2) are cut to 400 bytes.
            b.AddStream(part.stream, part.subrecords == -2
                                         ? std::string(data.substr(0, 400))
                                         : FirstRecords(data, part.records, part.subrecords));
        }
        std::ofstream(dir + "/real-" + (mini ? "mini" : "regular") + ".PcbDoc", std::ios::binary)
            << b.Build(mini, false).bytes;
    }
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2 && argc != 3) {
        std::fprintf(stderr, "usage: %s DIR [REAL.PcbDoc]\n", argv[0]);
        return 2;
    }
    const std::string dir = argv[1];
    std::string components = EncodeComponent("R1", "|UNIQUEID=AAAAAAAA|SOURCEDESCRIPTION=x") +
                             EncodeComponent("", "|UNIQUEID=BBBBBBBB");
    std::string pads;
    PadSpec pad;
    pads += EncodePad(pad);
    pad.layer = 74;
    pad.hole = 200000;
    pad.shape = 1;
    pad.component = 1;
    pad.sizeAndShape = true;
    pad.holeShape = 2;
    pad.slotSize = 300000;
    pads += EncodePad(pad);
    pad.altShape = 9;
    pad.cornerRadius = 50;
    pad.layer = 57;
    pads += EncodePad(pad);
    pad.component = 0xFFFF;
    pad.layer = 32;
    pads += EncodePad(pad);
    TextSpec text;
    std::string texts = EncodeText(text);
    text.designator = false;
    text.fontType = 1;
    text.text = "10k";
    texts += EncodeText(text);
    const std::string parameters = EncodeProperties("|PRIMITIVEID=AAAAAAAA|COUNT=1") +
                                   EncodeProperties("|NAME=Value|VALUE=10k");
    int n = 0;
    for (const bool mini : {false, true})
        for (const bool padded : {false, true}) {
            CompoundFileBuilder b;
            b.AddStream("FileHeader", std::string("\x13\0\0\0", 4) + "PCB 6.0 Binary File");
            b.AddStream("Components6/Data", components);
            b.AddStream("Texts6/Data", texts);
            b.AddStream("PrimitiveParameters/Data", parameters);
            b.AddStream("Board6/Data", EncodeProperties("|VX0=0mil|VY0=0mil|VX1=100mil|VY1=0mil"));
            b.AddStream("Pads6/Data", pads);
            std::ofstream(dir + "/seed" + std::to_string(++n) + ".PcbDoc", std::ios::binary)
                << b.Build(mini, padded).bytes;
        }
    return argc == 3 && !CutRealBoard(argv[2], dir) ? 1 : 0;
}
