// SPDX-License-Identifier: GPL-3.0-or-later
// Writes small Altium PCB documents into a folder as seeds for altium_fuzzer: regular and mini
// streams, an unpadded last sector, every pad and text form the reader tells apart.
#include <cstdio>
#include <fstream>
#include <string>

#include "AltiumTestFiles.h"

using namespace boards::altium::test;

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s DIR\n", argv[0]);
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
    return 0;
}
