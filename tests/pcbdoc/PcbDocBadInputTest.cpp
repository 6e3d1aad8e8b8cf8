// SPDX-License-Identifier: GPL-3.0-or-later
// Hostile and foreign files: each refused with the file and a reason that says what is wrong,
// the design given left as it was.
#include <gtest/gtest.h>

#include <cstring>
#include <fstream>

#include "PcbDocTestFiles.h"
#include "boardreaders/BoardFormats.h"
#include "boardreaders/pcbdoc/CompoundFile.h"
#include "boardreaders/pcbdoc/PcbDocReader.h"

namespace {

using boards::Design;
using boards::ReadError;
using namespace boards::pcbdoc::test;

CompoundFileBuilder Board() {
    CompoundFileBuilder builder;
    builder.AddStream("FileHeader", std::string("\x13\0\0\0", 4) + "PCB 6.0 Binary File");
    std::string components;
    for (int i = 0; i < 20; ++i) components += EncodeComponent("R" + std::to_string(i + 1));
    builder.AddStream("Components6/Data", components);
    PadSpec pad;
    builder.AddStream("Pads6/Data", EncodePad(pad) + EncodePad(pad));
    return builder;
}

// Refused, with the reason holding `why`, and the design untouched.
void ExpectRefused(const std::string& bytes, const std::string& why) {
    Design design;
    design.components.resize(1);
    design.components[0].refDes = "KEEP";
    ReadError error;
    EXPECT_FALSE(boards::ParsePcbDocBoard(bytes, "hostile.PcbDoc", design, error));
    EXPECT_EQ(error.file, "hostile.PcbDoc");
    EXPECT_NE(error.reason.find(why), std::string::npos) << error.reason;
    ASSERT_EQ(design.components.size(), 1u);
    EXPECT_EQ(design.components[0].refDes, "KEEP");
}

TEST(PcbDocBadInput, NotACompoundFile) {
    ExpectRefused("", "not an OLE compound file");
    ExpectRefused("PK\x03\x04 a zip archive", "not an OLE compound file");
    ExpectRefused(std::string(boards::pcbdoc::CompoundFile::kSignature) + "short",
                  "not an OLE compound file");
}

TEST(PcbDocBadInput, TruncatedFile) {
    const BuiltFile built = Board().Build();
    Design whole;
    ReadError wholeError;
    ASSERT_TRUE(boards::ParsePcbDocBoard(built.bytes, "whole", whole, wholeError))
        << wholeError.ToString();
    // Cut inside the pads' stream.
    const std::size_t padsAt = built.SectorOffset(built.firstSector.at("Pads6/Data"));
    ExpectRefused(built.bytes.substr(0, padsAt + 100), "past the end of the file");
    // Cut inside the directory or the allocation table: refused, whatever the reason.
    for (std::size_t cut : {std::size_t(600), std::size_t(1030), std::size_t(512)}) {
        Design design;
        ReadError error;
        EXPECT_FALSE(boards::ParsePcbDocBoard(built.bytes.substr(0, cut), "t", design, error))
            << cut;
        EXPECT_FALSE(error.reason.empty());
    }
}

TEST(PcbDocBadInput, SectorChainThatLoops) {
    BuiltFile built = Board().Build();
    const uint32_t first = built.firstSector.at("Components6/Data");
    built.SetFat(first + 1, first);  // the second sector leads back to the first
    ExpectRefused(built.bytes, "loops");
    BuiltFile self = Board().Build();
    self.SetFat(self.firstSector.at("Components6/Data"), self.firstSector.at("Components6/Data"));
    ExpectRefused(self.bytes, "loops");
}

TEST(PcbDocBadInput, StreamLongerThanTheFile) {
    BuiltFile built = Board().Build();
    built.SetStreamSize("Pads6/Data", 0x7FFFFFF0);
    ExpectRefused(built.bytes, "longer than the file");
    BuiltFile ends = Board().Build();
    ends.SetStreamSize("Pads6/Data", 6000);  // more than its chain holds, less than the file
    ExpectRefused(ends.bytes, "Pads6/Data");
}

TEST(PcbDocBadInput, RecordLengthBeyondItsStream) {
    CompoundFileBuilder builder;
    std::string components = EncodeComponent("R1");
    std::string bad = EncodeComponent("R2");
    const uint32_t huge = 100000;
    std::memcpy(bad.data(), &huge, 4);
    builder.AddStream("Components6/Data", components + bad);
    ExpectRefused(builder.Build().bytes, "Components6/Data: record 2 at byte");

    CompoundFileBuilder pads;
    pads.AddStream("Components6/Data", components);
    PadSpec pad;
    std::string record = EncodePad(pad);
    std::memcpy(record.data() + 1, &huge, 4);  // the name's subrecord
    pads.AddStream("Pads6/Data", record);
    ExpectRefused(pads.Build().bytes, "beyond the stream's end");

    CompoundFileBuilder cut;
    cut.AddStream("Components6/Data", components);
    cut.AddStream("Pads6/Data", EncodePad(pad).substr(0, 40));
    ExpectRefused(cut.Build().bytes, "Pads6/Data: record 1");

    CompoundFileBuilder owner;  // a pad of a component the board does not have
    owner.AddStream("Components6/Data", components);
    pad.component = 7;
    owner.AddStream("Pads6/Data", EncodePad(pad));
    ExpectRefused(owner.Build().bytes, "belongs to component 7");
}

TEST(PcbDocBadInput, SchematicsLibrariesAndOtherCompoundFiles) {
    CompoundFileBuilder schematic;
    // The header claims more text than the stream holds, as real files do.
    schematic.AddStream("FileHeader", std::string("\xF0\0\0\0", 4) +
                                          "|HEADER=Schematic Capture Binary File Version "
                                          "5.0|WEIGHT=12");
    schematic.AddStream("Storage", std::string(20, 'x'));
    ExpectRefused(schematic.Build(true).bytes, "a schematic document, not a PCB document");

    CompoundFileBuilder library;
    std::string header = std::string("\x40\0\0\0", 4);
    for (char c : std::string("PCB 6.0 Binary Library File")) header += std::string{c, '\0'};
    library.AddStream("FileHeader", header);
    library.AddStream("Library/Data", "x");
    ExpectRefused(library.Build().bytes, "a library document, not a PCB document");

    CompoundFileBuilder word;
    word.AddStream("WordDocument", std::string(600, 'w'));
    ExpectRefused(word.Build().bytes, "not a PcbDoc PCB document");
}

TEST(PcbDocBadInput, DirectoryThatLoopsIsNotFollowed) {
    BuiltFile built = Board().Build();
    // Make the root's first child its own right sibling.
    const std::size_t first = built.entryOffset.at("FileHeader");
    const uint32_t self = uint32_t((first - built.entryOffset.at("")) / 128);
    std::memcpy(built.bytes.data() + first + 72, &self, 4);
    std::memcpy(built.bytes.data() + first + 68, &self, 4);
    Design design;
    ReadError error;
    // Either read without the entries cut off, or refused; never a hang.
    if (!boards::ParsePcbDocBoard(built.bytes, "loop", design, error)) {
        EXPECT_FALSE(error.reason.empty());
    }
}

TEST(PcbDocBadInput, LoaderSaysFileAndReason) {
    const std::string path = ::testing::TempDir() + "not-a-board.PcbDoc";
    std::ofstream(path, std::ios::binary) << "ASCII PCB files are not read here";
    Design design;
    ReadError error;
    EXPECT_FALSE(boards::BoardFormats::Load(path, design, error));
    EXPECT_EQ(error.file, path);
    EXPECT_NE(error.reason.find("not an OLE compound file"), std::string::npos) << error.reason;
}

}  // namespace
