// SPDX-License-Identifier: GPL-3.0-or-later
#include "XmlEventReader.h"

#include <algorithm>
#include <array>
#include <cstring>

namespace boards::ipc2581 {
namespace {

constexpr const char* kInvalidToken = "not well-formed (invalid token)";
constexpr size_t kNotDecoded = static_cast<size_t>(-1);

enum CharClass : uint8_t {
    kNameStart = 1,
    kNameChar = 2,
    kValueStop = 4,  // ends a run of plain attribute value
    kTextStop = 8,   // ends a run of plain character data
};

constexpr std::array<uint8_t, 256> MakeClasses() {
    std::array<uint8_t, 256> classes{};
    for (int c = 0; c < 256; ++c) {
        const bool letter = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
        const bool digit = c >= '0' && c <= '9';
        if (letter || c == '_' || c == ':') classes[c] |= kNameStart | kNameChar;
        if (digit || c == '-' || c == '.') classes[c] |= kNameChar;
        if (c == '"' || c == '\'' || c == '<' || c == '&' || c == '\t' || c == '\n' || c == '\r')
            classes[c] |= kValueStop;
        if (c == '<' || c == '&' || c == ']') classes[c] |= kTextStop;
    }
    return classes;
}

constexpr std::array<uint8_t, 256> kClasses = MakeClasses();

bool Is(char c, CharClass what) {
    return kClasses[static_cast<unsigned char>(c)] & what;
}

bool IsSpace(char c) {
    return c == ' ' || c == '\n' || c == '\t' || c == '\r';
}

bool IsXmlChar(uint32_t c) {
    return c == 0x9 || c == 0xA || c == 0xD || (c >= 0x20 && c <= 0xD7FF) ||
           (c >= 0xE000 && c <= 0xFFFD) || (c >= 0x10000 && c <= 0x10FFFF);
}

void AppendUtf8(std::string& out, uint32_t c) {
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

// Names of one tag compared byte by byte: they are short and mostly differ early, where a call
// to memcmp would cost more than the comparison (x1 and x2 on every Eagle wire).
bool SameName(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (a[i] != b[i]) return false;
    return true;
}

bool EqualsIgnoringCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return (x >= 'A' && x <= 'Z' ? x - 'A' + 'a' : x) ==
                      (y >= 'A' && y <= 'Z' ? y - 'A' + 'a' : y);
           });
}

// Line feeds in [p, end): sixteen byte counters over blocks of at most 255 rounds, a loop the
// compiler turns into vector compares (four times the speed of counting eight bytes at a time
// in a word).
int CountLineFeeds(const char* p, const char* end) {
    constexpr size_t kLanes = 16;
    int count = 0;
    while (end - p >= static_cast<ptrdiff_t>(kLanes)) {
        const size_t rounds = std::min<size_t>(static_cast<size_t>(end - p) / kLanes, 255);
        unsigned char lanes[kLanes] = {};
        for (size_t i = 0; i < rounds; ++i, p += kLanes)
            for (size_t k = 0; k < kLanes; ++k) lanes[k] += p[k] == '\n';
        for (const unsigned char lane : lanes) count += lane;
    }
    for (; p < end; ++p) count += *p == '\n';
    return count;
}

}  // namespace

std::string_view LocalName(std::string_view name) {
    const size_t colon = name.rfind(':');
    return colon == std::string_view::npos ? name : name.substr(colon + 1);
}

const XmlAttributes::Attribute* XmlAttributes::Find(std::string_view localName) const {
    // A name as written wins over a prefixed one with that local part.
    const Attribute* prefixed = nullptr;
    for (size_t i = 0; i < count_; ++i) {
        const Attribute& attribute = items_[i];
        if (attribute.name == localName) return &attribute;
        if (!prefixed && attribute.localName.size() != attribute.name.size() &&
            attribute.localName == localName)
            prefixed = &attribute;
    }
    return prefixed;
}

