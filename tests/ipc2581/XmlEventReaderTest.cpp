// SPDX-License-Identifier: GPL-3.0-or-later
// The XML tokenizer under the IPC-2581 reader: events, refusals and lines, whole and split into
// chunks at every byte.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "boardreaders/ipc2581/XmlEventReader.h"

namespace {

using boards::ipc2581::XmlAttributes;
using boards::ipc2581::XmlEventHandler;
using boards::ipc2581::XmlEventReader;
using boards::ipc2581::XmlLimits;

// Writes each event as text: `2:<a x=1 y=2>` (line, local name, attributes as given) and `</>`.
class Recorder : public XmlEventHandler {
  public:
    void StartElement(std::string_view localName, const XmlAttributes& attributes) override {
        log += std::to_string(reader->CurrentLine()) + ":<" + std::string(localName);
        for (size_t i = 0; i < attributes.Size(); ++i)
            log += " " + std::string(attributes[i].name) + "=" + std::string(attributes[i].value);
        log += ">";
        if (!failOn.empty() && localName == failOn) reader->Fail("stop at " + failOn);
    }
    void EndElement() override { log += "</>"; }
    XmlEventReader* reader = nullptr;
    std::string log;
    std::string failOn;
};

struct Outcome {
    bool ok;
    std::string events;
    std::string error;
    int line;
    bool operator==(const Outcome&) const = default;
};

std::ostream& operator<<(std::ostream& out, const Outcome& o) {
    return out << (o.ok ? "ok " : "refused ") << o.events << " | " << o.error << " @" << o.line;
}

// Feeds `text` cut at the given offsets, through Feed or through Buffer/ParseBuffer.
Outcome Read(const std::string& text, std::vector<size_t> cuts = {}, bool inPlace = false,
             XmlLimits limits = {}, const std::string& failOn = {}) {
    Recorder recorder;
    recorder.failOn = failOn;
    XmlEventReader reader(recorder, limits);
    recorder.reader = &reader;
    cuts.push_back(text.size());
    size_t from = 0;
    bool ok = true;
    for (size_t i = 0; i < cuts.size() && ok; ++i) {
        const size_t size = cuts[i] - from;
        const bool last = i + 1 == cuts.size();
        if (inPlace) {
            char* buffer = reader.Buffer(size);
            if (!buffer) break;
            std::copy_n(text.data() + from, size, buffer);
            ok = reader.ParseBuffer(size, last);
        } else {
            ok = reader.Feed(text.data() + from, size, last);
        }
        from = cuts[i];
    }
    return {ok, recorder.log, reader.Error(), reader.ErrorLine()};
}

struct Case {
    const char* text;
    const char* expected;  // events when accepted; the start of the reason when refused
    int line = 0;          // the line of the refusal
};

const std::vector<Case> kWellFormed = {
    {"<a/>", "1:<a></>"},
    {"\xEF\xBB\xBF<?xml version = \"1.0\" encoding = \"UTF-8\"?>\n<a></a >", "2:<a></>"},
    {"<?xml version='1.0' encoding='us-ascii' standalone='yes' ?><a/>", "1:<a></>"},
    {"<!-- c --><?pi data?>\n<p:a p:x='1' y=\"2\"\n z = '3'><b/>text<c></c></p:a>\n<!---->\n",
     "2:<a p:x=1 y=2 z=3>3:<b></>3:<c></></>"},
    {"<a x='&lt;&gt;&amp;&quot;&apos;' y=\"&#65;&#x42;&#x20AC;&#x1F600;\"/>",
     "1:<a x=<>&\"' y=AB\xE2\x82\xAC\xF0\x9F\x98\x80></>"},
    {"<a x='a\tb\nc\r\nd\re' y='&#9;&#10;' z=\"it's\" w='say \"hi\"'/>",
     "1:<a x=a b c d e y=\t\n z=it's w=say \"hi\"></>"},
    {"<a>x &amp; y &#60; <![CDATA[ <b> & ]] ]]> ]] &#x5d;]&gt; </a>", "1:<a></>"},
    {"<a><!-- - -> --><?t ? > ?></a>", "1:<a></>"},
    {"<a>\r\n<b>\r<c>\n<d/></c></b></a>", "1:<a>2:<b>3:<c>4:<d></></></></>"},
    {"<a x='\xC3\xA9\xE2\x82\xAC'>\xF0\x9F\x98\x80</a>", "1:<a x=\xC3\xA9\xE2\x82\xAC></>"},
    {"<a>]</a>", "1:<a></>"},
    {"<?xml version=''?><a/>", "1:<a></>"},
};

const std::vector<Case> kMalformed = {
    {"", "malformed XML: no element found", 1},
    {"  \n <!-- only -->\n", "malformed XML: no element found", 3},
    {"<a>\n<b>\n</b>", "malformed XML: no element found", 3},
    {"<a>\n</b>", "malformed XML: mismatched tag", 2},
    {"<a>\n<b x='1' x='2'/></a>", "malformed XML: duplicate attribute", 2},
    {"<a/>\n<b/>", "malformed XML: junk after document element", 2},
    {"<a/>\ntext", "malformed XML: junk after document element", 2},
    {"text<a/>", "malformed XML: not well-formed", 1},
    {"<a x='1'y='2'/>", "malformed XML: not well-formed", 1},
    {"<a x=1/>", "malformed XML: not well-formed", 1},
    {"<a\nx='<'/>", "malformed XML: not well-formed", 2},
    {"<a x='1/>", "malformed XML: unclosed token", 1},
    {"<a>\n<b x=\"1\" y", "malformed XML: unclosed token", 2},
    {"<a>\n<!-- open", "malformed XML: unclosed token", 2},
    {"<a>\n<![CDATA[ open", "malformed XML: unclosed CDATA section", 2},
    {"<a>\n<?pi open", "malformed XML: unclosed token", 2},
    {"<a><!-- a -- b --></a>", "malformed XML: not well-formed", 1},
    {"<a>]]></a>", "malformed XML: not well-formed", 1},
    {"<![CDATA[x]]><a/>", "malformed XML: syntax error", 1},
    {"<1a/>", "malformed XML: not well-formed", 1},
    {"<a></ a>", "malformed XML: not well-formed", 1},
    {"<a/ >", "malformed XML: not well-formed", 1},
    {"<a>& b</a>", "malformed XML: not well-formed", 1},
    {"<a>&amp</a>", "malformed XML: not well-formed", 1},
    {"<a>\n&#0;</a>", "malformed XML: reference to invalid character number", 2},
    {"<a x='&#xD800;'/>", "malformed XML: reference to invalid character number", 1},
    {"<a x='&#x110000;'/>", "malformed XML: reference to invalid character number", 1},
    {"<a>\n\n&ent;</a>", "entity references are not allowed", 3},
    {"<a x='&ent;'/>", "entity references are not allowed", 1},
    {"<?xml version='1.0'?>\n<!DOCTYPE a [<!ENTITY e 'x'>]><a/>",
     "document type declarations are not allowed", 2},
    {"<a><?xml version='1.0'?></a>", "malformed XML: XML or text declaration not at start", 1},
    {" <?xml version='1.0'?><a/>", "malformed XML: XML or text declaration not at start", 1},
    {"<?xml encoding='UTF-8'?><a/>", "malformed XML: XML declaration not well-formed", 1},
    {"<?xml version=':.0'?><a/>", "malformed XML: XML declaration not well-formed", 1},
    {"<?xml version='1.0'encoding='UTF-8'?><a/>", "malformed XML: XML declaration not", 1},
    {"<?xml version='1.0' encoding='ISO-8859-1'?><a/>", "encoding \"ISO-8859-1\" is not", 1},
    {"\xFF\xFE<\0a\0/\0>\0", "UTF-16 files are not supported", 1},  // cut at the first zero
    {"<?xml version='1.0' encoding='US-ASCII'?>\n<a>\xC3\xA9</a>", "malformed XML: not well", 2},
    {"<a>\n\xC3(</a>", "malformed XML: not well-formed", 2},
    {"<a>\xE0\x80\x80</a>", "malformed XML: not well-formed", 1},
    {"<a>\xEF\xBF\xBF</a>", "malformed XML: not well-formed", 1},
    {"<a>\n\n\x01</a>", "malformed XML: not well-formed", 3},
    {"<\xC3\xA9/>", "names with non-ASCII characters are not supported", 1},
};

TEST(XmlEventReader, WellFormedSnippetsGiveTheirEvents) {
    for (const Case& c : kWellFormed) {
        SCOPED_TRACE(c.text);
        const Outcome outcome = Read(c.text);
        EXPECT_TRUE(outcome.ok) << outcome;
        EXPECT_EQ(outcome.events, c.expected);
    }
}

TEST(XmlEventReader, MalformedSnippetsAreRefusedWithReasonAndLine) {
    for (const Case& c : kMalformed) {
        SCOPED_TRACE(c.text);
        const Outcome outcome = Read(c.text);
        EXPECT_FALSE(outcome.ok);
        EXPECT_EQ(outcome.error.rfind(c.expected, 0), 0u) << outcome;
        EXPECT_EQ(outcome.line, c.line) << outcome;
    }
}

TEST(XmlEventReader, ZeroByteIsRefusedWhereItStands) {
    const Outcome outcome = Read(std::string("<a>\n\n<b x='\0'/></a>", 19));
    EXPECT_FALSE(outcome.ok);
    EXPECT_EQ(outcome.error, "malformed XML: not well-formed (invalid token)");
    EXPECT_EQ(outcome.line, 3);
}

TEST(XmlEventReader, EverySplitGivesTheSameOutcome) {
    std::vector<std::string> texts;
    for (const Case& c : kWellFormed) texts.push_back(c.text);
    for (const Case& c : kMalformed) texts.push_back(c.text);
    texts.push_back(std::string("<a>\n\n<b x='\0'/></a>", 19));
    for (const std::string& text : texts) {
        SCOPED_TRACE(text);
        const Outcome whole = Read(text);
        for (size_t cut = 0; cut <= text.size(); ++cut) {
            EXPECT_EQ(Read(text, {cut}), whole) << "cut at " << cut;
            EXPECT_EQ(Read(text, {cut}, true), whole) << "cut in place at " << cut;
        }
        std::vector<size_t> everyByte;
        for (size_t i = 1; i < text.size(); ++i) everyByte.push_back(i);
        EXPECT_EQ(Read(text, everyByte), whole) << "byte by byte";
        EXPECT_EQ(Read(text, everyByte, true), whole) << "byte by byte in place";
    }
}

TEST(XmlEventReader, LimitsAreCheckedInOrderAtTheTag) {
    XmlLimits limits;
    limits.maxDepth = 2;
    limits.maxNameBytes = 4;
    limits.maxAttributeBytes = 3;
    limits.maxAttributes = 2;
    auto refusal = [&](const std::string& text) { return Read(text, {}, false, limits); };
    EXPECT_EQ(refusal("<a>\n<b>\n<c/></b></a>").error, "elements nested deeper than 2");
    EXPECT_EQ(refusal("<a>\n<b>\n<c/></b></a>").line, 3);
    EXPECT_EQ(refusal("<abcde/>").error, "element name longer than 4 bytes");
    EXPECT_EQ(refusal("<a x='1' y='2' z='3'/>").error, "more than 2 attributes on one element");
    EXPECT_EQ(refusal("<a\n x='1' y='2'\n" + std::string(1000, ' ') + "z='3' w='4'/>").line, 1);
    EXPECT_EQ(refusal("<a abcde='1'/>").error, "attribute name longer than 4 bytes");
    EXPECT_EQ(refusal("<a p:x='1234'/>").error, "attribute x longer than 3 bytes");
    // Values count as read: a reference is one byte, a line break a space.
    EXPECT_TRUE(refusal("<a x='&amp;&#x41;\r\n'/>").ok);
    EXPECT_EQ(refusal("<a x='&amp;&#x41;\r\n&lt;'/>").error, "attribute x longer than 3 bytes");
    // Well-formedness comes first, as the limits are checked once the tag is whole.
    EXPECT_EQ(refusal("<a x='1' y='2' z='3' x='4'/>").error,
              "more than 2 attributes on one element");
    EXPECT_EQ(refusal("<a x='1' x='12345'/>").error, "malformed XML: duplicate attribute");
}

TEST(XmlEventReader, MemoryFollowsTheLimitsNotTheFile) {
    // A comment, a CDATA section, text and an instruction of 4 MB each, fed in 4 KiB chunks:
    // at most the start of a closing sequence is carried over.
    const std::string filler(4 << 20, 'x');
    const std::string text =
        "<a><!--" + filler + "--><![CDATA[" + filler + "]]>" + filler + "<?pi " + filler + "?></a>";
    Recorder recorder;
    XmlEventReader reader(recorder);
    recorder.reader = &reader;
    size_t mostCarried = 0;
    for (size_t from = 0; from < text.size(); from += 4096) {
        const size_t size = std::min<size_t>(4096, text.size() - from);
        ASSERT_TRUE(reader.Feed(text.data() + from, size, from + size == text.size()))
            << reader.Error();
        mostCarried = std::max(mostCarried, reader.CarriedBytes());
    }
    EXPECT_LE(mostCarried, 8u);
    EXPECT_EQ(recorder.log, "1:<a></>");

    // A start tag padded past any set of attributes the limits allow is refused, not kept.
    XmlLimits small;
    small.maxAttributes = 2;
    small.maxAttributeBytes = 16;
    small.maxNameBytes = 8;
    XmlEventReader bounded(recorder, small);
    const std::string padded = "<a" + std::string(8 << 20, ' ');
    bool ok = true;
    for (size_t from = 0; ok && from < padded.size(); from += 65536)
        ok = bounded.Feed(padded.data() + from, 65536, false);
    EXPECT_FALSE(ok);
    EXPECT_EQ(bounded.Error(),
              "tag longer than " + std::to_string(bounded.MaxTagBytes()) + " bytes");
    EXPECT_LT(bounded.MaxTagBytes(), size_t(1) << 20);
}

TEST(XmlEventReader, HandlerFailureStopsAtTheTagLine) {
    const Outcome outcome = Read("<a>\n<b/>\n\n<c/>\n<d/></a>", {}, false, {}, "c");
    EXPECT_FALSE(outcome.ok);
    EXPECT_EQ(outcome.error, "stop at c");
    EXPECT_EQ(outcome.line, 4);
    EXPECT_EQ(outcome.events, "1:<a>2:<b></>4:<c>");
}

TEST(XmlEventReader, AttributesAreFoundByLocalNameAsWrittenFirst) {
    struct Lookup : XmlEventHandler {
        void StartElement(std::string_view, const XmlAttributes& attributes) override {
            found = std::string(attributes.Get("id")) + "," + std::string(attributes.Get("x")) +
                    "," + (attributes.Has("none") ? "has" : "none") + "," +
                    std::string(attributes.Get("p:id"));
        }
        void EndElement() override {}
        std::string found;
    } lookup;
    XmlEventReader reader(lookup);
    const std::string text = "<a p:id='1' id='2' q:x='3' r:x='4'/>";
    ASSERT_TRUE(reader.Feed(text.data(), text.size(), true)) << reader.Error();
    EXPECT_EQ(lookup.found, "2,3,none,1");
}

TEST(XmlEventReader, RefusesAfterAFailureAndReportsTheFirstReason) {
    Recorder recorder;
    XmlEventReader reader(recorder);
    recorder.reader = &reader;
    EXPECT_FALSE(reader.Feed("<a>\n<b/>\n</c>", 13, false));
    EXPECT_FALSE(reader.Feed("<c/>", 4, true));
    EXPECT_EQ(reader.Buffer(16), nullptr);
    EXPECT_EQ(reader.Error(), "malformed XML: mismatched tag");
    EXPECT_EQ(reader.ErrorLine(), 3);
}

}  // namespace
