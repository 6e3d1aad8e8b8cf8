// SPDX-License-Identifier: GPL-3.0-or-later
#include "PcbDocStreamParser.h"

#include <array>
#include <charconv>
#include <cmath>
#include <cstring>
#include <unordered_map>

#include "PropertyList.h"

namespace boards::pcbdoc {
namespace {

constexpr uint8_t kRecordArc = 1;
constexpr uint8_t kRecordPad = 2;
constexpr uint8_t kRecordTrack = 4;
constexpr uint8_t kRecordText = 5;

// Reads little-endian values inside [begin, end) of a stream; a read past the end fails the
// cursor and yields zero.
class Cursor {
  public:
    Cursor(std::string_view data, std::size_t at = 0) : data_(data), at_(at) {}

    std::size_t at() const { return at_; }
    std::size_t left() const { return at_ <= data_.size() ? data_.size() - at_ : 0; }
    bool ok() const { return ok_; }

    template <typename T>
    T Read() {
        T v{};
        if (left() < sizeof(T)) {
            ok_ = false;
            at_ = data_.size();
            return v;
        }
        std::memcpy(&v, data_.data() + at_, sizeof(T));
        at_ += sizeof(T);
        return v;
    }
    std::string_view Bytes(std::size_t n) {
        if (left() < n) {
            ok_ = false;
            at_ = data_.size();
            return {};
        }
        const std::string_view v = data_.substr(at_, n);
        at_ += n;
        return v;
    }

