// SPDX-License-Identifier: GPL-3.0-or-later
// The mapping rules on a small job written here as older exporters write them: no UNITS lines
// and no misc/info (inches, symbol sizes in mils), a panel step before the board's, a repeated
// reference designator, toeprints without names, a via in a pad, a via 0.01 mm from a pad, a
// drill that eda/data links to a pin it does not lie on, a slot, metric symbols with float
// noise, a compressed member.
#include <archive.h>
#include <archive_entry.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "TestJobs.h"
#include "boardreaders/odbpp/OdbppReader.h"
#include "boardreaders/odbpp/PadSymbol.h"
#include "boardreaders/odbpp/RecordText.h"

namespace {

using boards::Design;
using boards::ReadError;
using boards::test::ArchiveKind;
using boards::test::JobMember;

const char* const kMatrix = R"(STEP {
    COL=1
    NAME=PANEL
}
STEP {
    COL=2
    NAME=PCB
}
LAYER {
    ROW=1
    CONTEXT=BOARD
    TYPE=COMPONENT
    NAME=COMP_+_TOP
}
LAYER {
    ROW=2
    CONTEXT=BOARD
    TYPE=SIGNAL
    NAME=TOP
}
LAYER {
    ROW=3
    CONTEXT=BOARD
    TYPE=SIGNAL
    NAME=BOTTOM
}
LAYER {
    ROW=4
    CONTEXT=BOARD
    TYPE=DRILL
    NAME=DRILL
}
LAYER {
    ROW=5
    CONTEXT=BOARD
    TYPE=COMPONENT
    NAME=COMP_+_BOT
}
)";

const char* const kTopComponents = R"(# no UNITS line: inches
CMP 0 1.0 1.0 0 N R1 RES ;0=1
PRP VALUE '10k'
PRP VALUE '22k'
PRP Description 'Resistor, 1%'
TOP 0 0.95 1.0 0 N 0 0 1
TOP 1 1.05 1.0 0 N 1 0 2
CMP 1 2.0 1.0 90 N J1 CONN
TOP 0 2.0 1.0 90 N 2 0 1
TOP 1 2.0 1.1 90 N 3 0 2
CMP 0 3.0 1.0 0 N R1 RES
TOP 0 3.0 1.0 0 N 4 0 1
TOP 1 3.1 1.0 0 N 4 0 2
)";

const char* const kTopFeatures = R"(#Feature symbol names
$0 r60
$1 rect40x60
$2 r399.9992 M
$3 rect50x50xr10
P 0.95 1.0 1 P 0 8 0
P 1.05 1.0 1 P 0 8 0
L 0.95 1.0 1.05 1.0 0 P 0
P 2.0 1.0 0 P 0 8 90
P 2.0 1.1 0 P 0 8 0
P 3.0 1.0 2 P 0 8 0
P 3.1 1.0 3 P 0 8 0
)";

const char* const kBottomFeatures = "$0 s50\nP 4.0 2.0 0 P 0 8 0\n";

const char* const kDrillFeatures = R"($0 r39.37
$1 oval40x80
$2 r10
@0 .drill
P 2.0 1.0 0 P 0 8 0;0=0
P 2.0 1.1 1 P 0 8 0;0=0
P 3.0 1.0 2 P 0 8 0;0=2
P 3.1004 1.0 2 P 0 8 0
P 5.0 5.0 0 P 0 8 0;0=0
)";

// Drill feature 4 (at 5,5) linked to the second R1's pin 2, which lies at 3.1,1.
const char* const kEdaData = R"(HDR test
LYR top drill
NET GND
SNT TOP T 2 1
FID C 0 6
FID H 1 4
PKG RES 0.1 -0.1 -0.05 0.1 0.05
RC -0.1 -0.05 0.2 0.1
PIN 1 S -0.05 0 0 U U
PIN 2 S 0.05 0 0 U U
)";

// Written without toeprint names, as older revisions do: the pin's number from 1.
const char* const kBottomComponents = "CMP 0 4.0 2.0 0 M U1 IC\nTOP 0 4.0 2.0 0 M 0 0\n";

// Unix compress, as ODB++ allows for any member (`features.Z`).
std::string Compress(const std::string& bytes) {
    archive* a = archive_write_new();
    archive_write_set_format_raw(a);
    archive_write_add_filter_compress(a);
    std::string buffer(bytes.size() * 2 + 4096, '\0');
    std::size_t used = 0;
    archive_write_open_memory(a, buffer.data(), buffer.size(), &used);
    archive_entry* entry = archive_entry_new();
    archive_entry_set_pathname(entry, "data");
    archive_entry_set_filetype(entry, AE_IFREG);
    archive_entry_set_size(entry, la_int64_t(bytes.size()));
    archive_write_header(a, entry);
    archive_write_data(a, bytes.data(), bytes.size());
    archive_entry_free(entry);
    archive_write_close(a);
    archive_write_free(a);
    buffer.resize(used);
    return buffer;
}

