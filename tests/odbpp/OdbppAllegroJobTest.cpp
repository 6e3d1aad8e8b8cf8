// SPDX-License-Identifier: GPL-3.0-or-later
// The reader against a real Allegro job (ODB++ Viewer 10.0, units MM): the figures of
// expected.tsv in every form a job comes in (tgz as written, zip, tar, tar.gz, a folder; at the
// root, under odb/, under its own name), and the cases the mapping rules single out.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <set>
#include <string>

#include "BoardFigures.h"
#include "TestJobs.h"
#include "boardreaders/BoardFormats.h"
#include "boardreaders/odbpp/OdbppReader.h"

namespace {

using boards::Design;
using boards::ReadError;
using boards::test::ArchiveKind;

const std::string kDataDir = PARTWISE_ODBPP_DATA_DIR;
const std::string kJob = kDataDir + "/allegro-usb3006.tgz";

struct Expected {
    std::size_t components = 0, pads = 0, holedPads = 0;
    std::string holeSizes;
};

Expected ExpectedFigures() {
    const auto rows = boards::test::ReadFigureTable(kDataDir + "/expected.tsv", 5);
    EXPECT_EQ(rows.size(), 1u) << "expected table missing or changed";
    Expected e;
    if (rows.empty()) return e;
    e = {std::stoul(rows[0][1]), std::stoul(rows[0][2]), std::stoul(rows[0][3]), rows[0][4]};
    return e;
}

void ExpectFigures(const std::string& path) {
    SCOPED_TRACE(path);
    Design design;
    ReadError error;
    // As pcbhost opens it: the registry finds the format by content.
    ASSERT_TRUE(boards::BoardFormats::Load(path, design, error)) << error.ToString();
    const Expected e = ExpectedFigures();
    const auto f = boards::test::FiguresServed(design);
    EXPECT_EQ(f.components, e.components);
    EXPECT_EQ(f.pads, e.pads);
    EXPECT_EQ(f.holedPads, e.holedPads);
    EXPECT_EQ(f.holeSizes, e.holeSizes);
}

const boards::Component* Find(const Design& design, const std::string& refDes) {
    for (const auto& c : design.components)
        if (c.refDes == refDes) return &c;
    return nullptr;
}

TEST(OdbppAllegroJob, FiguresInEveryFormAJobComesIn) {
    ExpectFigures(kJob);  // tgz, job under odb/
    const auto members = boards::test::ReadArchiveMembers(kJob);
    ASSERT_GT(members.size(), 100u);
    const std::string folder = boards::test::TemporaryFolder("forms");
    const auto atRoot = boards::test::Rebased(members, "odb/", "");
    const auto ownName = boards::test::Rebased(members, "odb/", "usb-3006/");
    struct Form {
        std::string name;
        const std::vector<boards::test::JobMember>* members;
        ArchiveKind kind;
    };
    for (const Form& form :
         {Form{"root.zip", &atRoot, ArchiveKind::Zip}, Form{"odb.zip", &members, ArchiveKind::Zip},
          Form{"own-name.tar", &ownName, ArchiveKind::Tar},
          Form{"root.tar.gz", &atRoot, ArchiveKind::Tgz},
          Form{"named-anything.bin", &ownName, ArchiveKind::Tgz}}) {
        const std::string path = folder + "/" + form.name;
        boards::test::WriteFile(path, boards::test::WriteArchive(*form.members, form.kind));
        ExpectFigures(path);
    }
    // Folders: the job itself, and the folder it sits in.
    boards::test::WriteFolder(atRoot, folder + "/job");
    ExpectFigures(folder + "/job");
    boards::test::WriteFolder(ownName, folder + "/outer");
    ExpectFigures(folder + "/outer");
    // In memory, as the fuzz target and the benchmark read it.
    Design design;
    ReadError error;
    std::string step;
    const std::string zip = boards::test::WriteArchive(ownName, ArchiveKind::Zip);
    ASSERT_TRUE(boards::ParseOdbppJob(zip, "in-memory.zip", design, error, {}, &step))
        << error.ToString();
    EXPECT_EQ(step, "STP");
    EXPECT_EQ(design.readNote, "") << "a job of one step needs no word on it";
    EXPECT_EQ(design.components.size(), 133u);
    std::filesystem::remove_all(folder);
}

TEST(OdbppAllegroJob, PadStylesHolesAndViasFollowTheRules) {
    Design design;
    ReadError error;
    ASSERT_TRUE(boards::ReadOdbppJob(kJob, design, error)) << error.ToString();
    std::vector<std::string> holed;
    for (const auto& c : design.components)
        for (const auto& pad : c.pads) {
            ASSERT_GE(pad.padStyle, 0) << c.refDes << " " << pad.number;
            const auto& style = design.padStyles[std::size_t(pad.padStyle)];
            if (style.holeDiameter > 0) holed.push_back(c.refDes + ":" + style.name);
        }
    // The four holed toeprints: two non-plated 1 mm holes, two plated 2.5 mm holes; the 0.2 mm
    // vias, some in pads, are no pad's hole.
    // The USB connector's two locating pegs (non-plated; Allegro puts a 0.01 mm placeholder pad
    // on the copper there) and the two fixing holes.
    std::sort(holed.begin(), holed.end());
    EXPECT_EQ(holed,
              (std::vector<std::string>{"FIX1:THT Rect 5 D2.5", "FIX2:THT Rect 5 D2.5",
                                        "J2:NPTH Circle 0.01 D1", "J2:NPTH Circle 0.01 D1"}));
    const auto* c27 = Find(design, "C27");
    ASSERT_NE(c27, nullptr);
    ASSERT_EQ(c27->pads.size(), 2u);
    EXPECT_EQ(c27->pads[0].number, "1");
    const auto& style = design.padStyles[std::size_t(c27->pads[0].padStyle)];
    EXPECT_EQ(style.name.rfind("SMD ", 0), 0u) << style.name;
    EXPECT_EQ(style.holeDiameter, 0);
    // Properties by name, a repeated name keeping its first value; no text styles in ODB++.
    std::vector<std::string> names;
    for (const auto& a : c27->attributes) {
        names.push_back(a.name);
        EXPECT_EQ(a.textStyle, -1);
    }
    EXPECT_EQ(names, (std::vector<std::string>{"PART_NUMBER", "PART_NAME", "VALUE"}));
    EXPECT_EQ(c27->attributes[2].value, "100n");
    EXPECT_TRUE(design.textStyles.empty());
    // Geometry for the board view: y turned down, the package outline placed, the profile.
    EXPECT_TRUE(design.hasGeometry);
    EXPECT_FALSE(design.boardOutline.empty());
    EXPECT_FALSE(c27->outline.empty());
    EXPECT_DOUBLE_EQ(c27->position.x, 16);
    EXPECT_DOUBLE_EQ(c27->position.y, -24.6);
}

}  // namespace
