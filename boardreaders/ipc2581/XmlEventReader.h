// SPDX-License-Identifier: GPL-3.0-or-later
// A streaming XML reader for untrusted files: start and end events by local name, fed in chunks,
// no tree kept. Checks well-formedness, refuses document type declarations and entities other
// than XML's five, reads UTF-8 (or ASCII) only, and bounds nesting depth, name, attribute and tag
// sizes: memory follows those limits, never the file.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace boards::ipc2581 {

struct XmlLimits {
    int maxDepth = 64;
    size_t maxNameBytes = 256;
    size_t maxAttributeBytes = 64 * 1024;
    size_t maxAttributes = 64;
    // Skips one document type declaration before the root element that only names an external
    // DTD (`<!DOCTYPE eagle SYSTEM "eagle.dtd">`, as Eagle writes it): the DTD is never read and
    // an internal subset is still refused. Off: every document type declaration is refused.
    bool skipExternalDocumentType = false;
};

// The attributes of one start tag, looked up by local name. Valid during the StartElement call.
class XmlAttributes {
  public:
    struct Attribute {
        std::string_view name;  // as written, prefix included
        std::string_view localName;
        std::string_view value;  // references replaced, white space normalised
    };
    XmlAttributes(const Attribute* items, size_t count) : items_(items), count_(count) {}
    // The value, or an empty view (and false from Has) when the attribute is absent.
    std::string_view Get(std::string_view localName) const;
    bool Has(std::string_view localName) const;
    size_t Size() const { return count_; }
    const Attribute& operator[](size_t i) const { return items_[i]; }

  private:
    const Attribute* Find(std::string_view localName) const;
    const Attribute* items_;
    size_t count_;
};

class XmlEventHandler {
  public:
    virtual ~XmlEventHandler() = default;
    virtual void StartElement(std::string_view localName, const XmlAttributes& attributes) = 0;
    virtual void EndElement() = 0;
};

class XmlEventReader {
  public:
    XmlEventReader(XmlEventHandler& handler, XmlLimits limits = {});
    XmlEventReader(const XmlEventReader&) = delete;
    XmlEventReader& operator=(const XmlEventReader&) = delete;

    // Feeds the next chunk; `last` marks the end of the document. False once the document is
    // refused, with Error() and ErrorLine() set.
    bool Feed(const char* data, size_t size, bool last);
    // Reads in place: fill the buffer Buffer() returns (size at most `capacity`), then parse it.
    char* Buffer(size_t capacity);
    bool ParseBuffer(size_t size, bool last);
    // Stops reading from inside a handler callback; Feed then returns false with this reason.
    void Fail(std::string reason);

    // The line of the tag being reported (inside a callback), else of the end of what was read.
    int CurrentLine() const;
    const std::string& Error() const { return error_; }
    int ErrorLine() const { return errorLine_; }
    // The longest start tag carried from one chunk to the next.
    size_t MaxTagBytes() const { return maxTagBytes_; }
    // Bytes kept from the last chunk until the next: a tag cut in two, or the start of one.
    size_t CarriedBytes() const { return carried_; }

  private:
    enum class Mode { DocumentStart, Content, Comment, CData, Instruction };
    enum class Step { Done, NeedMore, Failed };

    // Parses [begin, end) and returns where the unread tail starts; the caller keeps the tail.
    const char* Parse(const char* begin, const char* end, bool last);
    Step ParseDocumentStart(const char*& p, const char* end, bool last);
    Step ParseXmlDeclaration(const char* p, const char* close);
    const char* ParseContent(const char* p, const char* end, bool last);
    Step SkipText(const char*& p, const char* end, bool last);
    Step SkipUntilClose(const char*& p, const char* end, bool last);
    Step ParseMarkup(const char*& p, const char* end);
    Step ParseStartTag(const char*& p, const char* end);
    Step ParseEndTag(const char*& p, const char* end);
    Step SkipDocumentType(const char*& p, const char* end);
    Step ParseValue(const char*& p, const char* end, char quote, bool keep);
    // Checks the reference at p ('&'); appends its text to `decoded` when given.
    Step ParseReference(const char*& p, const char* end, std::string* decoded);
    // The first byte from p on that is no valid character, or the start of a character cut at
    // the end of the chunk.
    const char* ValidCharactersEnd(const char* p, const char* end, bool last, bool& cut) const;

    // Moves p past a name; sets *localName to the part after its last colon.
    Step ScanName(const char*& p, const char* end, const char** localName = nullptr);
    Step Refuse(const char* at, std::string reason);
    Step RefuseAtLine(int line, std::string reason);
    Step Malformed(const char* at, const char* what) {
        return Refuse(at, std::string("malformed XML: ") + what);
    }
    void CountLinesTo(const char* at) const;
    void KeepTail(const char* from, const char* end);

    XmlEventHandler& handler_;
    XmlLimits limits_;
    size_t maxTagBytes_;

    Mode mode_ = Mode::DocumentStart;
    bool asciiOnly_ = false;
    bool sawRoot_ = false;
    bool sawDocumentType_ = false;
    int depth_ = 0;
    std::string openNames_;               // names of the open elements, back to back
    std::vector<uint32_t> openNameEnds_;  // end offset of each in openNames_
    std::vector<XmlAttributes::Attribute> attributes_;
    // Per attribute: where its value lies in decoded_, or npos when it is read as written.
    struct Decoded {
        size_t offset;
        size_t size;
    };
    std::vector<Decoded> decodedValues_;
    std::string decoded_;        // attribute values with references or line breaks, rewritten
    size_t attributeCount_ = 0;  // attributes of the tag being read, also those not kept

    std::vector<char> buffer_;  // the unread tail of the last chunk, then the next chunk
    size_t carried_ = 0;

    // Lines are counted lazily over the chunk being parsed, up to countedTo_.
    mutable const char* countedTo_ = nullptr;
    mutable int line_ = 1;
    mutable bool afterCarriageReturn_ = false;
    const char* tagStart_ = nullptr;
    int constructLine_ = 1;  // where the open comment, CDATA section or instruction began

    bool failed_ = false;
    std::string error_;
    int errorLine_ = 0;
};

// The local part of a possibly prefixed XML name.
std::string_view LocalName(std::string_view name);

}  // namespace boards::ipc2581
