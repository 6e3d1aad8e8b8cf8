// SPDX-License-Identifier: GPL-3.0-or-later
// The XML tokenizer's option to skip a document type that only names an external DTD, as every
// Eagle file starts: skipped whole or cut at any byte, never read; an internal subset, a second
// declaration or one after the root still refused.
#include <gtest/gtest.h>

#include <string>

#include "boardreaders/ipc2581/XmlEventReader.h"

namespace {

using boards::ipc2581::XmlAttributes;
using boards::ipc2581::XmlEventHandler;
using boards::ipc2581::XmlEventReader;
using boards::ipc2581::XmlLimits;

class Lines : public XmlEventHandler {
  public:
    void StartElement(std::string_view localName, const XmlAttributes&) override {
        log += std::to_string(reader->CurrentLine()) + ":" + std::string(localName) + " ";
    }
    void EndElement() override {}
    XmlEventReader* reader = nullptr;
    std::string log;
};

// Events or "refused: reason @line", fed whole (cut = 0) or in two pieces cut at `cut`.
std::string Read(const std::string& text, size_t cut, bool skip = true) {
    Lines lines;
    XmlLimits limits;
    limits.skipExternalDocumentType = skip;
    XmlEventReader reader(lines, limits);
    lines.reader = &reader;
    bool ok = cut == 0 ? reader.Feed(text.data(), text.size(), true)
                       : reader.Feed(text.data(), cut, false) &&
                             reader.Feed(text.data() + cut, text.size() - cut, true);
    if (!ok) return "refused: " + reader.Error() + " @" + std::to_string(reader.ErrorLine());
    return lines.log;
}

TEST(XmlDocumentType, ExternalDtdIsSkippedWholeOrCutAnywhere) {
    const std::string eagle =
        "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<!DOCTYPE eagle SYSTEM \"eagle.dtd\">\n"
        "<eagle version=\"9.7.0\">\n<drawing/></eagle>";
    const std::string quoted = "<!DOCTYPE e PUBLIC \"-//x>y//EN\" 'a>[b].dtd'>\n<e/>";
    for (size_t cut = 0; cut < eagle.size(); ++cut)
        EXPECT_EQ(Read(eagle, cut), "3:eagle 4:drawing ") << cut;
    for (size_t cut = 0; cut < quoted.size(); ++cut) EXPECT_EQ(Read(quoted, cut), "2:e ") << cut;
}

TEST(XmlDocumentType, EverythingElseIsStillRefused) {
    struct Case {
        std::string text, reason;
        bool skip = true;
    };
    for (const Case& c : {
             Case{"<!DOCTYPE eagle SYSTEM \"eagle.dtd\">\n<eagle/>",
                  "refused: document type declarations are not allowed @1", false},
             Case{"<!DOCTYPE e [\n<!ENTITY x \"y\">]>\n<e>&x;</e>",
                  "refused: document type declarations with an internal subset are not allowed @1"},
             Case{"<!DOCTYPE e SYSTEM \"e.dtd\">\n<!DOCTYPE e SYSTEM \"e.dtd\">\n<e/>",
                  "refused: document type declarations are not allowed @2"},
             Case{"<e>\n<!DOCTYPE e SYSTEM \"e.dtd\"></e>",
                  "refused: document type declarations are not allowed @2"},
             Case{"<!DOCTYPE e SYSTEM \"e.dtd\"", "refused: malformed XML: unclosed token @1"},
             Case{"<!DOCTYPEe><e/>", "refused: malformed XML: not well-formed (invalid token) @1"},
         }) {
        for (size_t cut = 0; cut < c.text.size(); ++cut)
            EXPECT_EQ(Read(c.text, cut, c.skip), c.reason) << c.text << " cut at " << cut;
    }
}

}  // namespace
