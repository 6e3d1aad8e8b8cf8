// SPDX-License-Identifier: GPL-3.0-or-later
// A streaming XML reader for untrusted files: start and end events by local name, fed in chunks,
// no tree kept. Refuses document type declarations and entities, and bounds nesting depth, name
// and attribute sizes.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

struct XML_ParserStruct;

namespace pcbhost::ipc2581 {

struct XmlLimits {
    int maxDepth = 64;
    size_t maxNameBytes = 256;
    size_t maxAttributeBytes = 64 * 1024;
    size_t maxAttributes = 64;
};

// The attributes of one start tag, looked up by local name.
class XmlAttributes {
  public:
    explicit XmlAttributes(const char** pairs) : pairs_(pairs) {}
    // The value, or an empty view (and false from Has) when the attribute is absent.
    std::string_view Get(std::string_view localName) const;
    bool Has(std::string_view localName) const;

  private:
    const char* Find(std::string_view localName) const;
    const char** pairs_;
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
    ~XmlEventReader();
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

    int CurrentLine() const;
    const std::string& Error() const { return error_; }
    int ErrorLine() const { return errorLine_; }

  private:
    void RecordParserError();
    static void OnStart(void* self, const char* name, const char** attributes);
    static void OnEnd(void* self, const char* name);
    static void OnDoctype(void* self, const char*, const char*, const char*, int);
    static void OnEntity(void* self, const char*, int, const char*, int, const char*, const char*,
                         const char*, const char*);
    static void OnSkippedEntity(void* self, const char* name, int);

    XmlEventHandler& handler_;
    XmlLimits limits_;
    XML_ParserStruct* parser_;
    int depth_ = 0;
    bool failed_ = false;
    std::string error_;
    int errorLine_ = 0;
};

// The local part of a possibly prefixed XML name.
std::string_view LocalName(std::string_view name);

}  // namespace pcbhost::ipc2581
