// SPDX-License-Identifier: GPL-3.0-or-later
#include "PcbDocTestFiles.h"

#include <cstring>

namespace boards::pcbdoc::test {
namespace {

constexpr uint32_t kSector = 512;
constexpr uint32_t kEnd = 0xFFFFFFFE;
constexpr uint32_t kFree = 0xFFFFFFFF;
constexpr uint32_t kFatSect = 0xFFFFFFFD;
constexpr uint32_t kNone = 0xFFFFFFFF;

template <typename T>
void Put(std::string& s, std::size_t at, T v) {
    std::memcpy(s.data() + at, &v, sizeof v);
}
template <typename T>
void Append(std::string& s, T v) {
    s.append(reinterpret_cast<const char*>(&v), sizeof v);
}

struct Node {
    std::string name;
    uint8_t type = 1;  // 1 storage, 2 stream, 5 root
    std::string data;
    std::vector<std::size_t> children;
    uint32_t start = kEnd;
    std::size_t index = 0;
};

std::size_t SectorsFor(std::size_t bytes, std::size_t unit) {
    return (bytes + unit - 1) / unit;
}

}  // namespace

void BuiltFile::SetFat(uint32_t n, uint32_t next) {
    Put(bytes, fatOffset + 4 * std::size_t(n), next);
}

void BuiltFile::SetStreamSize(const std::string& path, uint32_t size) {
    Put(bytes, entryOffset.at(path) + 120, size);
}

void CompoundFileBuilder::AddStream(const std::string& path, std::string bytes) {
    streams_.emplace_back(path, std::move(bytes));
}

BuiltFile CompoundFileBuilder::Build(bool useMiniStream, bool padLastSector) const {
    // The tree of storages and streams.
    std::vector<Node> nodes(1);
    nodes[0].name = "Root Entry";
    nodes[0].type = 5;
    std::vector<std::string> paths(1);
    for (const auto& [path, data] : streams_) {
        std::size_t at = 0, parent = 0;
        while (true) {
            const std::size_t slash = path.find('/', at);
            const std::string name = path.substr(at, slash - at);
            const std::string sofar = path.substr(0, slash);
            std::size_t found = 0;
            for (std::size_t c : nodes[parent].children)
                if (nodes[c].name == name) found = c;
            if (!found) {
                found = nodes.size();
                Node n;
                n.name = name;
                n.type = slash == std::string::npos ? 2 : 1;
                if (n.type == 2) n.data = data;
                nodes.push_back(n);
                paths.push_back(sofar);
                nodes[parent].children.push_back(found);
            }
            parent = found;
            if (slash == std::string::npos) break;
            at = slash + 1;
        }
    }
    // Mini stream for the small streams.
    std::string mini;
    std::vector<uint32_t> miniFat;
    for (Node& n : nodes) {
        if (n.type != 2 || !useMiniStream || n.data.size() >= 4096 || n.data.empty()) continue;
        const uint32_t first = uint32_t(mini.size() / 64);
        const std::size_t count = SectorsFor(n.data.size(), 64);
        for (std::size_t k = 0; k < count; ++k)
            miniFat.push_back(k + 1 < count ? uint32_t(first + k + 1) : kEnd);
        n.start = first;
        mini += n.data;
        mini.resize(SectorsFor(mini.size(), 64) * 64, '\0');
    }
    // Sectors: [FAT...][directory][mini FAT][mini stream][streams...].
    const std::size_t dirSectors = SectorsFor(nodes.size() * 128, kSector);
    const std::size_t miniFatSectors = SectorsFor(miniFat.size() * 4, kSector);
    const std::size_t miniSectors = SectorsFor(mini.size(), kSector);
    std::size_t dataSectors = 0;
    for (const Node& n : nodes)
        if (n.type == 2 && !(useMiniStream && n.data.size() < 4096))
            dataSectors += SectorsFor(n.data.size(), kSector);
    // Allocation-table sectors past the header's 109 are listed by DIFAT sectors, 127 each.
    std::size_t fatSectors = 1, difatSectors = 0;
    for (;;) {
        difatSectors = fatSectors > 109 ? (fatSectors - 109 + 126) / 127 : 0;
        if (fatSectors * 128 >=
            fatSectors + difatSectors + dirSectors + miniFatSectors + miniSectors + dataSectors)
            break;
        ++fatSectors;
    }
    std::vector<uint32_t> fat(fatSectors * 128, kFree);
    uint32_t next = 0;
    auto chain = [&](std::size_t count) {
        const uint32_t first = next;
        for (std::size_t k = 0; k < count; ++k, ++next) fat[next] = k + 1 < count ? next + 1 : kEnd;
        return count ? first : kEnd;
    };
    for (std::size_t k = 0; k < fatSectors; ++k) fat[next++] = kFatSect;
    const uint32_t difatStart = next;
    for (std::size_t k = 0; k < difatSectors; ++k) fat[next++] = 0xFFFFFFFC;
    const uint32_t dirStart = chain(dirSectors);
    const uint32_t miniFatStart = chain(miniFatSectors);
    nodes[0].start = chain(miniSectors);
    BuiltFile built;
    for (std::size_t i = 0; i < nodes.size(); ++i) {
        Node& n = nodes[i];
        if (n.type != 2 || (useMiniStream && n.data.size() < 4096)) continue;
        n.start = chain(SectorsFor(n.data.size(), kSector));
        built.firstSector[paths[i]] = n.start;
    }

    std::string& out = built.bytes;
    out.assign(kSector, '\0');
    std::memcpy(out.data(), "\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8);
    Put<uint16_t>(out, 0x18, 0x3E);
    Put<uint16_t>(out, 0x1A, 3);
    Put<uint16_t>(out, 0x1C, 0xFFFE);
    Put<uint16_t>(out, 0x1E, 9);
    Put<uint16_t>(out, 0x20, 6);
    Put<uint32_t>(out, 0x2C, uint32_t(fatSectors));
    Put<uint32_t>(out, 0x30, dirStart);
    Put<uint32_t>(out, 0x38, useMiniStream ? 4096 : 0);
    Put<uint32_t>(out, 0x3C, miniFatSectors ? miniFatStart : kEnd);
    Put<uint32_t>(out, 0x40, uint32_t(miniFatSectors));
    Put<uint32_t>(out, 0x44, difatSectors ? difatStart : kEnd);
    Put<uint32_t>(out, 0x48, uint32_t(difatSectors));
    for (std::size_t k = 0; k < 109; ++k)
        Put<uint32_t>(out, 0x4C + 4 * k, k < fatSectors ? uint32_t(k) : kFree);
    built.fatOffset = out.size();
    for (uint32_t v : fat) Append(out, v);
    for (std::size_t k = 0; k < difatSectors; ++k) {
        for (std::size_t i = 0; i < 127; ++i) {
            const std::size_t listed = 109 + k * 127 + i;
            Append<uint32_t>(out, listed < fatSectors ? uint32_t(listed) : kFree);
        }
        Append<uint32_t>(out, k + 1 < difatSectors ? uint32_t(difatStart + k + 1) : kEnd);
    }
    // Directory: children of a storage chained through right siblings.
    std::string dir(dirSectors * kSector, '\0');
    for (std::size_t i = 0; i < nodes.size(); ++i) {
        const Node& n = nodes[i];
        char* e = dir.data() + i * 128;
        for (std::size_t c = 0; c < n.name.size() && c < 31; ++c) e[2 * c] = n.name[c];
        Put<uint16_t>(dir, i * 128 + 64, uint16_t(2 * (n.name.size() + 1)));
        e[66] = char(n.type);
        e[67] = 1;
        Put<uint32_t>(dir, i * 128 + 68, kNone);
        Put<uint32_t>(dir, i * 128 + 72, kNone);
        Put<uint32_t>(dir, i * 128 + 76, n.children.empty() ? kNone : uint32_t(n.children[0]));
        Put<uint32_t>(dir, i * 128 + 116, n.type == 1 ? 0 : n.start);
        Put<uint32_t>(dir, i * 128 + 120,
                      uint32_t(n.type == 5   ? mini.size()
                               : n.type == 2 ? n.data.size()
                                             : 0));
        built.entryOffset[paths[i]] = (std::size_t(dirStart) + 1) * kSector + i * 128;
    }
    for (const Node& n : nodes)
        for (std::size_t c = 0; c + 1 < n.children.size(); ++c)
            Put<uint32_t>(dir, n.children[c] * 128 + 72, uint32_t(n.children[c + 1]));
    for (std::size_t i = dir.size() / 128; i-- > nodes.size();) {
        Put<uint32_t>(dir, i * 128 + 68, kNone);
        Put<uint32_t>(dir, i * 128 + 72, kNone);
        Put<uint32_t>(dir, i * 128 + 76, kNone);
    }
    out += dir;
    std::string miniFatBytes;
    for (uint32_t v : miniFat) Append(miniFatBytes, v);
    miniFatBytes.resize(miniFatSectors * kSector, '\xFF');
    out += miniFatBytes;
    out += mini;
    out.resize(SectorsFor(out.size(), kSector) * kSector, '\0');
    for (const Node& n : nodes) {
        if (n.type != 2 || (useMiniStream && n.data.size() < 4096)) continue;
        out += n.data;
        out.resize(SectorsFor(out.size(), kSector) * kSector, '\0');
    }
    if (!padLastSector) {
        // Cut the file at the end of the last stream's bytes.
        const Node* last = nullptr;
        for (const Node& n : nodes)
            if (n.type == 2 && !(useMiniStream && n.data.size() < 4096) && !n.data.empty())
                last = &n;
        if (last)
            out.resize((std::size_t(last->start) + 1) * kSector +
                       SectorsFor(last->data.size(), kSector) * kSector - kSector +
                       (last->data.size() - 1) % kSector + 1);
    }
    return built;
}

std::string EncodeProperties(const std::string& text) {
    std::string out;
    Append<uint32_t>(out, uint32_t(text.size() + 1));
    out += text;
    out.push_back('\0');
    return out;
}

std::string EncodeComponent(const std::string& refDes, const std::string& extra) {
    return EncodeProperties("|LAYER=TOP|X=1000mil|Y=2000mil|ROTATION= 0.0|PATTERN=TEST" +
                            (refDes.empty() ? std::string() : "|SOURCEDESIGNATOR=" + refDes) +
                            extra);
}

namespace {

std::string Subrecord(const std::string& body) {
    std::string out;
    Append<uint32_t>(out, uint32_t(body.size()));
    return out + body;
}

}  // namespace

std::string EncodePad(const PadSpec& p) {
    std::string out(1, '\x02');
    out += Subrecord(std::string(1, char(p.name.size())) + p.name);
    out += Subrecord("") + Subrecord("") + Subrecord("");
    std::string s5(114, '\0');
    s5[0] = char(p.layer);
    Put<uint16_t>(s5, 3, 0xFFFF);
    Put<uint16_t>(s5, 7, p.component);
    Put<int32_t>(s5, 13, p.x);
    Put<int32_t>(s5, 17, p.y);
    for (int k = 0; k < 3; ++k) {
        Put<int32_t>(s5, 21 + 8 * k, p.sizeX);
        Put<int32_t>(s5, 25 + 8 * k, p.sizeY);
        s5[std::size_t(49 + k)] = char(p.shape);
    }
    Put<int32_t>(s5, 45, p.hole);
    Put<double>(s5, 52, 0.0);
    s5[60] = p.plated ? 1 : 0;
    out += Subrecord(s5);
    std::string s6;
    if (p.sizeAndShape) {
        s6.assign(596, '\0');
        s6[262] = char(p.holeShape);
        Put<int32_t>(s6, 263, p.slotSize);
        Put<double>(s6, 267, p.slotRotation);
        for (std::size_t k = 0; k < 32; ++k) {
            s6[532 + k] = char(p.altShape);
            s6[564 + k] = char(p.cornerRadius);
        }
    }
    out += Subrecord(s6);
    return out;
}

std::string EncodeText(const TextSpec& t) {
    std::string out(1, '\x05');
    std::string s1(252, '\0');
    s1[0] = 33;
    Put<uint16_t>(s1, 7, t.component);
    Put<int32_t>(s1, 21, t.height);
    Put<int32_t>(s1, 36, t.strokeWidth);
    s1[40] = t.designator ? 0 : 1;
    s1[41] = t.designator ? 1 : 0;
    s1[44] = t.bold ? 1 : 0;
    for (std::size_t c = 0; c < t.fontName.size() && c < 31; ++c) s1[46 + 2 * c] = t.fontName[c];
    Put<uint32_t>(s1, 115, 0xFFFFFFFF);
    s1[160] = char(t.fontType);
    out += Subrecord(s1);
    out += Subrecord(std::string(1, char(t.text.size())) + t.text);
    return out;
}

}  // namespace boards::pcbdoc::test