std::vector<JobMember> SmallJob() {
    return {
        {"job/matrix/matrix", kMatrix},
        // A panel that repeats the board, with its own flattened copy of a component.
        {"job/steps/panel/stephdr", "STEP-REPEAT {\nNAME=PCB\nX=0\nY=0\n}\n"},
        {"job/steps/panel/layers/comp_+_top/components", "CMP 0 0 0 0 N P1 X\n"},
        {"job/steps/pcb/layers/comp_+_top/components", kTopComponents},
        {"job/steps/pcb/layers/comp_+_bot/components.Z", Compress(kBottomComponents)},
        {"job/steps/pcb/layers/top/features", kTopFeatures},
        {"job/steps/pcb/layers/bottom/features", kBottomFeatures},
        {"job/steps/pcb/layers/drill/features", kDrillFeatures},
        {"job/steps/pcb/eda/data", kEdaData},
        {"job/steps/pcb/profile", "S P 0\nOB 0 0 I\nOS 6 0\nOS 6 3\nOS 0 3\nOS 0 0\nOE\nSE\n"},
    };
}

const boards::PadStyle& StyleOf(const Design& d, std::size_t component, std::size_t pad) {
    return d.padStyles.at(std::size_t(d.components.at(component).pads.at(pad).padStyle));
}

TEST(OdbppRecords, OlderExportersJobFollowsTheRules) {
    Design design;
    ReadError error;
    std::string step;
    ASSERT_TRUE(boards::ParseOdbppJob(boards::test::WriteArchive(SmallJob(), ArchiveKind::Zip),
                                      "small.zip", design, error, {}, &step))
        << error.ToString();
    EXPECT_EQ(step, "PCB");  // the panel repeats it
    EXPECT_EQ(design.readNote,
              "read step PCB, the one holding the components, of 2 steps (PANEL, PCB)");
    ASSERT_EQ(design.components.size(), 4u);
    EXPECT_EQ(design.components[0].refDes, "R1");
    EXPECT_EQ(design.components[2].refDes, "R1");  // repeated, both kept
    EXPECT_EQ(design.components[3].refDes, "U1");  // from the compressed bottom file
    // Inches and mils.
    EXPECT_EQ(StyleOf(design, 0, 0).name, "SMD Rect 1.016x1.524");
    EXPECT_DOUBLE_EQ(design.components[1].position.x, 50.8);
    EXPECT_DOUBLE_EQ(design.components[1].position.y, -25.4);
    // Plated round hole, and a slot by its smaller side (40 mil).
    EXPECT_EQ(StyleOf(design, 1, 0).name, "THT Circle 1.524 D1");
    EXPECT_EQ(StyleOf(design, 1, 0).holeDiameter, 2540);
    EXPECT_EQ(StyleOf(design, 1, 1).name, "THT Circle 1.524 D1.016");
    EXPECT_EQ(StyleOf(design, 1, 1).holeDiameter, 2581);
    // A via in the pad is not its hole; metric symbol with float noise.
    EXPECT_EQ(StyleOf(design, 2, 0).name, "SMD Circle 0.4");
    EXPECT_EQ(StyleOf(design, 2, 0).holeDiameter, 0);
    // Neither the unmarked drill 0.01 mm away nor the linked drill elsewhere is its hole.
    EXPECT_EQ(StyleOf(design, 2, 1).name, "SMD RoundRect 1.27x1.27 R0.254");
    EXPECT_EQ(StyleOf(design, 2, 1).holeDiameter, 0);
    // The bottom side: its outer copper layer, copper on the bottom only.
    EXPECT_EQ(StyleOf(design, 3, 0).name, "SMD Rect 1.27");
    EXPECT_TRUE(design.components[3].bottomSide);
    EXPECT_EQ(design.components[3].pads[0].number, "1");
    EXPECT_TRUE(design.components[3].pads[0].onBottom);
    EXPECT_FALSE(design.components[3].pads[0].onTop);
    // Properties by name, the first value kept; no text styles.
    ASSERT_EQ(design.components[0].attributes.size(), 2u);
    EXPECT_EQ(design.components[0].attributes[0].value, "10k");
    EXPECT_EQ(design.components[0].attributes[1].name, "Description");
    EXPECT_EQ(design.components[0].attributes[1].value, "Resistor, 1%");
    EXPECT_EQ(design.components[0].attributes[1].textStyle, -1);
    // Geometry: the package outline placed, the profile as the board outline.
    EXPECT_EQ(design.components[0].outline.size(), 4u);
    EXPECT_EQ(design.boardOutline.size(), 4u);
}