std::string_view XmlAttributes::Get(std::string_view localName) const {
    const Attribute* attribute = Find(localName);
    return attribute ? attribute->value : std::string_view();
}

bool XmlAttributes::Has(std::string_view localName) const {
    return Find(localName) != nullptr;
}

XmlEventReader::XmlEventReader(XmlEventHandler& handler, XmlLimits limits)
    : handler_(handler),
      limits_(limits),
      // Room for every attribute at its largest, references written out at up to four times
      // the bytes they stand for, and white space around them.
      maxTagBytes_((limits.maxAttributes + 1) *
                       (limits.maxNameBytes + 4 * limits.maxAttributeBytes) +
                   64 * 1024) {
    openNameEnds_.reserve(static_cast<size_t>(std::max(0, limits.maxDepth)) + 1);
    attributes_.reserve(limits.maxAttributes + 1);
    decodedValues_.reserve(limits.maxAttributes + 1);
}

int XmlEventReader::CurrentLine() const {
    if (tagStart_) CountLinesTo(tagStart_);
    return line_;
}

void XmlEventReader::CountLinesTo(const char* at) const {
    if (!countedTo_ || at <= countedTo_) return;
    const char* from = countedTo_;
    const size_t size = static_cast<size_t>(at - from);
    if (!std::memchr(from, '\r', size)) {
        int lines = CountLineFeeds(from, at);
        // A line feed right after a carriage return ending the last span ends the same line.
        if (afterCarriageReturn_ && *from == '\n') --lines;
        line_ += lines;
        afterCarriageReturn_ = false;
    } else {
        for (const char* p = from; p < at; ++p) {
            if (*p == '\r') {
                ++line_;
                afterCarriageReturn_ = true;
            } else {
                if (*p == '\n' && !afterCarriageReturn_) ++line_;
                afterCarriageReturn_ = false;
            }
        }
    }
    countedTo_ = at;
}

void XmlEventReader::Fail(std::string reason) {
    if (failed_) return;
    failed_ = true;
    error_ = std::move(reason);
    errorLine_ = std::max(1, CurrentLine());
}

XmlEventReader::Step XmlEventReader::Refuse(const char* at, std::string reason) {
    if (failed_) return Step::Failed;
    CountLinesTo(at);
    return RefuseAtLine(line_, std::move(reason));
}

XmlEventReader::Step XmlEventReader::RefuseAtLine(int line, std::string reason) {
    if (failed_) return Step::Failed;
    failed_ = true;
    error_ = std::move(reason);
    errorLine_ = std::max(1, line);
    return Step::Failed;
}

bool XmlEventReader::Feed(const char* data, size_t size, bool last) {
    if (failed_) return false;
    if (carried_ == 0) {
        const char* end = data + size;
        const char* stop = Parse(data, end, last);
        if (failed_) return false;
        KeepTail(stop, end);
        return true;
    }
    char* into = Buffer(size);
    if (!into) return false;
    if (size > 0) std::memcpy(into, data, size);
    return ParseBuffer(size, last);
}

char* XmlEventReader::Buffer(size_t capacity) {
    if (failed_) return nullptr;
    const size_t size = std::max<size_t>(1, carried_ + capacity);
    if (buffer_.size() < size) buffer_.resize(size);
    return buffer_.data() + carried_;
}

bool XmlEventReader::ParseBuffer(size_t size, bool last) {
    if (failed_) return false;
    const char* begin = buffer_.data();
    const char* end = begin + carried_ + size;
    const char* stop = Parse(begin, end, last);
    if (failed_) return false;
    const size_t tail = static_cast<size_t>(end - stop);
    if (tail > 0) std::memmove(buffer_.data(), stop, tail);
    carried_ = tail;
    return true;
}

void XmlEventReader::KeepTail(const char* from, const char* end) {
    const size_t tail = static_cast<size_t>(end - from);
    if (buffer_.size() < tail) buffer_.resize(tail);
    if (tail > 0) std::memcpy(buffer_.data(), from, tail);
    carried_ = tail;
}

