// SPDX-License-Identifier: GPL-3.0-or-later
// What the Eagle reader refuses, with file, line and reason: files that only end in .brd, other
// Eagle documents, broken boards; and how the registry routes such files.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <string>

#include "EagleTestBoards.h"
#include "boardreaders/BoardFormats.h"

namespace {

using boards::Design;
using boards::ReadError;
using boards::test::EagleBoard;
using boards::test::EagleError;
using boards::test::EagleLibrary;

const std::string kPackage =
    EagleLibrary("l", "P", "<smd name=\"1\" x=\"0\" y=\"0\" dx=\"1\" dy=\"1\" layer=\"1\"/>");
const std::string kElement =
    "<element name=\"R1\" library=\"l\" package=\"P\" value=\"1k\" x=\"0\" y=\"0\"/>";

// A file in a fresh temporary directory, removed with it.
class TempFile {
  public:
    TempFile(const std::string& name, const std::string& bytes) {
        char pattern[] = "/tmp/eagle-test-XXXXXX";
        dir_ = ::mkdtemp(pattern);
        path_ = dir_ + "/" + name;
        std::ofstream(path_, std::ios::binary) << bytes;
    }
    ~TempFile() {
        std::remove(path_.c_str());
        ::rmdir(dir_.c_str());
    }
    const std::string& path() const { return path_; }

