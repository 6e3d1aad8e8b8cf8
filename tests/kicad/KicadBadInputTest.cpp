// SPDX-License-Identifier: GPL-3.0-or-later
// Malformed board files: a clear error with file, line and reason, the design left as it was.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>

#include "Dbx32.h"
#include "boardreaders/kicad/KicadBoardReader.h"

namespace {

using namespace boards;

const char* const kGoodBoard = R"((kicad_pcb (version 20211014) (generator pcbnew)
  (footprint "A" (layer "F.Cu") (at 1 2)
    (fp_text reference "R1" (at 0 0) (layer "F.SilkS") (effects (font (size 1 1))))
    (pad "1" thru_hole circle (at 0 0) (size 1.7 1.7) (drill 1) (layers "*.Cu"))
  )
)
)";

// Parses `text` into a design that already holds a board; the failure must leave it alone.
ReadError ExpectFailure(const std::string& text) {
    Design design;
    ReadError error;
    EXPECT_TRUE(ParseKicadBoard(kGoodBoard, "good.kicad_pcb", design, error));
    EXPECT_FALSE(ParseKicadBoard(text, "bad.kicad_pcb", design, error)) << text.substr(0, 200);
    EXPECT_EQ(error.file, "bad.kicad_pcb");
    EXPECT_FALSE(error.reason.empty());
    EXPECT_EQ(design.components.size(), 1u);
    EXPECT_EQ(design.components.at(0).refDes, "R1");
    return error;
}

std::string WithPad(const std::string& pad) {
    return "(kicad_pcb (version 20211014)\n (footprint \"A\" (layer \"F.Cu\")\n" + pad + "\n))\n";
}

TEST(KicadBadInput, OtherFilesAreNotBoards) {
    for (const char* text :
         {"", "   \n", "{\"components\": []}", "(footprint \"R\" (layer F.Cu))", "kicad_pcb",
          "\x7f"
          "ELF\x02\x01"}) {
        const ReadError e = ExpectFailure(text);
        EXPECT_NE(e.reason.find("not a KiCad board file"), std::string::npos) << e.ToString();
        EXPECT_EQ(e.line, 1);
    }
}

TEST(KicadBadInput, CutShortAndUnbalancedFilesReportTheirLine) {
    const std::string good = kGoodBoard;
    ReadError e = ExpectFailure(good.substr(0, good.find("(drill")));
    EXPECT_NE(e.reason.find("unexpected end of file"), std::string::npos) << e.ToString();
    EXPECT_EQ(e.line, 4);

    e = ExpectFailure(good.substr(0, good.size() - 3));  // the last ')' missing
    EXPECT_NE(e.reason.find("unbalanced"), std::string::npos) << e.ToString();

    e = ExpectFailure(good + ")\n");
    EXPECT_NE(e.reason.find("after the end"), std::string::npos) << e.ToString();
    EXPECT_EQ(e.line, 7);

    e = ExpectFailure("(kicad_pcb (version 1)\n (footprint \"A\n");
    EXPECT_NE(e.reason.find("unterminated"), std::string::npos) << e.ToString();
    EXPECT_EQ(e.line, 2);

    e = ExpectFailure("(kicad_pcb (zone (polygon (pts (xy 1 2)");  // skipped lists too
    EXPECT_NE(e.reason.find("unbalanced"), std::string::npos) << e.ToString();
}

TEST(KicadBadInput, AbsurdNumbersAreErrors) {
    const char* pads[] = {
        R"((pad "1" smd rect (at 0 0) (size nan 1) (layers F.Cu)))",
        R"((pad "1" smd rect (at 0 0) (size inf 1) (layers F.Cu)))",
        R"((pad "1" smd rect (at 0 0) (size 1e300 1) (layers F.Cu)))",
        R"((pad "1" smd rect (at 0 0) (size -1 1) (layers F.Cu)))",
        R"((pad "1" smd rect (at 1e999 0) (size 1 1) (layers F.Cu)))",
        R"((pad "1" smd rect (at 0 0) (size 1 one) (layers F.Cu)))",
        R"((pad "1" thru_hole circle (at 0 0) (size 1 1) (drill 5000) (layers F.Cu)))",
        R"((pad "1" thru_hole circle (at 0 0) (size 1 1) (drill -0.5) (layers F.Cu)))",
        R"((pad "1" smd roundrect (at 0 0) (size 1 1) (roundrect_rratio 7) (layers F.Cu)))",
        R"((pad "1" smd rect (at 0 0 1e12) (size 1 1) (layers F.Cu)))",
        R"((pad "1" smd rect (at +-1 0) (size 1 1) (layers F.Cu)))",
    };
    for (const char* pad : pads) {
        const ReadError e = ExpectFailure(WithPad(pad));
        EXPECT_EQ(e.line, 3) << e.ToString();
    }
    EXPECT_NE(ExpectFailure(WithPad(pads[2])).reason.find("out of range"), std::string::npos);
    EXPECT_NE(ExpectFailure(WithPad(pads[0])).reason.find("not a number"), std::string::npos);
}

TEST(KicadBadInput, UnknownPadKindsAreErrors) {
    EXPECT_NE(ExpectFailure(WithPad(R"((pad "1" blind rect (at 0 0) (size 1 1)))"))
                  .reason.find("pad type"),
              std::string::npos);
    EXPECT_NE(ExpectFailure(WithPad(R"((pad "1" smd hexagon (at 0 0) (size 1 1)))"))
                  .reason.find("pad shape"),
              std::string::npos);
    ExpectFailure(WithPad(R"((pad))"));
}