const char* XmlEventReader::Parse(const char* begin, const char* end, bool last) {
    countedTo_ = begin;
    tagStart_ = nullptr;
    const char* stop = begin;  // nothing read until the document's start is
    const char* p = begin;
    if (mode_ != Mode::DocumentStart || ParseDocumentStart(p, end, last) == Step::Done) {
        bool cut = false;
        const char* valid = ValidCharactersEnd(p, end, last, cut);
        stop = ParseContent(p, valid, last && valid == end);
        if (!failed_ && valid != end && !cut) Malformed(valid, kInvalidToken);
        if (!failed_ && last && (!sawRoot_ || depth_ > 0)) Malformed(end, "no element found");
    }
    if (!failed_) {
        CountLinesTo(stop);
        if (static_cast<size_t>(end - stop) > maxTagBytes_)
            Refuse(stop, "tag longer than " + std::to_string(maxTagBytes_) + " bytes");
    }
    countedTo_ = nullptr;
    tagStart_ = nullptr;
    return failed_ ? end : stop;
}

XmlEventReader::Step XmlEventReader::ParseDocumentStart(const char*& p, const char* end,
                                                        bool last) {
    const char* q = p;
    const std::string_view head(q, static_cast<size_t>(end - q));
    constexpr std::string_view kBom = "\xEF\xBB\xBF";
    constexpr std::string_view kDeclaration = "<?xml";
    // A byte-order mark and "<?xml " decide how the document starts.
    if (!last && head.size() < kBom.size() + kDeclaration.size() + 1) return Step::NeedMore;
    if (head.substr(0, 3) == kBom) q += 3;
    if (head.size() >= 2 && (head.substr(0, 2) == "\xFE\xFF" || head.substr(0, 2) == "\xFF\xFE" ||
                             head.substr(0, 2) == std::string_view("\0<", 2) ||
                             head.substr(0, 2) == std::string_view("<\0", 2)))
        return Refuse(q, "UTF-16 files are not supported (only UTF-8)");
    const std::string_view rest(q, static_cast<size_t>(end - q));
    if (rest.size() > kDeclaration.size() && rest.substr(0, kDeclaration.size()) == kDeclaration &&
        !Is(rest[kDeclaration.size()], kNameChar)) {
        const size_t close = rest.find("?>", kDeclaration.size());
        if (close == std::string_view::npos) {
            if (!last) return Step::NeedMore;
            return Malformed(q, "unclosed token");
        }
        if (ParseXmlDeclaration(q, q + close) != Step::Done) return Step::Failed;
        q += close + 2;
    }
    mode_ = Mode::Content;
    p = q;
    return Step::Done;
}

