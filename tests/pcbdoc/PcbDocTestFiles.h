// SPDX-License-Identifier: GPL-3.0-or-later
// Small PcbDoc documents made for the tests: a compound-file writer (version 3, every stream in
// regular sectors, or the small ones in the mini stream) and encoders of the records the reader
// takes, so that each mapping rule and each refusal can be shown on a file of a few sectors.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace boards::pcbdoc::test {

struct BuiltFile {
    std::string bytes;
    std::map<std::string, uint32_t> firstSector;     // regular-sector streams by path
    std::map<std::string, std::size_t> entryOffset;  // byte offset of each directory entry
    std::size_t fatOffset = 0;                       // byte offset of the first FAT sector
    std::size_t SectorOffset(uint32_t n) const { return (std::size_t(n) + 1) * 512; }
    // Rewrites the FAT entry of sector `n`.
    void SetFat(uint32_t n, uint32_t next);
    // Rewrites the size of the stream at `path` in its directory entry.
    void SetStreamSize(const std::string& path, uint32_t size);
};

class CompoundFileBuilder {
  public:
    // Storages on the way are made as needed: "Pads6/Data".
    void AddStream(const std::string& path, std::string bytes);
    // Streams below 4096 bytes go to the mini stream when `useMiniStream`; the last sector is
    // left unpadded when `padLastSector` is false.
    BuiltFile Build(bool useMiniStream = false, bool padLastSector = true) const;

  private:
    std::vector<std::pair<std::string, std::string>> streams_;
};

// A property-list record: 32-bit length, "|KEY=VALUE|...", a zero byte.
std::string EncodeProperties(const std::string& text);

struct PadSpec {
    std::string name = "1";
    uint8_t layer = 1;  // 1 top, 32 bottom, 74 multi-layer, 57.. mechanical
    uint16_t component = 0;
    int32_t x = 0, y = 0;
    int32_t sizeX = 393701, sizeY = 393701;  // 1 mm
    uint8_t shape = 2;                       // 1 circle, 2 rect, 3 octagon
    int32_t hole = 0;
    bool plated = true;
    bool sizeAndShape = false;
    uint8_t holeShape = 0;  // 0 round, 1 square, 2 slot
    int32_t slotSize = 0;
    double slotRotation = 0;
    uint8_t altShape = 0;  // 9 round rectangle
    uint8_t cornerRadius = 0;
};
std::string EncodePad(const PadSpec& pad);

struct TextSpec {
    uint16_t component = 0;
    bool designator = true;
    std::string text = "R1";
    int32_t height = 600000;  // 60 mil
    int32_t strokeWidth = 100000;
    uint8_t fontType = 0;  // 0 stroke, 1 TrueType
    std::string fontName = "Arial";
    bool bold = false;
};
std::string EncodeText(const TextSpec& text);

// A component record with SOURCEDESIGNATOR=`refDes` and the extra "|KEY=VALUE" text.
std::string EncodeComponent(const std::string& refDes, const std::string& extra = "");

}  // namespace boards::pcbdoc::test