  private:
    std::string_view data_;
    std::size_t at_ = 0;
    bool ok_ = true;
};

// A field of a binary subrecord at a fixed offset; zero when the subrecord is shorter (older
// versions write shorter records).
template <typename T>
T Field(std::string_view sub, std::size_t offset) {
    T v{};
    if (offset + sizeof(T) <= sub.size()) std::memcpy(&v, sub.data() + offset, sizeof(T));
    return v;
}

// A double field, 0 when it is not a finite number.
double Angle(std::string_view sub, std::size_t offset) {
    const double v = Field<double>(sub, offset);
    return std::isfinite(v) ? v : 0.0;
}

std::string Where(std::string_view stream, std::size_t record, std::size_t offset) {
    return std::string(stream) + ": record " + std::to_string(record + 1) + " at byte " +
           std::to_string(offset);
}

// The next subrecord of a binary record: a 32-bit length and that many bytes.
bool NextSubrecord(Cursor& c, std::string_view stream, std::size_t record, std::size_t begin,
                   std::string_view* sub, std::string* reason) {
    const std::size_t at = c.at();
    const uint32_t length = c.Read<uint32_t>();
    if (!c.ok() || length > c.left()) {
        *reason = Where(stream, record, begin) + ": a subrecord at byte " + std::to_string(at) +
                  (c.ok() ? " claims " + std::to_string(length) + " bytes, beyond the stream's end"
                          : " is cut off by the stream's end");
        return false;
    }
    *sub = c.Bytes(length);
    return true;
}

// Splits a stream of property-list records (a 32-bit length, the top byte a flag, then the
// text, usually ending in a zero byte) and hands each record's text to `fn`.
template <typename Fn>
bool ForEachPropertyRecord(std::string_view data, std::string_view stream, std::string* reason,
                           Fn fn) {
    Cursor c(data);
    for (std::size_t record = 0; c.left() > 0; ++record) {
        const std::size_t begin = c.at();
        const uint32_t raw = c.Read<uint32_t>();
        const uint32_t length = raw & 0x00FFFFFF;
        if (!c.ok() || length > c.left()) {
            *reason =
                Where(stream, record, begin) +
                (c.ok() ? ": claims " + std::to_string(length) + " bytes, beyond the stream's end"
                        : ": cut off by the stream's end");
            return false;
        }
        std::string_view text = c.Bytes(length);
        if ((raw & 0xFF000000) != 0) continue;  // binary payload, not a property list
        if (!text.empty() && text.back() == '\0') text.remove_suffix(1);
        fn(record, text);
    }
    return true;
}

// The FileHeader's text: a 32-bit length, then that many characters (UTF-16 or 8-bit), of
// which real files may hold fewer than they claim.
std::string FileHeaderText(const CompoundFile& file) {
    std::string storage, reason;
    std::string_view bytes;
    if (!file.ReadStream("FileHeader", &storage, &bytes, &reason) || bytes.size() < 4) return {};
    uint32_t claimed;
    std::memcpy(&claimed, bytes.data(), 4);
    claimed &= 0x00FFFFFF;
    std::string_view rest = bytes.substr(4);
    if (rest.size() >= 2 && rest[1] == '\0') {
        if (rest.size() > std::size_t(claimed) * 2) rest = rest.substr(0, std::size_t(claimed) * 2);
        return Utf16LeToUtf8(rest);
    }
    if (rest.size() > claimed) rest = rest.substr(0, claimed);
    // An 8-bit text may start with its own length byte.
    if (!rest.empty() && uint8_t(rest[0]) < 0x20) rest.remove_prefix(1);
    const std::size_t zero = rest.find('\0');
    return Latin1ToUtf8(rest.substr(0, zero));
}

bool ContainsNoCase(std::string_view text, std::string_view word) {
    for (std::size_t i = 0; i + word.size() <= text.size(); ++i) {
        bool same = true;
        for (std::size_t k = 0; k < word.size() && same; ++k) {
            char a = text[i + k], b = word[k];
            if (a >= 'A' && a <= 'Z') a = char(a + 32);
            if (b >= 'A' && b <= 'Z') b = char(b + 32);
            same = a == b;
        }
        if (same) return true;
    }
    return false;
}

bool ReadComponents(const CompoundFile& file, PcbDocBoardModel& model, std::string* reason) {
    std::string storage;
    std::string_view data;
    if (!file.ReadStream("Components6/Data", &storage, &data, reason)) return false;
    return ForEachPropertyRecord(data, "Components6/Data", reason,
                                 [&](std::size_t, std::string_view text) {
                                     const PropertyList props(text);
                                     PcbDocComponent c;
                                     c.refDes = props.Text("SOURCEDESIGNATOR");
                                     c.uniqueId = props.Text("UNIQUEID");
                                     c.pattern = props.Text("PATTERN");
                                     c.libReference = props.Text("SOURCELIBREFERENCE");
                                     c.description = props.Text("SOURCEDESCRIPTION");
                                     c.xMm = props.LengthMm("X");
                                     c.yMm = props.LengthMm("Y");
                                     c.rotation = props.Number("ROTATION");
                                     const auto side = props.Raw("LAYER");
                                     c.bottom = side && ContainsNoCase(*side, "BOTTOM");
                                     model.components.push_back(std::move(c));
                                 });
}

bool ReadPads(const CompoundFile& file, PcbDocBoardModel& model, std::string* reason) {
    static constexpr std::string_view kStream = "Pads6/Data";
    if (!file.Exists(kStream)) return true;  // a board without pads
    std::string storage;
    std::string_view data;
    if (!file.ReadStream(kStream, &storage, &data, reason)) return false;
    Cursor c(data);
    for (std::size_t record = 0; c.left() > 0; ++record) {
        const std::size_t begin = c.at();
        const uint8_t type = c.Read<uint8_t>();
        if (type != kRecordPad) {
            *reason = Where(kStream, record, begin) + ": not a pad record (type " +
                      std::to_string(type) + ")";
            return false;
        }
        std::string_view sub[6];
        for (auto& s : sub)
            if (!NextSubrecord(c, kStream, record, begin, &s, reason)) return false;
        PcbDocPad pad;
        if (!sub[0].empty()) {
            const std::size_t n = uint8_t(sub[0][0]);
            pad.name = Latin1ToUtf8(sub[0].substr(1, n));
        }
        const std::string_view s5 = sub[4];
        if (s5.size() < 63) {
            *reason = Where(kStream, record, begin) + ": pad record too short (" +
                      std::to_string(s5.size()) + " bytes)";
            return false;
        }
        pad.layer = Field<uint8_t>(s5, 0);
        pad.component = Field<uint16_t>(s5, 7);
        pad.x = Field<int32_t>(s5, 13);
        pad.y = Field<int32_t>(s5, 17);
        for (int k = 0; k < 3; ++k) {
            pad.sizeX[k] = Field<int32_t>(s5, 21 + 8 * k);
            pad.sizeY[k] = Field<int32_t>(s5, 25 + 8 * k);
            pad.shape[k] = PadShape(Field<uint8_t>(s5, 49 + k));
        }
        pad.hole = Field<int32_t>(s5, 45);
        pad.direction = Angle(s5, 52);
        pad.plated = Field<uint8_t>(s5, 60) != 0;
        pad.mode = Field<uint8_t>(s5, 62);
        // Size-and-shape: per inner layer sizes and shapes, then the hole's shape and slot,
        // offsets, and the alternative shapes and corner radii of the 32 layers.
        const std::string_view s6 = sub[5];
        if (s6.size() >= 596) {
            pad.hasSizeAndShape = true;
            pad.holeShape = HoleShape(Field<uint8_t>(s6, 262));
            pad.slotSize = Field<int32_t>(s6, 263);
            pad.slotRotation = Angle(s6, 267);
            pad.holeOffsetX = Field<int32_t>(s6, 275);
            pad.holeOffsetY = Field<int32_t>(s6, 275 + 128);
            const std::size_t alt = 532, radius = 564;
            const std::size_t index[3] = {0, 1, 31};
            for (int k = 0; k < 3; ++k) {
                pad.altShape[k] = Field<uint8_t>(s6, alt + index[k]);
                pad.cornerRadius[k] = Field<uint8_t>(s6, radius + index[k]);
            }
        }
        if (!layer::IsCopper(pad.layer)) {
            ++model.nonCopperPads;
            continue;
        }
        if (pad.component == kNoComponent) {
            ++model.freePads;
            continue;
        }
        model.pads.push_back(std::move(pad));
    }
    return true;
}

bool ReadWideStrings(const CompoundFile& file, std::unordered_map<uint32_t, std::string>& table) {
    std::string storage, reason;
    std::string_view data;
    if (!file.Exists("WideStrings6/Data") ||
        !file.ReadStream("WideStrings6/Data", &storage, &data, &reason))
        return false;
    Cursor c(data);
    while (c.left() >= 8) {
        const uint32_t index = c.Read<uint32_t>();
        const uint32_t length = c.Read<uint32_t>();
        if (length > c.left()) break;
        table[index] = Utf16LeToUtf8(c.Bytes(length));
    }
    return true;
}

bool ReadTexts(const CompoundFile& file, PcbDocBoardModel& model, std::string* reason) {
    static constexpr std::string_view kStream = "Texts6/Data";
    if (!file.Exists(kStream)) return true;
    std::string storage;
    std::string_view data;
    if (!file.ReadStream(kStream, &storage, &data, reason)) return false;
    std::unordered_map<uint32_t, std::string> wide;
    const bool haveWide = ReadWideStrings(file, wide);
    Cursor c(data);
    for (std::size_t record = 0; c.left() > 0; ++record) {
        const std::size_t begin = c.at();
        const uint8_t type = c.Read<uint8_t>();
        if (type != kRecordText) {
            *reason = Where(kStream, record, begin) + ": not a text record (type " +
                      std::to_string(type) + ")";
            return false;
        }
        std::string_view s1, s2;
        if (!NextSubrecord(c, kStream, record, begin, &s1, reason) ||
            !NextSubrecord(c, kStream, record, begin, &s2, reason))
            return false;
        PcbDocText t;
        t.component = s1.size() >= 9 ? Field<uint16_t>(s1, 7) : kNoComponent;
        t.isComment = Field<uint8_t>(s1, 40) != 0;
        t.isDesignator = Field<uint8_t>(s1, 41) != 0;
        if (t.component == kNoComponent || (!t.isComment && !t.isDesignator)) continue;
        t.layer = Field<uint8_t>(s1, 0);
        t.x = Field<int32_t>(s1, 13);
        t.y = Field<int32_t>(s1, 17);
        t.height = Field<int32_t>(s1, 21);
        t.rotation = Angle(s1, 27);
        t.strokeWidth = Field<int32_t>(s1, 36);
        t.bold = Field<uint8_t>(s1, 44) != 0;
        t.italic = Field<uint8_t>(s1, 45) != 0;
        if (s1.size() >= 110) t.fontName = Utf16LeToUtf8(s1.substr(46, 64));
        t.fontType = FontType(Field<uint8_t>(s1, 160));
        if (uint8_t(t.fontType) > 2) t.fontType = FontType::Stroke;
        const uint32_t stringIndex = Field<uint32_t>(s1, 115);
        const auto entry = haveWide && s1.size() >= 119 ? wide.find(stringIndex) : wide.end();
        if (entry != wide.end()) {
            t.text = entry->second;
        } else if (!s2.empty()) {
            t.text = Latin1ToUtf8(s2.substr(1, uint8_t(s2[0])));
        }
        model.texts.push_back(std::move(t));
    }
    return true;
}

bool IsOverlay(uint8_t l) {
    return l == layer::kTopOverlay || l == layer::kBottomOverlay;
}

bool ReadTracks(const CompoundFile& file, PcbDocBoardModel& model, std::string* reason) {
    static constexpr std::string_view kStream = "Tracks6/Data";
    if (!file.Exists(kStream)) return true;
    std::string storage;
    std::string_view data;
    if (!file.ReadStream(kStream, &storage, &data, reason)) return false;
    Cursor c(data);
    for (std::size_t record = 0; c.left() > 0; ++record) {
        const std::size_t begin = c.at();
        const uint8_t type = c.Read<uint8_t>();
        std::string_view s1;
        if (type != kRecordTrack) {
            *reason = Where(kStream, record, begin) + ": not a track record (type " +
                      std::to_string(type) + ")";
            return false;
        }
        if (!NextSubrecord(c, kStream, record, begin, &s1, reason)) return false;
        PcbDocLine l;
        l.layer = Field<uint8_t>(s1, 0);
        l.component = s1.size() >= 9 ? Field<uint16_t>(s1, 7) : kNoComponent;
        if (l.component == kNoComponent || !IsOverlay(l.layer)) continue;
        l.x1 = Field<int32_t>(s1, 13);
        l.y1 = Field<int32_t>(s1, 17);
        l.x2 = Field<int32_t>(s1, 21);
        l.y2 = Field<int32_t>(s1, 25);
        l.width = Field<int32_t>(s1, 29);
        model.lines.push_back(l);
    }
    return true;
}

bool ReadArcs(const CompoundFile& file, PcbDocBoardModel& model, std::string* reason) {
    static constexpr std::string_view kStream = "Arcs6/Data";
    if (!file.Exists(kStream)) return true;
    std::string storage;
    std::string_view data;
    if (!file.ReadStream(kStream, &storage, &data, reason)) return false;
    Cursor c(data);
    for (std::size_t record = 0; c.left() > 0; ++record) {
        const std::size_t begin = c.at();
        const uint8_t type = c.Read<uint8_t>();
        std::string_view s1;
        if (type != kRecordArc) {
            *reason = Where(kStream, record, begin) + ": not an arc record (type " +
                      std::to_string(type) + ")";
            return false;
        }
        if (!NextSubrecord(c, kStream, record, begin, &s1, reason)) return false;
        PcbDocArc a;
        a.layer = Field<uint8_t>(s1, 0);
        a.component = s1.size() >= 9 ? Field<uint16_t>(s1, 7) : kNoComponent;
        if (a.component == kNoComponent || !IsOverlay(a.layer)) continue;
        a.cx = Field<int32_t>(s1, 13);
        a.cy = Field<int32_t>(s1, 17);
        a.radius = Field<int32_t>(s1, 21);
        a.startAngle = Angle(s1, 25);
        a.endAngle = Angle(s1, 33);
        a.width = Field<int32_t>(s1, 41);
        model.arcs.push_back(a);
    }
    return true;
}

// Parameters: a record naming the component (`ID=Component#N`, or its unique id as
// PRIMITIVEID) and a COUNT, followed by COUNT records of NAME and VALUE.
bool ReadParameters(const CompoundFile& file, PcbDocBoardModel& model, std::string* reason) {
    static constexpr std::string_view kStream = "PrimitiveParameters/Data";
    model.parameters.assign(model.components.size(), {});
    if (!file.Exists(kStream)) return true;
    std::string storage;
    std::string_view data;
    if (!file.ReadStream(kStream, &storage, &data, reason)) return false;
    std::unordered_map<std::string, std::size_t> byUniqueId;
    for (std::size_t i = 0; i < model.components.size(); ++i)
        if (!model.components[i].uniqueId.empty())
            byUniqueId.emplace(model.components[i].uniqueId, i);
    long owner = -1;
    double pending = 0;
    return ForEachPropertyRecord(data, kStream, reason, [&](std::size_t, std::string_view text) {
        const PropertyList props(text);
        if (pending > 0 && props.Raw("NAME")) {
            --pending;
            if (owner >= 0) {
                const std::string name = props.Text("NAME");
                if (!name.empty())
                    model.parameters[std::size_t(owner)].push_back({name, props.Text("VALUE")});
            }
            return;
        }
        pending = props.Number("COUNT");
        owner = -1;
        const std::string id = props.Text("ID");
        if (id.rfind("Component#", 0) == 0) {
            const auto n = ParseNumber(std::string_view(id).substr(10));
            if (n && *n >= 0 && *n < double(model.components.size())) owner = long(*n);
        }
        if (owner < 0) {
            const auto it = byUniqueId.find(props.Text("PRIMITIVEID"));
            if (it != byUniqueId.end()) owner = long(it->second);
        }
    });
}

// The outline's vertices VX0/VY0, VX1/VY1... in one pass over the record (a hostile record may
// hold millions of entries), up to the first index missing either coordinate.
bool ReadBoardOutline(const CompoundFile& file, PcbDocBoardModel& model, std::string* reason) {
    static constexpr std::string_view kStream = "Board6/Data";
    static constexpr std::size_t kMaxVertices = 100000;
    if (!file.Exists(kStream)) return true;
    std::string storage;
    std::string_view data;
    if (!file.ReadStream(kStream, &storage, &data, reason)) return false;
    bool first = true;
    return ForEachPropertyRecord(data, kStream, reason, [&](std::size_t, std::string_view text) {
        if (!first) return;
        first = false;
        const PropertyList props(text);
        std::vector<std::array<double, 2>> vertices;
        std::vector<uint8_t> have;
        for (const auto& [key, value] : props.entries()) {
            if (key.size() < 3 || (key[0] != 'V' && key[0] != 'v')) continue;
            const int axis = key[1] == 'X' || key[1] == 'x'   ? 0
                             : key[1] == 'Y' || key[1] == 'y' ? 1
                                                              : -1;
            std::size_t index = 0;
            const auto [end, ec] = std::from_chars(key.data() + 2, key.data() + key.size(), index);
            if (axis < 0 || ec != std::errc() || end != key.data() + key.size() ||
                index >= kMaxVertices)
                continue;
            if (index >= vertices.size()) {
                vertices.resize(index + 1);
                have.resize(index + 1);
            }
            if (have[index] & (1 << axis)) continue;  // the first value counts
            have[index] |= uint8_t(1 << axis);
            vertices[index][std::size_t(axis)] = PropertyList::Length(value);
        }
        for (std::size_t i = 0; i < vertices.size() && have[i] == 3; ++i)
            model.boardOutline.push_back({vertices[i][0], vertices[i][1]});
    });
}

}  // namespace

bool IsPcbDocument(const CompoundFile& file, std::string* reason) {
    if (file.Exists("Components6/Data") || file.Exists("Pads6/Data") || file.Exists("Board6/Data"))
        return true;
    const std::string header = FileHeaderText(file);
    if (ContainsNoCase(header, "Schematic"))
        *reason = "a schematic document, not a PCB document (" + header + ")";
    else if (ContainsNoCase(header, "Library"))
        *reason = "a library document, not a PCB document (" + header + ")";
    else if (!header.empty())
        *reason = "not a PcbDoc PCB document (" + header + ")";
    else
        *reason =
            "an OLE compound file, but not a PcbDoc PCB document (no Board6, Components6 "
            "or Pads6 stream)";
    return false;
}

bool ReadPcbDocStreams(const CompoundFile& file, PcbDocBoardModel& model, std::string* reason) {
    model.fileHeader = FileHeaderText(file);
    if (!file.Exists("Components6/Data")) {
        // A board with no components still has the stream; without it nothing is a component.
        model.parameters.clear();
    } else if (!ReadComponents(file, model, reason)) {
        return false;
    }
    if (!ReadPads(file, model, reason)) return false;
    const std::size_t components = model.components.size();
    for (const PcbDocPad& pad : model.pads)
        if (pad.component >= components) {
            *reason = "Pads6/Data: pad \"" + pad.name + "\" belongs to component " +
                      std::to_string(pad.component) + ", but the board has " +
                      std::to_string(components) + " components";
            return false;
        }
    return ReadTexts(file, model, reason) && ReadTracks(file, model, reason) &&
           ReadArcs(file, model, reason) && ReadParameters(file, model, reason) &&
           ReadBoardOutline(file, model, reason);
}

}  // namespace boards::pcbdoc