XmlEventReader::Step XmlEventReader::ParseXmlDeclaration(const char* p, const char* close) {
    const char* q = p + 5;
    const char* bad = nullptr;
    // A pseudo-attribute ` name="value"`: false when absent; sets `bad` when malformed.
    auto pseudoAttribute = [&](std::string_view name, std::string_view& value) {
        const char* start = q;
        while (q < close && IsSpace(*q)) ++q;
        if (q == start || static_cast<size_t>(close - q) < name.size() ||
            std::string_view(q, name.size()) != name) {
            q = start;
            return false;
        }
        q += name.size();
        while (q < close && IsSpace(*q)) ++q;
        if (q == close || *q != '=') return bad = q, false;
        ++q;
        while (q < close && IsSpace(*q)) ++q;
        if (q == close || (*q != '"' && *q != '\'')) return bad = q, false;
        const char quote = *q++;
        const char* valueEnd = std::find(q, close, quote);
        if (valueEnd == close) return bad = q, false;
        value = std::string_view(q, static_cast<size_t>(valueEnd - q));
        q = valueEnd + 1;
        return true;
    };
    std::string_view version, encoding, standalone;
    // expat takes an empty version; so does this reader.
    if (!pseudoAttribute("version", version) ||
        !std::all_of(version.begin(), version.end(),
                     [](char c) { return Is(c, kNameChar) && c != ':'; }))
        return Malformed(bad ? bad : p, "XML declaration not well-formed");
    if (pseudoAttribute("encoding", encoding)) {
        const bool wellFormed = !encoding.empty() &&
                                ((encoding[0] >= 'a' && encoding[0] <= 'z') ||
                                 (encoding[0] >= 'A' && encoding[0] <= 'Z')) &&
                                std::all_of(encoding.begin(), encoding.end(),
                                            [](char c) { return Is(c, kNameChar) && c != ':'; });
        if (!wellFormed) return Malformed(p, "XML declaration not well-formed");
        if (EqualsIgnoringCase(encoding, "US-ASCII")) {
            asciiOnly_ = true;
        } else if (!EqualsIgnoringCase(encoding, "UTF-8")) {
            return Refuse(p, "encoding \"" + std::string(encoding.substr(0, 40)) +
                                 "\" is not supported (only UTF-8 and US-ASCII)");
        }
    }
    if (bad) return Malformed(bad, "XML declaration not well-formed");
    if (pseudoAttribute("standalone", standalone) && standalone != "yes" && standalone != "no")
        return Malformed(p, "XML declaration not well-formed");
    while (q < close && IsSpace(*q)) ++q;
    if (bad || q != close) return Malformed(bad ? bad : q, "XML declaration not well-formed");
    return Step::Done;
}

const char* XmlEventReader::ValidCharactersEnd(const char* p, const char* end, bool last,
                                               bool& cut) const {
    cut = false;
    const auto* q = reinterpret_cast<const unsigned char*>(p);
    const auto* e = reinterpret_cast<const unsigned char*>(end);
    while (q < e) {
        // Eight bytes at a time while all are printable ASCII: a byte below 0x20 borrows into
        // its high bit, one above 0x7F has it set.
        while (e - q >= 8) {
            uint64_t word;
            std::memcpy(&word, q, 8);
            if (((word - 0x2020202020202020ULL) | word) & 0x8080808080808080ULL) break;
            q += 8;
        }
        if (q == e) break;
        const unsigned char c = *q;
        if (c < 0x80) {
            if (c < 0x20 && c != '\t' && c != '\n' && c != '\r')
                return reinterpret_cast<const char*>(q);
            ++q;
            continue;
        }
        int length = 0;
        uint32_t code = 0;
        if (asciiOnly_) return reinterpret_cast<const char*>(q);
        if (c >= 0xC2 && c <= 0xDF) {
            length = 2;
            code = c & 0x1F;
        } else if (c >= 0xE0 && c <= 0xEF) {
            length = 3;
            code = c & 0x0F;
        } else if (c >= 0xF0 && c <= 0xF4) {
            length = 4;
            code = c & 0x07;
        } else {
            return reinterpret_cast<const char*>(q);
        }
        if (e - q < length) {
            cut = !last;
            return reinterpret_cast<const char*>(q);
        }
        for (int i = 1; i < length; ++i) {
            if ((q[i] & 0xC0) != 0x80) return reinterpret_cast<const char*>(q);
            code = (code << 6) | (q[i] & 0x3F);
        }
        if ((length == 3 && code < 0x800) || (length == 4 && code < 0x10000) || !IsXmlChar(code))
            return reinterpret_cast<const char*>(q);
        q += length;
    }
    return end;
}

const char* XmlEventReader::ParseContent(const char* p, const char* end, bool last) {
    // At the end of the document an open comment, section or instruction is refused even when
    // the last chunk is empty.
    while (p < end || (last && mode_ != Mode::Content)) {
        Step step;
        if (mode_ != Mode::Content)
            step = SkipUntilClose(p, end, last);
        else if (*p == '<')
            step = ParseMarkup(p, end);
        else
            step = SkipText(p, end, last);
        if (step == Step::Failed) return end;
        if (step == Step::NeedMore) {
            if (last) Malformed(p, "unclosed token");
            return p;
        }
    }
    return p;
}