  private:
    std::string dir_, path_;
};

ReadError LoadError(const std::string& name, const std::string& bytes) {
    TempFile file(name, bytes);
    Design design;
    design.components.push_back({});  // a design already there stays as it was
    ReadError error;
    EXPECT_FALSE(boards::BoardFormats::Load(file.path(), design, error));
    EXPECT_EQ(design.components.size(), 1u);
    EXPECT_EQ(error.file, file.path());
    return error;
}

TEST(EagleBadInput, FilesThatOnlyEndInBrdSayWhatTheyAre) {
    struct Case {
        std::string bytes, reason;
    };
    const std::string binary("\x10\x80\x00\x00\x25\x00\x00\x00\x05\x0b", 10);
    const std::vector<Case> cases = {
        {binary + std::string(100, '\0'), "binary Eagle file (before version 6)"},
        {std::string("\x10\x00", 2) + "xyz", "binary Eagle file (before version 6)"},
        {"PCBNEW-BOARD Version 1 date 3/1/2013 10:34:02 AM\n\n$GENERAL\n", "an old KiCad board"},
        {"\xEF\xBB\xBFPCBNEW-BOARD Version 2\n", "an old KiCad board"},
        {"<!DOCTYPE html>\n<html lang=\"en\"><head><title>OpenLog.brd at master</title>",
         "a saved web page (HTML)"},
        {"<html><body>404</body></html>", "a saved web page (HTML)"},
        {"<?xml version=\"1.0\"?>\n<!DOCTYPE html PUBLIC \"-//W3C//DTD XHTML 1.0//EN\" "
         "\"x\">\n<html xmlns=\"http://www.w3.org/1999/xhtml\">",
         "a saved web page (HTML)"},
        {"<<<<<<< HEAD\n<?xml version=\"1.0\"?>\n", "merge-conflict markers (<<<<<<<) at line 1"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.bytes.substr(0, 30));
        // Through the registry by suffix, from the file and from memory.
        const ReadError fromFile = LoadError("board.brd", c.bytes);
        EXPECT_EQ(fromFile.reason.rfind(c.reason, 0), 0u) << fromFile.ToString();
        const ReadError inMemory = EagleError(c.bytes);
        EXPECT_EQ(inMemory.reason, fromFile.reason);
        EXPECT_EQ(inMemory.file, "test.brd");
    }
}

TEST(EagleBadInput, MergeConflictInsideTheBoardIsNamedWithItsLine) {
    std::string board = EagleBoard(kPackage, kElement);
    const size_t at = board.find("<element");
    board.insert(at, "<<<<<<< HEAD\n");
    board.insert(board.find("</elements>"),
                 "\n=======\n<element name=\"R9\" library=\"l\" package=\"P\" value=\"\" x=\"0\" "
                 "y=\"0\"/>\n>>>>>>> branch\n");
    int line = 1;
    for (size_t i = 0; i < at; ++i) line += board[i] == '\n';
    const std::string reason = "merge-conflict markers (<<<<<<<) at line " + std::to_string(line);
    const ReadError inMemory = EagleError(board);
    EXPECT_EQ(inMemory.line, line);
    EXPECT_EQ(inMemory.reason.rfind(reason, 0), 0u) << inMemory.ToString();
    // From the file: the line is looked up by reading it again.
    const ReadError fromFile = LoadError("conflict.brd", board);
    EXPECT_EQ(fromFile.line, line);
    EXPECT_EQ(fromFile.reason, inMemory.reason);
}

TEST(EagleBadInput, OtherEagleDocumentsAreNotBoards) {
    const std::string head =
        "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<!DOCTYPE eagle SYSTEM \"eagle.dtd\">\n"
        "<eagle version=\"9.6.2\">\n<drawing>\n<layers/>\n";
    struct Case {
        std::string bytes, reason;
        int line;
    };
    for (const Case& c : std::vector<Case>{
             {head + "<schematic><parts/></schematic></drawing></eagle>",
              "an Eagle schematic (<schematic>), not a board", 6},
             {head + "<library><packages/></library></drawing></eagle>",
              "an Eagle library (<library>), not a board", 6},
             {head + "</drawing></eagle>", "an Eagle file without a <board>", 6},
         }) {
        SCOPED_TRACE(c.reason);
        // Found by its content whatever its name.
        const ReadError error = LoadError("design.sch", c.bytes);
        EXPECT_EQ(error.reason.rfind(c.reason, 0), 0u) << error.ToString();
        EXPECT_EQ(error.line, c.line);
    }
}

TEST(EagleBadInput, BrokenBoardsAreRefusedWithLineAndReason) {
    struct Case {
        std::string bytes, reason;
    };
    const std::string element =
        "<element name=\"R1\" library=\"l\" package=\"P\" value=\"1k\" x=\"0\" y=\"0\" ";
    const std::vector<Case> cases = {
        {EagleBoard(kPackage, element + "rot=\"Q90\"/>"),
         "element R1: rot=\"Q90\" is not a rotation"},
        {EagleBoard(kPackage,
                    "<element name=\"R1\" library=\"l\" package=\"P\" value=\"\" "
                    "x=\"1,5\" y=\"0\"/>"),
         "element R1: x=\"1,5\" is not a number"},
        {EagleBoard(kPackage,
                    "<element name=\"R1\" library=\"l\" package=\"P\" value=\"\" "
                    "x=\"1e300\" y=\"0\"/>"),
         "element R1: x=\"1e300\" is out of range"},
        {EagleBoard(kPackage, "<element name=\"R1\" library=\"l\" value=\"\" x=\"0\" y=\"0\"/>"),
         "element R1: missing package="},
        {EagleBoard(kPackage,
                    "<element name=\"R1\" library=\"l\" package=\"Q\" value=\"\" "
                    "x=\"0\" y=\"0\"/>"),
         "element R1: package Q of library l is not in the board's libraries"},
        {EagleBoard(EagleLibrary("l", "P", "<pad name=\"1\" x=\"0\" y=\"0\" drill=\"-1\"/>"),
                    kElement),
         "package P of library l: drill=\"-1\" is not a size in mm"},
        {EagleBoard(EagleLibrary("l", "P", "<pad name=\"1\" x=\"0\" y=\"0\"/>"), kElement),
         "package P of library l: missing drill="},
        {EagleBoard(
             EagleLibrary("l", "P", "<pad name=\"1\" x=\"0\" y=\"0\" drill=\"1\" shape=\"star\"/>"),
             kElement),
         "package P of library l: pad shape=\"star\" is none of"},
        {EagleBoard(EagleLibrary("l", "P",
                                 "<smd name=\"1\" x=\"0\" y=\"0\" dx=\"1\" dy=\"1\" layer=\"1\" "
                                 "roundness=\"101\"/>"),
                    kElement),
         "package P of library l: roundness=\"101\" is not a whole number from 0 to 100"},
        {EagleBoard(kPackage,
                    "<element name=\"R1\" library=\"l\" package=\"P\" value=\"\" x=\"0\" "
                    "y=\"0\"><attribute name=\"A\" size=\"1\" font=\"comic\"/></element>"),
         "element R1: font=\"comic\" is none of vector, proportional, fixed"},
        {EagleBoard(kPackage, "<element name=\"" + std::string(64, 'R') +
                                  "\" library=\"l\" package=\"P\" value=\"\" x=\"0\" y=\"0\"/>"),
         "element " + std::string(64, 'R') + ": element name longer than 63 bytes"},
        {EagleBoard(kPackage, kElement,
                    "<designrules name=\"d\"><param name=\"rlMinPadTop\" "
                    "value=\"10furlong\"/></designrules>"),
         "design rule rlMinPadTop=\"10furlong\" is not a length"},
        // Entities could only come from an internal subset: refused, never expanded.
        {"<?xml version=\"1.0\"?>\n<!DOCTYPE eagle [<!ENTITY x \"y\">]>\n<eagle/>",
         "document type declarations with an internal subset are not allowed"},
        {"<?xml version=\"1.0\"?>\n<eagle version=\"7\"><drawing><board>",
         "malformed XML: no element found"},
        {"<?xml version=\"1.0\"?>\n<foo/>", "not an Eagle file: the root element is <foo>"},
        {"\x89PNG\r\n\x1a\n", "not an Eagle board: malformed XML"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.reason);
        const ReadError error = EagleError(c.bytes);
        EXPECT_EQ(error.reason.rfind(c.reason, 0), 0u) << error.ToString();
        EXPECT_GE(error.line, 1);
    }
    // Two libraries of one name both hold the package, and the element names no URN.
    const ReadError ambiguous = EagleError(EagleBoard(
        EagleLibrary("l", "P", "<smd name=\"1\" x=\"0\" y=\"0\" dx=\"1\" dy=\"1\" layer=\"1\"/>",
                     "urn:adsk.eagle:library:1") +
            EagleLibrary("l", "P",
                         "<smd name=\"1\" x=\"0\" y=\"0\" dx=\"2\" dy=\"1\" layer=\"1\"/>",
                         "urn:adsk.eagle:library:2"),
        kElement, "", "9.7.0"));
    EXPECT_NE(ambiguous.reason.find("held by several libraries of that name"), std::string::npos)
        << ambiguous.ToString();
}

TEST(EagleBadInput, ElementsPlacingMorePadsThanAnyBoardHoldsAreRefused) {
    // 1,000 pads placed 5,001 times: a 0.5 MB file asking for 5,001,000 pads.
    std::string pads;
    for (int i = 0; i < 1000; ++i)
        pads += "<smd name=\"" + std::to_string(i) +
                "\" x=\"0\" y=\"0\" dx=\"1\" dy=\"1\" layer=\"1\"/>";
    std::string elements;
    for (int i = 0; i < 5001; ++i)
        elements += "<element name=\"U" + std::to_string(i) +
                    "\" library=\"l\" package=\"P\" value=\"\" x=\"0\" y=\"0\"/>";
    const ReadError error = EagleError(EagleBoard(EagleLibrary("l", "P", pads), elements));
    EXPECT_EQ(error.reason,
              "the elements place 5001000 pads, more than 5000000 (no board holds "
              "that many)");
}

TEST(EagleBadInput, RegistryFindsEagleBoardsByContentAndNamesTheFormat) {
    const std::string board = EagleBoard(kPackage, kElement);
    for (const char* name : {"board.brd", "board.BRD", "board.xml", "board"}) {
        TempFile file(name, board);
        ReadError error;
        const boards::BoardFormat* format = boards::BoardFormats::Find(file.path(), error);
        ASSERT_NE(format, nullptr) << name << ": " << error.ToString();
        EXPECT_EQ(format->Name(), "Eagle board") << name;
        Design design;
        ASSERT_TRUE(format->Read(file.path(), design, error)) << error.ToString();
        EXPECT_EQ(design.components.size(), 1u);
    }
    // The list of formats an unknown file is refused with names Eagle's suffix.
    EXPECT_NE(boards::BoardFormats::Describe().find("Eagle board (.brd)"), std::string::npos);
    // A KiCad board of today that ends in .brd is KiCad's.
    TempFile kicad("old.brd", "(kicad_pcb (version 20221018) (generator pcbnew))");
    ReadError error;
    const boards::BoardFormat* format = boards::BoardFormats::Find(kicad.path(), error);
    ASSERT_NE(format, nullptr);
    EXPECT_NE(format->Name(), "Eagle board");
}

}  // namespace