TEST(KicadBadInput, NamesLongerThanTheirFieldsAreErrors) {
    const std::string longRef(DBX_REFDES_SIZE, 'R');
    ReadError e = ExpectFailure(WithPad("(fp_text reference \"" + longRef + "\" (at 0 0))"));
    EXPECT_EQ(e.reason, "reference designator longer than 63 bytes");
    EXPECT_EQ(e.line, 3);
    // One byte less fits.
    Design design;
    EXPECT_TRUE(ParseKicadBoard(WithPad("(property \"Reference\" \"" + longRef.substr(1) + "\")"),
                                "ok", design, e))
        << e.ToString();
    EXPECT_EQ(design.components.at(0).refDes.size(), DBX_REFDES_SIZE - 1u);

    e = ExpectFailure(
        WithPad("(property \"" + std::string(DBX_ATTRIBUTE_NAME_SIZE, 'N') + "\" \"v\")"));
    EXPECT_EQ(e.reason, "attribute name longer than 63 bytes");
    e = ExpectFailure(
        WithPad("(property \"Note\" \"" + std::string(DBX_ATTRIBUTE_VALUE_SIZE, 'v') + "\")"));
    EXPECT_EQ(e.reason, "attribute value longer than 1023 bytes");
    e = ExpectFailure(
        WithPad("(pad \"" + std::string(DBX_PAD_NUMBER_SIZE, '9') + "\" smd rect (size 1 1))"));
    EXPECT_EQ(e.reason, "pad number longer than 31 bytes");
}

TEST(KicadBadInput, NamesWithControlCharactersAreErrors) {
    using namespace std::string_literals;
    for (const std::string& refDes : {"R1\0X"s, "R1\tX"s, "\x1b[2J"s, "R\x7f"s}) {
        ReadError e = ExpectFailure(WithPad("(fp_text reference \"" + refDes + "\" (at 0 0))"));
        EXPECT_EQ(e.reason.rfind("reference designator holds a control character (0x", 0), 0u)
            << e.ToString();
        EXPECT_EQ(e.line, 3);
        e = ExpectFailure(WithPad("(property \"Reference\" \"" + refDes + "\")"));
        EXPECT_EQ(e.reason.rfind("reference designator holds a control character", 0), 0u);
    }
    const ReadError e =
        ExpectFailure(WithPad("(property \"Note\" \"v\")\n(property \"P\x01\" \"v\")"));
    EXPECT_EQ(e.reason, "attribute name holds a control character (0x01)");
    EXPECT_EQ(e.line, 4);
    // Values are not names: a tab in one is kept.
    Design design;
    ReadError error;
    ASSERT_TRUE(ParseKicadBoard(WithPad("(property \"Note\" \"a\tb\")"), "ok", design, error))
        << error.ToString();
    EXPECT_EQ(design.components.at(0).attributes.back().value, "a\tb");
}

TEST(KicadBadInput, NumbersBelowTheSmallestDoubleReadAsZeroAndTooLargeOnesAreOutOfRange) {
    Design design;
    ReadError error;
    ASSERT_TRUE(ParseKicadBoard(
        WithPad(R"((pad "1" smd rect (at 1e-400 -0.00001e-320) (size 1 1) (layers F.Cu)))"),
        "tiny.kicad_pcb", design, error))
        << error.ToString();
    ASSERT_EQ(design.components.at(0).pads.size(), 1u);
    EXPECT_EQ(design.components[0].pads[0].position.x, 0);
    EXPECT_EQ(design.components[0].pads[0].position.y, 0);
    for (const char* big : {"1e400", "-1e999", "100000e308"}) {
        const ReadError e = ExpectFailure(WithPad(std::string("(pad \"1\" smd rect (at ") + big +
                                                  " 0) (size 1 1) (layers F.Cu))"));
        EXPECT_EQ(e.reason, std::string("number out of range: '") + big + "'");
        EXPECT_EQ(e.line, 3);
    }
}

TEST(KicadBadInput, OnlyRegularFilesAreRead) {
    Design design;
    ReadError error;
    EXPECT_FALSE(ReadKicadBoard("/dev/zero", design, error));
    EXPECT_EQ(error.ToString(), "/dev/zero:0: not a regular file (a device)");
    char dir[] = "/tmp/kicad-fifo-XXXXXX";
    ASSERT_NE(::mkdtemp(dir), nullptr);
    const std::string fifo = std::string(dir) + "/board.kicad_pcb";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    EXPECT_FALSE(ReadKicadBoard(fifo, design, error));  // must not wait for a writer
    EXPECT_EQ(error.reason, "not a regular file (a FIFO)");
    ::unlink(fifo.c_str());
    ::rmdir(dir);
    EXPECT_TRUE(design.components.empty());
}

TEST(KicadBadInput, MissingFilesReportLineZero) {
    Design design;
    ReadError error;
    EXPECT_FALSE(ReadKicadBoard("/nonexistent/board.kicad_pcb", design, error));
    EXPECT_EQ(error.line, 0);
    EXPECT_EQ(error.file, "/nonexistent/board.kicad_pcb");
    EXPECT_FALSE(error.reason.empty());
}

}  // namespace