XmlEventReader::Step XmlEventReader::SkipText(const char*& p, const char* end, bool last) {
    if (depth_ == 0) {
        while (p < end && IsSpace(*p)) ++p;
        if (p < end && *p != '<')
            return Malformed(p, sawRoot_ ? "junk after document element" : kInvalidToken);
        return Step::Done;
    }
    const char* q = p;
    for (;;) {
        while (q < end && !Is(*q, kTextStop)) ++q;
        if (q == end || *q == '<') break;
        if (*q == '&') {
            const char* reference = q;
            const Step step = ParseReference(q, end, nullptr);
            if (step == Step::NeedMore) {
                p = reference;
                return Step::NeedMore;
            }
            if (step == Step::Failed) return step;
            continue;
        }
        // ']': "]]>" may not appear in character data.
        if (end - q < 3) {
            if (last) {
                ++q;
                continue;
            }
            p = q;
            return Step::NeedMore;
        }
        if (q[1] == ']' && q[2] == '>') return Malformed(q, kInvalidToken);
        ++q;
    }
    p = q;
    return Step::Done;
}

XmlEventReader::Step XmlEventReader::SkipUntilClose(const char*& p, const char* end, bool last) {
    // The closing sequence; in a comment "--" may only stand before its '>'.
    const bool comment = mode_ == Mode::Comment;
    const std::string_view close = comment                ? std::string_view("-->")
                                   : mode_ == Mode::CData ? std::string_view("]]>")
                                                          : std::string_view("?>");
    for (;;) {
        const auto* found =
            p == end
                ? nullptr
                : static_cast<const char*>(std::memchr(p, close[0], static_cast<size_t>(end - p)));
        if (!found) {
            p = end;
            break;
        }
        const size_t have = static_cast<size_t>(end - found);
        if (have < 2) {
            p = found;
            break;
        }
        if (found[1] != close[1]) {
            p = found + 1;
            continue;
        }
        if (close.size() == 3) {
            if (have < 3) {
                p = found;
                break;
            }
            if (found[2] != '>') {
                if (comment) return Malformed(found, kInvalidToken);
                p = found + 1;
                continue;
            }
        }
        p = found + close.size();
        mode_ = Mode::Content;
        return Step::Done;
    }
    if (!last) return p == end ? Step::Done : Step::NeedMore;
    return RefuseAtLine(constructLine_, mode_ == Mode::CData
                                            ? "malformed XML: unclosed CDATA section"
                                            : "malformed XML: unclosed token");
}

XmlEventReader::Step XmlEventReader::SkipDocumentType(const char*& p, const char* end) {
    // <!DOCTYPE name (SYSTEM "literal" | PUBLIC "literal" "literal")?>: quoted literals may
    // hold '>'; '[' outside them opens an internal subset, which could declare entities.
    const char* q = p + 9;
    if (q == end) return Step::NeedMore;
    if (!IsSpace(*q)) return Malformed(q, kInvalidToken);
    char quote = 0;
    for (; q < end; ++q) {
        if (quote) {
            if (*q == quote) quote = 0;
        } else if (*q == '"' || *q == '\'') {
            quote = *q;
        } else if (*q == '[') {
            return Refuse(q, "document type declarations with an internal subset are not allowed");
        } else if (*q == '<') {
            return Malformed(q, kInvalidToken);
        } else if (*q == '>') {
            sawDocumentType_ = true;
            p = q + 1;
            return Step::Done;
        }
    }
    return Step::NeedMore;
}

