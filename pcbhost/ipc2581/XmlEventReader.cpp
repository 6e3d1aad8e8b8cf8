// SPDX-License-Identifier: GPL-3.0-or-later
#include "XmlEventReader.h"

#include <expat.h>

#include <algorithm>
#include <climits>
#include <cstring>

namespace pcbhost::ipc2581 {

std::string_view LocalName(std::string_view name) {
    const size_t colon = name.rfind(':');
    return colon == std::string_view::npos ? name : name.substr(colon + 1);
}

const char* XmlAttributes::Find(std::string_view localName) const {
    // Attribute names are rarely prefixed: try them as they stand first.
    for (const char** p = pairs_; *p; p += 2)
        if (std::strncmp(p[0], localName.data(), localName.size()) == 0 &&
            p[0][localName.size()] == '\0')
            return p[1];
    for (const char** p = pairs_; *p; p += 2)
        if (std::strchr(p[0], ':') && LocalName(p[0]) == localName) return p[1];
    return nullptr;
}

std::string_view XmlAttributes::Get(std::string_view localName) const {
    const char* value = Find(localName);
    return value ? std::string_view(value) : std::string_view();
}

bool XmlAttributes::Has(std::string_view localName) const {
    return Find(localName) != nullptr;
}

XmlEventReader::XmlEventReader(XmlEventHandler& handler, XmlLimits limits)
    : handler_(handler), limits_(limits), parser_(XML_ParserCreate(nullptr)) {
    if (!parser_) return;
    XML_SetUserData(parser_, this);
    XML_SetElementHandler(parser_, &XmlEventReader::OnStart, &XmlEventReader::OnEnd);
    XML_SetStartDoctypeDeclHandler(parser_, &XmlEventReader::OnDoctype);
    XML_SetEntityDeclHandler(parser_, &XmlEventReader::OnEntity);
    XML_SetSkippedEntityHandler(parser_, &XmlEventReader::OnSkippedEntity);
    XML_SetParamEntityParsing(parser_, XML_PARAM_ENTITY_PARSING_NEVER);
}

XmlEventReader::~XmlEventReader() {
    if (parser_) XML_ParserFree(parser_);
}

int XmlEventReader::CurrentLine() const {
    if (!parser_) return 0;
    const auto line = XML_GetCurrentLineNumber(parser_);
    return line > static_cast<XML_Size>(INT_MAX) ? INT_MAX : static_cast<int>(line);
}

void XmlEventReader::Fail(std::string reason) {
    if (failed_) return;
    failed_ = true;
    error_ = std::move(reason);
    errorLine_ = std::max(1, CurrentLine());
    XML_StopParser(parser_, XML_FALSE);
}

bool XmlEventReader::Feed(const char* data, size_t size, bool last) {
    if (!parser_) {
        failed_ = true;
        error_ = "out of memory";
        errorLine_ = 1;
        return false;
    }
    if (failed_) return false;
    // Expat takes int lengths: feed large chunks in pieces.
    constexpr size_t kPiece = size_t(1) << 30;
    do {
        const size_t piece = std::min(size, kPiece);
        const bool final = last && piece == size;
        if (XML_Parse(parser_, data, static_cast<int>(piece), final) != XML_STATUS_OK) {
            if (!failed_) {
                failed_ = true;
                error_ =
                    std::string("malformed XML: ") + XML_ErrorString(XML_GetErrorCode(parser_));
                errorLine_ = std::max(1, CurrentLine());
            }
            return false;
        }
        data += piece;
        size -= piece;
    } while (size > 0);
    return true;
}

char* XmlEventReader::Buffer(size_t capacity) {
    if (!parser_ || failed_ || capacity > size_t(INT_MAX)) return nullptr;
    return static_cast<char*>(XML_GetBuffer(parser_, static_cast<int>(capacity)));
}

bool XmlEventReader::ParseBuffer(size_t size, bool last) {
    if (failed_) return false;
    if (XML_ParseBuffer(parser_, static_cast<int>(size), last) != XML_STATUS_OK) {
        RecordParserError();
        return false;
    }
    return true;
}

void XmlEventReader::RecordParserError() {
    if (failed_) return;
    failed_ = true;
    const XML_Error code = XML_GetErrorCode(parser_);
    error_ = code == XML_ERROR_UNDEFINED_ENTITY ? "entity references are not allowed"
             : code == XML_ERROR_NO_MEMORY      ? "out of memory"
                                           : std::string("malformed XML: ") + XML_ErrorString(code);
    errorLine_ = std::max(1, CurrentLine());
}

void XmlEventReader::OnStart(void* self, const char* name, const char** attributes) {
    auto& reader = *static_cast<XmlEventReader*>(self);
    if (reader.failed_) return;
    if (++reader.depth_ > reader.limits_.maxDepth) {
        reader.Fail("elements nested deeper than " + std::to_string(reader.limits_.maxDepth));
        return;
    }
    // The whole start tag bounds its name and every attribute: only a long tag needs a closer look.
    const auto tagBytes = static_cast<size_t>(std::max(0, XML_GetCurrentByteCount(reader.parser_)));
    if (tagBytes > reader.limits_.maxNameBytes && std::strlen(name) > reader.limits_.maxNameBytes) {
        reader.Fail("element name longer than " + std::to_string(reader.limits_.maxNameBytes) +
                    " bytes");
        return;
    }
    size_t count = 0;
    for (const char** p = attributes; *p; p += 2) {
        if (++count > reader.limits_.maxAttributes) {
            reader.Fail("more than " + std::to_string(reader.limits_.maxAttributes) +
                        " attributes on one element");
            return;
        }
        if (tagBytes <= reader.limits_.maxNameBytes) continue;
        if (std::strlen(p[0]) > reader.limits_.maxNameBytes) {
            reader.Fail("attribute name longer than " +
                        std::to_string(reader.limits_.maxNameBytes) + " bytes");
            return;
        }
        if (tagBytes > reader.limits_.maxAttributeBytes &&
            std::strlen(p[1]) > reader.limits_.maxAttributeBytes) {
            reader.Fail("attribute " + std::string(LocalName(p[0])) + " longer than " +
                        std::to_string(reader.limits_.maxAttributeBytes) + " bytes");
            return;
        }
    }
    reader.handler_.StartElement(LocalName(name), XmlAttributes(attributes));
}

void XmlEventReader::OnEnd(void* self, const char*) {
    auto& reader = *static_cast<XmlEventReader*>(self);
    if (reader.failed_) return;
    --reader.depth_;
    reader.handler_.EndElement();
}

void XmlEventReader::OnDoctype(void* self, const char*, const char*, const char*, int) {
    static_cast<XmlEventReader*>(self)->Fail("document type declarations are not allowed");
}

void XmlEventReader::OnEntity(void* self, const char*, int, const char*, int, const char*,
                              const char*, const char*, const char*) {
    static_cast<XmlEventReader*>(self)->Fail("entity declarations are not allowed");
}

void XmlEventReader::OnSkippedEntity(void* self, const char* name, int) {
    static_cast<XmlEventReader*>(self)->Fail(std::string("entity reference &") + name +
                                             "; is not allowed");
}

}  // namespace pcbhost::ipc2581
