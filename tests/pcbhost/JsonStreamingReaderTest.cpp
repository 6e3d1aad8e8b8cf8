// SPDX-License-Identifier: GPL-3.0-or-later
// The JSON reader streams the text: names are text, values may come in any order, lines
// stay right across read chunks, and a file over the limit names its line.
#include <gtest/gtest.h>

#include <QFile>
#include <QJsonDocument>
#include <QTemporaryDir>
#include <algorithm>
#include <random>
#include <string>

#include "JsonReadErrors.h"
#include "boardreaders/json/JsonByteStream.h"
#include "boardreaders/json/JsonDesignReader.h"

namespace boards {
namespace {

using test::JsonErrorFor;

Design Read(const std::string& json) {
    Design design;
    ReadError error;
    EXPECT_TRUE(
        JsonDesignReader::ReadBytes(QByteArray::fromStdString(json), "d.json", design, error))
        << error.ToString();
    return design;
}

TEST(JsonStreamingReaderTest, ControlCharactersInNamesAreRefusedWithLineAndReason) {
    struct Case {
        std::string json;
        int line;
        std::string reason;
    };
    const Case cases[] = {
        {"{\"components\": [\n{\"refDes\": \"R1\\u0000X\"}]}", 2,
         "\"refDes\" holds a control character (U+0000)"},
        {"{\"padStyles\": [{\"name\": \"A\"},\n\n{\"name\": \"B\\tC\"}]}", 3,
         "\"name\" holds a control character (U+0009)"},
        {"{\"textStyles\": [\n{\"name\": \"T\\u007f\"}]}", 2,
         "\"name\" holds a control character (U+007F)"},
        {"{\"components\": [{\"refDes\": \"R1\",\n\"attributes\": [{\"name\": \"V\\u0085\"}]}]}", 2,
         "\"name\" holds a control character (U+0085)"},
        {"{\"components\": [{\"refDes\": \"\\u001fR1\"}]}", 1,
         "\"refDes\" holds a control character (U+001F)"},
    };
    for (const Case& c : cases) {
        const ReadError error = JsonErrorFor(c.json);
        EXPECT_EQ(error.line, c.line) << c.json;
        EXPECT_EQ(error.reason, c.reason) << c.json;
    }
    // Values are not names: a pad number or an attribute value may hold any character.
    const Design d = Read(
        "{\"padStyles\": [{\"name\": \"P\"}], \"components\": [{\"refDes\": \"R1\", \"pads\": "
        "[{\"number\": \"1\\u0000\", \"style\": 0}], \"attributes\": [{\"name\": \"N\", "
        "\"value\": \"a\\nb\"}]}]}");
    ASSERT_EQ(d.components.size(), 1u);
    EXPECT_EQ(d.components[0].attributes[0].value, "a\nb");
    EXPECT_EQ(d.components[0].pads[0].number, std::string("1\0", 2));
    // Text beyond ASCII is no control character.
    EXPECT_EQ(Read("{\"components\": [{\"refDes\": \"R\\u00e9\"}]}").components[0].refDes,
              "R\xc3\xa9");
}

TEST(JsonStreamingReaderTest, StylesAfterTheComponentsResolveAsBefore) {
    const Design d = Read(
        "{\"components\": [{\"refDes\": \"R1\", \"pads\": [{\"style\": \"B\"}, {\"style\": 0}],\n"
        "  \"attributes\": [{\"name\": \"V\", \"textStyle\": \"T\"}, {\"name\": \"W\"}]}],\n"
        " \"textStyles\": [{\"name\": \"T\"}],\n"
        " \"padStyles\": [{\"name\": \"A\"}, {\"name\": \"B\", \"holeDiameter\": 5}]}");
    ASSERT_EQ(d.components.size(), 1u);
    ASSERT_EQ(d.components[0].pads.size(), 2u);
    EXPECT_EQ(d.components[0].pads[0].padStyle, 1);
    EXPECT_EQ(d.components[0].pads[1].padStyle, 0);
    EXPECT_EQ(d.components[0].attributes[0].textStyle, 0);
    EXPECT_EQ(d.components[0].attributes[1].textStyle, -1);
    EXPECT_EQ(d.padStyles[1].holeDiameter, 5);

    // A reference that the later styles do not satisfy names the reference's own line.
    const ReadError error = JsonErrorFor(
        "{\"components\": [{\"refDes\": \"R1\",\n \"pads\": [{\"style\": 2}]}],\n"
        " \"padStyles\": [{\"name\": \"A\"}]}");
    EXPECT_EQ(error.line, 2);
    EXPECT_EQ(error.reason, "pad style reference must be a style name or an index below 1");
}

TEST(JsonStreamingReaderTest, LinesStayRightAcrossChunksAndAfterNumbers) {
    // A number ending its line is read one byte past its end; the error still names its line.
    EXPECT_EQ(JsonErrorFor("{\"padStyles\": [{\"name\": \"P\", \"holeDiameter\":\n 1.5\n}]}").line,
              2);

    // Read two bytes at a time, a limit of 40 bytes: the stream stops on the line it reached.
    const std::string text = "{\n\"a\":\n1,\n\"b\": 2,\n\"c\": \"0123456789012345678\"}";
    std::size_t at = 0;
    JsonByteStream stream(
        [&](char* buffer, std::int64_t capacity) {
            const std::size_t n = std::min<std::size_t>(std::size_t(capacity), text.size() - at);
            text.copy(buffer, n, at);
            at += n;
            return std::int64_t(n);
        },
        40, 2);
    std::string seen;
    for (auto it = stream.begin(); it != JsonByteStream::end(); ++it) seen += *it;
    EXPECT_EQ(seen, text.substr(0, 40));
    EXPECT_TRUE(stream.TooLarge());
    EXPECT_EQ(stream.Line(), 5);
}

TEST(JsonStreamingReaderTest, AFileOverTheLimitNamesTheLineWhereTheLimitFalls) {
    QTemporaryDir dir;
    const QString path = dir.path() + "/huge.json";
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("{\n\n\n\"components\": [");
    // Sparse: no disk is used for the zeros.
    ASSERT_TRUE(file.resize(JsonDesignReader::kMaxFileBytes + 10));
    file.close();
    Design design;
    ReadError error;
    EXPECT_FALSE(JsonDesignReader::ReadFile(path.toStdString(), design, error));
    EXPECT_EQ(error.line, 4);
    EXPECT_EQ(error.reason, "file too large (limit 268435456 bytes)");
}

// Damaged designs: every one is read or refused with a line inside the text, and what is read
// is valid JSON to Qt's parser as well.
TEST(JsonStreamingReaderTest, DamagedDesignsAreReadOrRefusedWithALineInsideTheText) {
    QFile demo(PARTWISE_SOURCE_DIR "/examples/demo.json");
    ASSERT_TRUE(demo.open(QIODevice::ReadOnly));
    const QByteArray original = demo.readAll();
    const int lines = int(original.count('\n')) + 1;
    std::mt19937 random(11);
    const char bytes[] = "{}[]\",:0123456789-.eE\\u \n\ttruefalsenullx\x01\xc3\xff";
    int read = 0, refused = 0;
    for (int round = 0; round < 3000; ++round) {
        QByteArray text = original;
        for (int edits = 1 + int(random() % 3); edits > 0; --edits) {
            const auto at = qsizetype(random() % std::uint32_t(text.size()));
            const char byte = bytes[random() % (sizeof bytes - 1)];
            switch (random() % 3) {
                case 0:
                    text[at] = byte;
                    break;
                case 1:
                    text.remove(at, 1 + qsizetype(random() % 8));
                    break;
                default:
                    text.insert(at, byte);
                    break;
            }
        }
        Design design;
        ReadError error;
        if (JsonDesignReader::ReadBytes(text, "d.json", design, error)) {
            ++read;
            QJsonParseError parseError;
            QJsonDocument::fromJson(text, &parseError);
            EXPECT_EQ(parseError.error, QJsonParseError::NoError) << text.toStdString();
        } else {
            ++refused;
            EXPECT_GE(error.line, 1) << text.toStdString();
            EXPECT_LE(error.line, lines + 8) << text.toStdString();
            EXPECT_FALSE(error.reason.empty());
        }
    }
    EXPECT_GT(read, 0);
    EXPECT_GT(refused, 0);
}

}  // namespace
}  // namespace boards