XmlEventReader::Step XmlEventReader::ParseMarkup(const char*& p, const char* end) {
    if (end - p < 2) return Step::NeedMore;
    const char kind = p[1];
    if (kind == '/') return ParseEndTag(p, end);
    if (kind == '!') {
        const std::string_view have(p, std::min<size_t>(static_cast<size_t>(end - p), 9));
        constexpr std::string_view kComment = "<!--", kCData = "<![CDATA[", kDoctype = "<!DOCTYPE";
        if (have.substr(0, kComment.size()) == kComment) {
            CountLinesTo(p);
            constructLine_ = line_;
            mode_ = Mode::Comment;
            p += kComment.size();
            return Step::Done;
        }
        if (have == kCData) {
            if (depth_ == 0)
                return Malformed(p, sawRoot_ ? "junk after document element" : "syntax error");
            CountLinesTo(p);
            constructLine_ = line_;
            mode_ = Mode::CData;
            p += kCData.size();
            return Step::Done;
        }
        if (have == kDoctype) {
            if (limits_.skipExternalDocumentType && !sawRoot_ && !sawDocumentType_)
                return SkipDocumentType(p, end);
            return Refuse(p, "document type declarations are not allowed");
        }
        for (const std::string_view keyword : {kComment, kCData, kDoctype})
            if (have.size() < keyword.size() && keyword.substr(0, have.size()) == have)
                return Step::NeedMore;
        return Malformed(p, kInvalidToken);
    }
    if (kind == '?') {
        const char* q = p + 2;
        const Step step = ScanName(q, end);
        if (step != Step::Done) return step;
        const std::string_view target(p + 2, static_cast<size_t>(q - p - 2));
        if (EqualsIgnoringCase(target, "xml"))
            return Malformed(p, target == "xml" ? "XML or text declaration not at start of entity"
                                                : kInvalidToken);
        if (IsSpace(*q)) {
            CountLinesTo(p);
            constructLine_ = line_;
            mode_ = Mode::Instruction;
            p = q + 1;
            return Step::Done;
        }
        if (*q != '?') return Malformed(q, kInvalidToken);
        if (end - q < 2) return Step::NeedMore;
        if (q[1] != '>') return Malformed(q, kInvalidToken);
        p = q + 2;
        return Step::Done;
    }
    if (depth_ == 0 && sawRoot_) return Malformed(p, "junk after document element");
    return ParseStartTag(p, end);
}

XmlEventReader::Step XmlEventReader::ScanName(const char*& p, const char* end,
                                              const char** localName) {
    if (p == end) return Step::NeedMore;
    if (!Is(*p, kNameStart)) {
        if (static_cast<unsigned char>(*p) >= 0x80)
            return Refuse(p, "names with non-ASCII characters are not supported");
        return Malformed(p, kInvalidToken);
    }
    const char* local = p;
    for (; p < end && Is(*p, kNameChar); ++p)
        if (*p == ':') local = p + 1;
    if (p == end) return Step::NeedMore;
    if (static_cast<unsigned char>(*p) >= 0x80)
        return Refuse(p, "names with non-ASCII characters are not supported");
    if (localName) *localName = local;
    return Step::Done;
}

