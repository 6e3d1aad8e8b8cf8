// SPDX-License-Identifier: GPL-3.0-or-later
// The JSON design reader: what it reads, and the line and reason it gives for bad files.
#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

#include "JsonReadErrors.h"
#include "boardreaders/json/JsonDesignReader.h"
#include "boardreaders/json/JsonLineIndex.h"

namespace boards {
namespace {

using test::JsonErrorFor;

TEST(JsonDesignReaderTest, ReadsStylesComponentsPadsAndAttributes) {
    const std::string json = R"({
  "padStyles": [{"name": "P1", "holeDiameter": 1000}, {"name": "SMD"}, {"name": "SMD"}],
  "textStyles": [{"name": "T"}],
  "components": [
    {"refDes": "R1",
     "pads": [{"number": "1", "style": "P1"}, {"style": 2}],
     "attributes": [{"name": "Value", "value": "10k", "textStyle": "T"},
                    {"name": "Footprint", "textStyle": null}, {"name": "X"}]},
    {"refDes": ""}
  ]
})";
    Design d;
    ReadError error;
    ASSERT_TRUE(JsonDesignReader::ReadBytes(QByteArray::fromStdString(json), "d.json", d, error))
        << error.ToString();
    ASSERT_EQ(d.padStyles.size(), 3u);
    EXPECT_EQ(d.padStyles[0].holeDiameter, 1000);
    EXPECT_EQ(d.padStyles[1].holeDiameter, 0);
    ASSERT_EQ(d.components.size(), 2u);
    const Component& r1 = d.components[0];
    EXPECT_EQ(r1.refDes, "R1");
    ASSERT_EQ(r1.pads.size(), 2u);
    EXPECT_EQ(r1.pads[0].padStyle, 0);
    EXPECT_EQ(r1.pads[1].padStyle, 2) << "by index, so equal names stay distinct styles";
    EXPECT_EQ(r1.pads[1].number, "");
    ASSERT_EQ(r1.attributes.size(), 3u);
    EXPECT_EQ(r1.attributes[0].textStyle, 0);
    EXPECT_EQ(r1.attributes[0].value, "10k");
    EXPECT_EQ(r1.attributes[1].textStyle, -1);
    EXPECT_EQ(r1.attributes[2].textStyle, -1);
    EXPECT_FALSE(d.hasGeometry);
}

TEST(JsonDesignReaderTest, SyntaxErrorsNameTheirLine) {
    const ReadError error =
        JsonErrorFor("{\n  \"components\": [\n    {\"refDes\": \"R1\",}\n  ]\n}");
    EXPECT_EQ(error.file, "d.json");
    EXPECT_EQ(error.line, 3);
    EXPECT_FALSE(error.reason.empty());
    EXPECT_EQ(JsonErrorFor("").line, 1);
    EXPECT_EQ(JsonErrorFor("{\n\"components\": [\n").line, 3);
    EXPECT_EQ(JsonErrorFor("[1, 2]").reason, "the design must be a JSON object");
}

TEST(JsonDesignReaderTest, InvalidContentNamesItsLineAndReason) {
    struct Case {
        std::string json;
        int line;
        std::string reason;
    };
    const std::string head =
        "{\n  \"padStyles\": [{\"name\": \"P\"}, {\"name\": \"Q\"}, {\"name\": \"Q\"}],\n";
    const Case cases[] = {
        {head + "  \"components\": [\n    {\"refDes\": \"R1\", \"pads\": [{\"style\": \"Z\"}]}\n  "
                "]\n}",
         4, "unknown pad style \"Z\""},
        {head + "  \"components\": [\n    {\"refDes\": \"R1\",\n     \"pads\": [{\"style\": "
                "\"Q\"}]}\n]}",
         5, "pad style name \"Q\" is not unique; refer to the style by its index"},
        {head + "  \"components\": [\n    {\"refDes\": \"R1\", \"pads\": [{\"style\": 3}]}\n]}", 4,
         "pad style reference must be a style name or an index below 3"},
        {head + "  \"components\": [\n\n    {\"pads\": []}\n]}", 5,
         "a component has no \"refDes\""},
        {head + "  \"components\": [\n    {\"refDes\": [\"R1\"]}\n]}", 4,
         "\"refDes\" must be a string"},
        {head + "  \"components\": {}\n}", 3, "\"components\" must be an array"},
        {head + "  \"components\": [\n    {\"refDes\": \"R1\", \"padz\": []}\n]}", 4,
         "unknown key \"padz\" in a component"},
        {"{\"padStyles\": [\n{\"name\": \"P\", \"holeDiameter\": 1.5}]}", 2,
         "\"holeDiameter\" must be a 32-bit integer"},
        {"{\"padStyles\": [\n{\"name\": \"P\", \"holeDiameter\": 3000000000}]}", 2,
         "\"holeDiameter\" must be a 32-bit integer"},
        {"{\"textStyles\": [{}],\n \"components\": []}", 1, "a text style has no \"name\""},
        {"{\"components\": [{\"refDes\": \"R\",\n \"attributes\": [{\"name\": \"V\",\n"
         " \"textStyle\": \"T\"}]}]}",
         3, "unknown text style \"T\""},
        {"{\"components\": [{\"refDes\": \"R\", \"pads\": [\n{\"number\": \"1\"}]}]}", 2,
         "a pad has no \"style\""},
    };
    for (const Case& c : cases) {
        const ReadError error = JsonErrorFor(c.json);
        EXPECT_EQ(error.line, c.line) << c.json;
        EXPECT_EQ(error.reason, c.reason) << c.json;
    }
}

TEST(JsonDesignReaderTest, MissingFileAndTheDemoDesign) {
    Design design;
    ReadError error;
    EXPECT_FALSE(JsonDesignReader::ReadFile("/nonexistent/x.json", design, error));
    EXPECT_EQ(error.line, 0);
    EXPECT_EQ(error.file, "/nonexistent/x.json");

    ASSERT_TRUE(
        JsonDesignReader::ReadFile(PARTWISE_SOURCE_DIR "/examples/demo.json", design, error))
        << error.ToString();
    EXPECT_GE(design.components.size(), 30u);
    int r7 = 0;
    for (const auto& c : design.components) r7 += c.refDes == "R7";
    EXPECT_EQ(r7, 2) << "the demo keeps a repeated refdes";
}

TEST(JsonLineIndexTest, FindsTheLineOfNestedValues) {
    const QByteArray text =
        "{\n \"a\": [\n  1,\n  {\"b\\\"x\": 2,\n   \"c\": [true, null]}\n ],\n \"d\": \"s\"\n}";
    const JsonLineIndex index(text);
    EXPECT_EQ(index.LineOf(""), 1);
    EXPECT_EQ(index.LineOf("/a"), 2);
    EXPECT_EQ(index.LineOf("/a/0"), 3);
    EXPECT_EQ(index.LineOf("/a/1/b\"x"), 4);
    EXPECT_EQ(index.LineOf("/a/1/c/1"), 5);
    EXPECT_EQ(index.LineOf("/a/1/c/7"), 5) << "falls back to the parent";
    EXPECT_EQ(index.LineOf("/d"), 7);
    EXPECT_EQ(JsonLineIndex::LineAtOffset(text, 1000), 8);
}

}  // namespace
}  // namespace boards
