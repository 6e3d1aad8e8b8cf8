// SPDX-License-Identifier: GPL-3.0-or-later
// A bounded reader of OLE compound files (the container of PcbDoc's binary documents), over
// bytes already in memory: every sector, chain and stream is checked against the file, so a
// chain that loops, a stream longer than the file or a sector outside it is refused with the
// reason, never followed.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace boards::pcbdoc {

class CompoundFile {
  public:
    static constexpr std::string_view kSignature{"\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8};

    // Reads the header, the allocation tables and the directory; false with the reason when they
    // do not hold. `bytes` must outlive this object.
    bool Open(std::string_view bytes, std::string* reason);

    // Whether `path` ("Pads6/Data", names separated by '/', compared ignoring ASCII case) names
    // a stream or storage.
    bool Exists(std::string_view path) const { return Find(path) >= 0; }
    // The content of the stream at `path`: a view into the file (or the mini stream) when its
    // sectors follow one another, else a copy in `storage`; false with the reason when it is
    // missing or does not read. The view lives as long as this object and `storage`.
    bool ReadStream(std::string_view path, std::string* storage, std::string_view* out,
                    std::string* reason) const;

  private:
    struct Entry {
        std::string name;  // as read, only ASCII kept (other characters become '?')
        uint8_t type = 0;  // 1 storage, 2 stream, 5 root
        uint32_t left = 0, right = 0, child = 0;
        uint32_t start = 0;
        uint64_t size = 0;
    };

    static constexpr uint32_t kNoStream = 0xFFFFFFFF;
    static constexpr uint32_t kEndOfChain = 0xFFFFFFFE;
    static constexpr uint32_t kMaxRegularSector = 0xFFFFFFFA;

    int Find(std::string_view path) const;
    int FindChild(uint32_t storage, std::string_view name) const;
    // The bytes of sector `n` that lie inside the file (fewer than a sector only for the last).
    std::string_view Sector(uint32_t n) const;
    // Follows the chain from `start` in `table`, `unitSize` bytes a unit from `unit(n)`, until
    // `size` bytes are read (all of the chain when size is unknown: -1).
    template <typename UnitFn>
    bool ReadChain(const std::vector<uint32_t>& table, uint32_t start, int64_t size,
                   uint32_t unitSize, UnitFn unit, const char* what, std::string* out,
                   std::string* reason) const;

    std::string_view bytes_;
    uint32_t sectorSize_ = 512;
    uint32_t sectorCount_ = 0;  // sectors that begin inside the file
    uint32_t miniCutoff_ = 4096;
    bool version4_ = false;
    std::vector<uint32_t> fat_;
    std::vector<uint32_t> miniFat_;
    std::vector<Entry> entries_;
    std::string miniStream_;
};

}  // namespace boards::pcbdoc