XmlEventReader::Step XmlEventReader::ParseStartTag(const char*& p, const char* end) {
    const char* q = p + 1;
    const char* local = nullptr;
    Step step = ScanName(q, end, &local);
    if (step != Step::Done) return step;
    const std::string_view name(p + 1, static_cast<size_t>(q - p - 1));
    const std::string_view localName(local, static_cast<size_t>(q - local));
    attributes_.clear();
    decodedValues_.clear();
    decoded_.clear();
    attributeCount_ = 0;
    bool selfClosing = false;
    for (;;) {
        const char* spaceStart = q;
        while (q < end && IsSpace(*q)) ++q;
        if (q == end) return Step::NeedMore;
        if (*q == '>') {
            ++q;
            break;
        }
        if (*q == '/') {
            if (end - q < 2) return Step::NeedMore;
            if (q[1] != '>') return Malformed(q, kInvalidToken);
            q += 2;
            selfClosing = true;
            break;
        }
        if (q == spaceStart) return Malformed(q, kInvalidToken);
        const char* attributeName = q;
        step = ScanName(q, end, &local);
        if (step != Step::Done) return step;
        const std::string_view qualified(attributeName, static_cast<size_t>(q - attributeName));
        const std::string_view attributeLocalName(local, static_cast<size_t>(q - local));
        while (q < end && IsSpace(*q)) ++q;
        if (q == end) return Step::NeedMore;
        if (*q != '=') return Malformed(q, kInvalidToken);
        ++q;
        while (q < end && IsSpace(*q)) ++q;
        if (q == end) return Step::NeedMore;
        if (*q != '"' && *q != '\'') return Malformed(q, kInvalidToken);
        const char quote = *q++;
        // Past the limit the tag is refused anyway: further attributes are only checked.
        const bool keep = attributeCount_++ <= limits_.maxAttributes;
        if (keep) attributes_.push_back({qualified, attributeLocalName, {}});
        const char* valueStart = q;
        step = ParseValue(q, end, quote, keep);
        if (step != Step::Done) return step;
        if (!keep) continue;
        for (size_t i = 0; i + 1 < attributes_.size(); ++i)
            if (SameName(attributes_[i].name, qualified))
                return Malformed(attributeName, "duplicate attribute");
        if (decodedValues_.back().offset == kNotDecoded)
            attributes_.back().value =
                std::string_view(valueStart, static_cast<size_t>(q - 1 - valueStart));
    }

    tagStart_ = p;
    if (++depth_ > limits_.maxDepth)
        return Refuse(p, "elements nested deeper than " + std::to_string(limits_.maxDepth));
    if (name.size() > limits_.maxNameBytes)
        return Refuse(
            p, "element name longer than " + std::to_string(limits_.maxNameBytes) + " bytes");
    for (size_t i = 0; i < attributes_.size(); ++i) {
        if (i + 1 > limits_.maxAttributes)
            return Refuse(p, "more than " + std::to_string(limits_.maxAttributes) +
                                 " attributes on one element");
        XmlAttributes::Attribute& attribute = attributes_[i];
        if (attribute.name.size() > limits_.maxNameBytes)
            return Refuse(
                p, "attribute name longer than " + std::to_string(limits_.maxNameBytes) + " bytes");
        const Decoded& decoded = decodedValues_[i];
        if (decoded.offset != kNotDecoded)
            attribute.value = std::string_view(decoded_.data() + decoded.offset, decoded.size);
        if (attribute.value.size() > limits_.maxAttributeBytes)
            return Refuse(p, "attribute " + std::string(attribute.localName) + " longer than " +
                                 std::to_string(limits_.maxAttributeBytes) + " bytes");
    }
    if (!selfClosing) {
        openNames_.append(name);
        openNameEnds_.push_back(static_cast<uint32_t>(openNames_.size()));
    }
    sawRoot_ = true;
    handler_.StartElement(localName, XmlAttributes(attributes_.data(), attributes_.size()));
    if (failed_) return Step::Failed;
    if (selfClosing) {
        --depth_;
        handler_.EndElement();
        if (failed_) return Step::Failed;
    }
    p = q;
    return Step::Done;
}

XmlEventReader::Step XmlEventReader::ParseValue(const char*& p, const char* end, char quote,
                                                bool keep) {
    const char* q = p;
    bool plain = true;
    for (;;) {
        while (q < end && !Is(*q, kValueStop)) ++q;
        if (q == end) return Step::NeedMore;
        if (*q == quote) break;
        if (*q == '<') return Malformed(q, kInvalidToken);
        if (*q != '"' && *q != '\'') plain = false;
        ++q;
    }
    const char* valueStart = p;
    const char* valueEnd = q;
    p = valueEnd + 1;
    if (plain) {
        if (keep) decodedValues_.push_back({kNotDecoded, 0});
        return Step::Done;
    }
    // References replaced, each tab and line break (CR LF counting as one) made a space.
    std::string* out = keep ? &decoded_ : nullptr;
    const size_t offset = decoded_.size();
    for (const char* r = valueStart; r < valueEnd;) {
        const char c = *r;
        if (c == '&') {
            const Step step = ParseReference(r, valueEnd, out);
            if (step == Step::NeedMore) return Malformed(r, kInvalidToken);
            if (step == Step::Failed) return step;
            continue;
        }
        if (c == '\t' || c == '\n' || c == '\r') {
            if (out) *out += ' ';
            ++r;
            if (c == '\r' && r < valueEnd && *r == '\n') ++r;
            continue;
        }
        const char* run = r;
        while (r < valueEnd && *r != '&' && *r != '\t' && *r != '\n' && *r != '\r') ++r;
        if (out) out->append(run, r);
    }
    if (keep) decodedValues_.push_back({offset, decoded_.size() - offset});
    return Step::Done;
}

