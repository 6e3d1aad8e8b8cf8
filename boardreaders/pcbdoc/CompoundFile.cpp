// SPDX-License-Identifier: GPL-3.0-or-later
#include "CompoundFile.h"

#include <cstring>

namespace boards::pcbdoc {
namespace {

constexpr uint32_t kHeaderBytes = 512;
constexpr uint32_t kDirectoryEntryBytes = 128;
constexpr uint32_t kMiniSectorBytes = 64;
constexpr uint32_t kHeaderDifatEntries = 109;

uint16_t U16(const char* p) {
    return uint16_t(uint8_t(p[0]) | uint8_t(p[1]) << 8);
}
uint32_t U32(const char* p) {
    uint32_t v;
    std::memcpy(&v, p, 4);
    return v;
}
uint64_t U64(const char* p) {
    uint64_t v;
    std::memcpy(&v, p, 8);
    return v;
}

char AsciiLower(char c) {
    return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c;
}

bool SameName(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (AsciiLower(a[i]) != AsciiLower(b[i])) return false;
    return true;
}

}  // namespace

std::string_view CompoundFile::Sector(uint32_t n) const {
    const uint64_t offset = (uint64_t(n) + 1) * sectorSize_;
    if (n >= sectorCount_ || offset >= bytes_.size()) return {};
    return bytes_.substr(std::size_t(offset), sectorSize_);
}

template <typename UnitFn>
bool CompoundFile::ReadChain(const std::vector<uint32_t>& table, uint32_t start, int64_t size,
                             uint32_t unitSize, UnitFn unit, const char* what, std::string* out,
                             std::string* reason) const {
    out->clear();
    if (size == 0) return true;
    std::vector<bool> seen(table.size());
    uint64_t remaining = size < 0 ? UINT64_MAX : uint64_t(size);
    if (size > 0) out->reserve(std::size_t(size));
    for (uint32_t n = start;;) {
        if (n == kEndOfChain && size < 0) return true;
        if (n == kEndOfChain) {
            *reason = std::string(what) + ": its sector chain ends before its " +
                      std::to_string(size) + " bytes";
            return false;
        }
        if (n >= table.size() || n > kMaxRegularSector) {
            *reason = std::string(what) + ": its sector chain leaves the file (sector " +
                      std::to_string(n) + ")";
            return false;
        }
        if (seen[n]) {
            *reason = std::string(what) + ": its sector chain loops (sector " + std::to_string(n) +
                      " again)";
            return false;
        }
        seen[n] = true;
        const std::string_view data = unit(n);
        const uint64_t wanted = remaining < unitSize ? remaining : unitSize;
        if (data.size() < wanted && !(size < 0 && !data.empty())) {
            *reason = std::string(what) + ": it runs past the end of the file (sector " +
                      std::to_string(n) + ")";
            return false;
        }
        const std::size_t take = std::size_t(wanted < data.size() ? wanted : data.size());
        out->append(data.data(), take);
        if (size >= 0) {
            remaining -= take;
            if (remaining == 0) return true;
        }
        n = table[n];
    }
}

bool CompoundFile::Open(std::string_view bytes, std::string* reason) {
    bytes_ = bytes;
    if (bytes.size() < kHeaderBytes || bytes.substr(0, 8) != kSignature) {
        *reason = "not an OLE compound file (no compound-file signature)";
        return false;
    }
    const char* h = bytes.data();
    const uint16_t major = U16(h + 0x1A);
    const uint16_t shift = U16(h + 0x1E);
    if (U16(h + 0x1C) != 0xFFFE || !((major == 3 && shift == 9) || (major == 4 && shift == 12))) {
        *reason = "compound file header not understood (version " + std::to_string(major) +
                  ", sector shift " + std::to_string(shift) + ")";
        return false;
    }
    version4_ = major == 4;
    sectorSize_ = 1u << shift;
    if (U16(h + 0x20) != 6) {
        *reason = "compound file header not understood (mini sector shift)";
        return false;
    }
    // Sectors that start inside the file; the last may be cut short (unpadded).
    sectorCount_ = bytes.size() > sectorSize_
                       ? uint32_t((bytes.size() - sectorSize_ + sectorSize_ - 1) / sectorSize_)
                       : 0;
    const uint32_t fatSectors = U32(h + 0x2C);
    const uint32_t firstDirectory = U32(h + 0x30);
    miniCutoff_ = U32(h + 0x38);
    const uint32_t firstMiniFat = U32(h + 0x3C);
    const uint32_t firstDifat = U32(h + 0x44);
    const uint32_t difatSectors = U32(h + 0x48);
    if (fatSectors > sectorCount_ || difatSectors > sectorCount_) {
        *reason = "compound file header claims more allocation sectors than the file holds";
        return false;
    }

    // The sectors of the allocation table: 109 in the header, the rest in the DIFAT chain.
    std::vector<uint32_t> fatSectorList;
    fatSectorList.reserve(fatSectors);
    for (uint32_t i = 0; i < kHeaderDifatEntries && fatSectorList.size() < fatSectors; ++i)
        fatSectorList.push_back(U32(h + 0x4C + 4 * i));
    const uint32_t perDifat = sectorSize_ / 4 - 1;
    std::vector<bool> seenDifat(sectorCount_);
    for (uint32_t n = firstDifat; fatSectorList.size() < fatSectors;) {
        if (n >= sectorCount_ || seenDifat[n]) {
            *reason =
                n < sectorCount_ ? "the DIFAT chain loops" : "the DIFAT chain leaves the file";
            return false;
        }
        seenDifat[n] = true;
        const std::string_view s = Sector(n);
        if (s.size() < sectorSize_) {
            *reason = "the DIFAT chain runs past the end of the file";
            return false;
        }
        for (uint32_t i = 0; i < perDifat && fatSectorList.size() < fatSectors; ++i)
            fatSectorList.push_back(U32(s.data() + 4 * i));
        n = U32(s.data() + 4 * perDifat);
    }
    fat_.assign(std::size_t(fatSectors) * (sectorSize_ / 4), 0xFFFFFFFF);
    for (uint32_t i = 0; i < fatSectors; ++i) {
        const std::string_view s = Sector(fatSectorList[i]);
        if (s.empty()) {
            *reason = "an allocation table sector lies outside the file";
            return false;
        }
        std::memcpy(fat_.data() + std::size_t(i) * (sectorSize_ / 4), s.data(), s.size() & ~3u);
    }
    // Entries past the sectors in the file can never be followed.
    if (fat_.size() > sectorCount_) fat_.resize(sectorCount_);

    auto sector = [this](uint32_t n) { return Sector(n); };
    std::string directory;
    if (!ReadChain(fat_, firstDirectory, -1, sectorSize_, sector, "the directory", &directory,
                   reason))
        return false;
    const std::size_t count = directory.size() / kDirectoryEntryBytes;
    if (count == 0) {
        *reason = "the compound file has no directory";
        return false;
    }
    entries_.assign(count, Entry{});
    for (std::size_t i = 0; i < count; ++i) {
        const char* e = directory.data() + i * kDirectoryEntryBytes;
        Entry& entry = entries_[i];
        const uint16_t nameBytes = U16(e + 64);
        const std::size_t chars = nameBytes >= 2 && nameBytes <= 64 ? nameBytes / 2 - 1 : 0;
        entry.name.reserve(chars);
        for (std::size_t c = 0; c < chars; ++c) {
            const uint16_t u = U16(e + 2 * c);
            entry.name.push_back(u >= 0x20 && u < 0x7F ? char(u) : '?');
        }
        entry.type = uint8_t(e[66]);
        entry.left = U32(e + 68);
        entry.right = U32(e + 72);
        entry.child = U32(e + 76);
        entry.start = U32(e + 116);
        // Version 3 files may hold garbage in the high half of the size.
        entry.size = version4_ ? U64(e + 120) : U32(e + 120);
    }
    if (entries_[0].type != 5) {
        *reason = "the compound file's first directory entry is not its root";
        return false;
    }

    // The mini stream (the root entry's content) and its allocation table.
    const Entry& root = entries_[0];
    if (root.size > bytes.size()) {
        *reason =
            "the mini stream claims " + std::to_string(root.size) + " bytes, longer than the file";
        return false;
    }
    if (root.size > 0 && !ReadChain(fat_, root.start, int64_t(root.size), sectorSize_, sector,
                                    "the mini stream", &miniStream_, reason))
        return false;
    std::string miniFat;
    if (firstMiniFat != kEndOfChain && firstMiniFat != kNoStream &&
        !ReadChain(fat_, firstMiniFat, -1, sectorSize_, sector, "the mini allocation table",
                   &miniFat, reason))
        return false;
    miniFat_.resize(miniFat.size() / 4);
    if (!miniFat_.empty()) std::memcpy(miniFat_.data(), miniFat.data(), miniFat_.size() * 4);
    const std::size_t miniSectors = (miniStream_.size() + kMiniSectorBytes - 1) / kMiniSectorBytes;
    if (miniFat_.size() > miniSectors) miniFat_.resize(miniSectors);
    return true;
}

int CompoundFile::FindChild(uint32_t storage, std::string_view name) const {
    // The children form a tree through their left and right siblings; a visited mark keeps a
    // hostile tree from looping.
    std::vector<bool> seen(entries_.size());
    std::vector<uint32_t> pending{entries_[storage].child};
    while (!pending.empty()) {
        const uint32_t n = pending.back();
        pending.pop_back();
        if (n >= entries_.size() || seen[n]) continue;
        seen[n] = true;
        const Entry& e = entries_[n];
        if ((e.type == 1 || e.type == 2) && SameName(e.name, name)) return int(n);
        pending.push_back(e.left);
        pending.push_back(e.right);
    }
    return -1;
}

int CompoundFile::Find(std::string_view path) const {
    if (entries_.empty()) return -1;
    uint32_t at = 0;
    while (!path.empty()) {
        const std::size_t slash = path.find('/');
        const std::string_view name = path.substr(0, slash);
        if (entries_[at].type != 1 && entries_[at].type != 5) return -1;
        const int child = FindChild(at, name);
        if (child < 0) return -1;
        at = uint32_t(child);
        path = slash == std::string_view::npos ? std::string_view{} : path.substr(slash + 1);
    }
    return int(at);
}

bool CompoundFile::ReadStream(std::string_view path, std::string* storage, std::string_view* out,
                              std::string* reason) const {
    const int index = Find(path);
    const std::string what = "stream " + std::string(path);
    if (index < 0 || entries_[std::size_t(index)].type != 2) {
        *reason = "no " + what;
        return false;
    }
    const Entry& e = entries_[std::size_t(index)];
    if (e.size > bytes_.size()) {
        *reason = what + " claims " + std::to_string(e.size) + " bytes, longer than the file (" +
                  std::to_string(bytes_.size()) + " bytes)";
        return false;
    }
    *out = {};
    if (e.size == 0) return true;
    const bool mini = e.size < miniCutoff_;
    const std::vector<uint32_t>& table = mini ? miniFat_ : fat_;
    const uint32_t unitSize = mini ? kMiniSectorBytes : sectorSize_;
    const std::string_view base = mini ? std::string_view(miniStream_) : bytes_;
    // Sectors that follow one another are read in place: the chain only climbs, so it ends.
    const uint64_t units = (e.size + unitSize - 1) / unitSize;
    bool contiguous = true;
    for (uint64_t k = 0; k < units && contiguous; ++k) {
        const uint64_t n = uint64_t(e.start) + k;
        contiguous = n < table.size() && (k + 1 == units || table[std::size_t(n)] == n + 1);
    }
    const uint64_t offset =
        mini ? uint64_t(e.start) * unitSize : (uint64_t(e.start) + 1) * unitSize;
    if (contiguous && offset + e.size <= base.size()) {
        *out = base.substr(std::size_t(offset), std::size_t(e.size));
        return true;
    }
    bool ok;
    if (mini) {
        auto unit = [this](uint32_t n) {
            const std::size_t at = std::size_t(n) * kMiniSectorBytes;
            return at < miniStream_.size()
                       ? std::string_view(miniStream_).substr(at, kMiniSectorBytes)
                       : std::string_view{};
        };
        ok = ReadChain(table, e.start, int64_t(e.size), unitSize, unit, what.c_str(), storage,
                       reason);
    } else {
        auto unit = [this](uint32_t n) { return Sector(n); };
        ok = ReadChain(table, e.start, int64_t(e.size), unitSize, unit, what.c_str(), storage,
                       reason);
    }
    if (ok) *out = *storage;
    return ok;
}

}  // namespace boards::pcbdoc