TEST(OdbppRecords, ToeprintsWithoutNamesOfManyComponents) {
    // Enough components that their records are moved while read (found by fuzzing: the made-up
    // names once pointed into records left behind).
    auto members = SmallJob();
    std::string bottom;
    for (int i = 0; i < 100; ++i)
        bottom += "CMP 0 4.0 2.0 0 M U" + std::to_string(i) + " IC\nTOP 0 4.0 2.0 0 M 0 0\n" +
                  "TOP 1 4.0 2.0 0 M 0 0\n";
    members[4] = {"job/steps/pcb/layers/comp_+_bot/components", bottom};
    Design design;
    ReadError error;
    ASSERT_TRUE(boards::ParseOdbppJob(boards::test::WriteArchive(members, ArchiveKind::Tar),
                                      "many.tar", design, error))
        << error.ToString();
    ASSERT_EQ(design.components.size(), 103u);
    for (std::size_t i = 3; i < design.components.size(); ++i) {
        ASSERT_EQ(design.components[i].pads.size(), 2u);
        EXPECT_EQ(design.components[i].pads[0].number, "1");
        EXPECT_EQ(design.components[i].pads[1].number, "2");
    }
}

TEST(OdbppRecords, MiscInfoUnitsApplyToFilesWithoutTheirOwn) {
    auto members = SmallJob();
    members.push_back({"job/misc/info", "JOB_NAME=x\nUNITS=MM\n"});
    Design design;
    ReadError error;
    ASSERT_TRUE(boards::ParseOdbppJob(boards::test::WriteArchive(members, ArchiveKind::Tgz),
                                      "mm.tgz", design, error))
        << error.ToString();
    EXPECT_DOUBLE_EQ(design.components[1].position.x, 2.0);
    EXPECT_EQ(StyleOf(design, 0, 0).name, "SMD Rect 0.04x0.06");  // microns
}

TEST(OdbppRecords, SymbolNamesAndNumbers) {
    using boards::odbpp::DescribeSymbol;
    EXPECT_EQ(DescribeSymbol("r1000", 0.001).name, "Circle 1");
    EXPECT_EQ(DescribeSymbol("s2200", 0.001).name, "Rect 2.2");
    EXPECT_EQ(DescribeSymbol("rect1300.0x1300.0xr325.0", 0.001).name, "RoundRect 1.3x1.3 R0.325");
    EXPECT_EQ(DescribeSymbol("rect1000x500xc100x13", 0.001).name, "ChamferedRect 1x0.5 C0.1");
    EXPECT_EQ(DescribeSymbol("oval1600.0x2800.0", 0.001).name, "Oval 1.6x2.8");
    EXPECT_EQ(DescribeSymbol("oct60x60x17.6", 0.0254).name, "Octagon 1.524x1.524 C0.447");
    EXPECT_EQ(DescribeSymbol("di40x60", 0.0254).name, "Diamond 1.016x1.524");
    EXPECT_EQ(DescribeSymbol("shsm_fid_110825_w010_u", 0.001).name,
              "Symbol shsm_fid_110825_w010_u");
    EXPECT_FALSE(DescribeSymbol("rect", 0.001).known);
    EXPECT_FALSE(DescribeSymbol("r-5", 0.001).known);
    EXPECT_FALSE(DescribeSymbol("r1e999", 0.001).known);
    EXPECT_DOUBLE_EQ(boards::odbpp::DrillDiameter("oval40x80", 0.0254), 1.016);
    EXPECT_EQ(boards::odbpp::FormatMm(0.3999992), "0.4");
    EXPECT_EQ(boards::odbpp::FormatMm(2.54), "2.54");
    EXPECT_EQ(boards::odbpp::FormatMm(0.00005), "0.0001");
    double v = 0;
    EXPECT_FALSE(boards::odbpp::ParseNumber("nan", v));
    EXPECT_FALSE(boards::odbpp::ParseNumber("1x", v));
    EXPECT_TRUE(boards::odbpp::ParseNumber("+1.5", v));
    EXPECT_DOUBLE_EQ(v, 1.5);
}

TEST(OdbppRecords, BrokenRecordsNameMemberAndLine) {
    auto members = SmallJob();
    members[5].bytes += "P 1 1 99 P 0 8 0\n";  // names no symbol
    Design design;
    ReadError error;
    EXPECT_FALSE(boards::ParseOdbppJob(boards::test::WriteArchive(members, ArchiveKind::Tar),
                                       "bad.tar", design, error));
    EXPECT_EQ(error.file, "bad.tar/job/steps/pcb/layers/top/features");
    EXPECT_EQ(error.line, 13);
    EXPECT_EQ(error.reason, "P record names no symbol");
    members = SmallJob();
    members[0].bytes = "STEP {\nNAME=PCB\n";  // block not closed
    EXPECT_FALSE(boards::ParseOdbppJob(boards::test::WriteArchive(members, ArchiveKind::Tar),
                                       "bad.tar", design, error));
    EXPECT_EQ(error.file, "bad.tar/job/matrix/matrix");
    EXPECT_EQ(error.reason, "block not closed");
}

}  // namespace