XmlEventReader::Step XmlEventReader::ParseReference(const char*& p, const char* end,
                                                    std::string* decoded) {
    const char* q = p + 1;
    if (q == end) return Step::NeedMore;
    if (*q == '#') {
        ++q;
        if (q == end) return Step::NeedMore;
        const bool hex = *q == 'x';
        if (hex) ++q;
        const char* digits = q;
        uint32_t code = 0;
        for (; q < end && *q != ';'; ++q) {
            const char c = *q;
            int digit = -1;
            if (c >= '0' && c <= '9')
                digit = c - '0';
            else if (hex && c >= 'a' && c <= 'f')
                digit = c - 'a' + 10;
            else if (hex && c >= 'A' && c <= 'F')
                digit = c - 'A' + 10;
            if (digit < 0) return Malformed(q, kInvalidToken);
            if (code <= 0x10FFFF) code = code * (hex ? 16 : 10) + static_cast<uint32_t>(digit);
        }
        if (q == end) return Step::NeedMore;
        if (q == digits) return Malformed(q, kInvalidToken);
        if (!IsXmlChar(code)) return Malformed(p, "reference to invalid character number");
        if (decoded) AppendUtf8(*decoded, code);
        p = q + 1;
        return Step::Done;
    }
    if (!Is(*q, kNameStart) && static_cast<unsigned char>(*q) < 0x80)
        return Malformed(q, kInvalidToken);
    const char* name = q;
    while (q < end && (Is(*q, kNameChar) || static_cast<unsigned char>(*q) >= 0x80)) ++q;
    if (q == end) return Step::NeedMore;
    if (*q != ';') return Malformed(q, kInvalidToken);
    const std::string_view entity(name, static_cast<size_t>(q - name));
    char replacement = 0;
    if (entity == "lt")
        replacement = '<';
    else if (entity == "gt")
        replacement = '>';
    else if (entity == "amp")
        replacement = '&';
    else if (entity == "quot")
        replacement = '"';
    else if (entity == "apos")
        replacement = '\'';
    else
        return Refuse(p, "entity references are not allowed");
    if (decoded) *decoded += replacement;
    p = q + 1;
    return Step::Done;
}

XmlEventReader::Step XmlEventReader::ParseEndTag(const char*& p, const char* end) {
    const char* q = p + 2;
    const Step step = ScanName(q, end);
    if (step != Step::Done) return step;
    const std::string_view name(p + 2, static_cast<size_t>(q - p - 2));
    while (q < end && IsSpace(*q)) ++q;
    if (q == end) return Step::NeedMore;
    if (*q != '>') return Malformed(q, kInvalidToken);
    if (depth_ == 0) return Malformed(p, sawRoot_ ? "junk after document element" : "syntax error");
    const size_t openEnd = openNameEnds_.back();
    const size_t openStart = openNameEnds_.size() > 1 ? openNameEnds_[openNameEnds_.size() - 2] : 0;
    if (name != std::string_view(openNames_).substr(openStart, openEnd - openStart))
        return Malformed(p, "mismatched tag");
    openNames_.resize(openStart);
    openNameEnds_.pop_back();
    --depth_;
    tagStart_ = p;
    handler_.EndElement();
    if (failed_) return Step::Failed;
    p = q + 1;
    return Step::Done;
}

}  // namespace boards::ipc2581
