// SPDX-License-Identifier: GPL-3.0-or-later
// Hostile and broken jobs: each refused with the file and the reason, the design left as it
// was; archives of other kinds and other formats' files never claimed as ODB++.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "TestJobs.h"
#include "boardreaders/BoardFormats.h"
#include "boardreaders/odbpp/OdbppFormat.h"
#include "boardreaders/odbpp/OdbppReader.h"

namespace {

using boards::Design;
using boards::ReadError;
using boards::test::ArchiveKind;
using boards::test::JobMember;

const std::string kJob = std::string(PARTWISE_ODBPP_DATA_DIR) + "/allegro-usb3006.tgz";

class OdbppBadInput : public ::testing::Test {
  protected:
    void SetUp() override {
        members_ = boards::test::ReadArchiveMembers(kJob);
        ASSERT_FALSE(members_.empty());
        design_.components.resize(2);  // what a failed read must leave alone
    }

    // Reads `members` written as `kind`; expects a refusal whose reason holds `why`.
    void ExpectRefused(const std::vector<JobMember>& members, ArchiveKind kind,
                       const std::string& why, const boards::odbpp::JobLimits& limits = {}) {
        ReadError error;
        const std::string bytes = boards::test::WriteArchive(members, kind);
        EXPECT_FALSE(boards::ParseOdbppJob(bytes, "hostile.job", design_, error, limits));
        EXPECT_EQ(error.file.rfind("hostile.job", 0), 0u) << error.ToString();
        EXPECT_NE(error.reason.find(why), std::string::npos) << error.ToString();
        EXPECT_EQ(design_.components.size(), 2u);
    }

    std::vector<JobMember> With(JobMember extra) const {
        auto members = members_;
        members.insert(members.begin() + 3, std::move(extra));
        return members;
    }

    std::vector<JobMember> members_;
    Design design_;
};

TEST_F(OdbppBadInput, MembersThatLeaveTheJobRefuseIt) {
    JobMember up{"odb/../../etc/passwd", "x"};
    ExpectRefused(With(up), ArchiveKind::Tar, "leaves the job");
    ExpectRefused(With(up), ArchiveKind::Zip, "leaves the job");
    ExpectRefused(With({"/tmp/odb/matrix/matrix", "x"}), ArchiveKind::Tgz, "absolute path");
    JobMember link{"odb/steps/stp/layers/top/features", "", JobMember::Kind::Symlink,
                   "/etc/passwd"};
    ExpectRefused(With(link), ArchiveKind::Tgz, "is a link");
    JobMember hard{"odb/misc/copy", "", JobMember::Kind::Hardlink, "odb/misc/info"};
    ExpectRefused(With(hard), ArchiveKind::Tar, "is a link");
    // A folder job with a symbolic link in it.
    const std::string folder = boards::test::TemporaryFolder("linked");
    auto linked = boards::test::Rebased(members_, "odb/", "");
    linked.push_back({"steps/stp/eda/outside", "", JobMember::Kind::Symlink, "/etc"});
    boards::test::WriteFolder(linked, folder);
    ReadError error;
    EXPECT_FALSE(boards::ReadOdbppJob(folder, design_, error));
    EXPECT_EQ(error.file, folder);
    EXPECT_NE(error.reason.find("is a link"), std::string::npos) << error.ToString();
    std::filesystem::remove_all(folder);
}

TEST_F(OdbppBadInput, BombsStopAtTheBound) {
    boards::odbpp::JobLimits limits;
    limits.maxTotalBytes = 8 << 20;
    limits.maxMemberBytes = 4 << 20;
    // 64 MiB of zeros compress to about 64 KiB: stopped after 8 MiB.
    JobMember zeros{"odb/misc/padding", std::string(64 << 20, '\0')};
    ExpectRefused(With(zeros), ArchiveKind::Tgz, "MiB uncompressed", limits);
    ExpectRefused(With(zeros), ArchiveKind::Zip, "MiB uncompressed", limits);
    // A member the reader keeps, past its own bound.
    JobMember big{"odb/steps/stp/layers/top/features", std::string(6 << 20, '#')};
    auto members = members_;
    *boards::test::FindMember(members, big.path) = big;
    ExpectRefused(members, ArchiveKind::Tgz, "larger than 4 MiB", limits);
}

TEST_F(OdbppBadInput, JobsWithoutMatrixOrComponentsAreRefused) {
    std::vector<JobMember> noMatrix;
    for (const auto& m : members_)
        if (m.path.find("matrix") == std::string::npos) noMatrix.push_back(m);
    ExpectRefused(noMatrix, ArchiveKind::Tgz, "no matrix/matrix");
    std::vector<JobMember> noComponents;
    for (const auto& m : members_)
        if (m.path.find("/components") == std::string::npos) noComponents.push_back(m);
    ExpectRefused(noComponents, ArchiveKind::Zip, "holds no components");
    // Component files holding only comments (found by fuzzing: a "# CMP 0" line made the step
    // count as one with components).
    auto commentsOnly = members_;
    for (auto& m : commentsOnly)
        if (m.path.find("/components") != std::string::npos) m.bytes = "UNITS=MM\n# CMP 0\n#\n";
    ExpectRefused(commentsOnly, ArchiveKind::Tgz, "holds no components");
    // Broken records: the member and the line.
    auto broken = members_;
    JobMember* top = boards::test::FindMember(broken, "odb/steps/stp/layers/comp_+_top/components");
    ASSERT_NE(top, nullptr);
    top->bytes += "CMP 1 x 2 0 N R9 P\n";
    ReadError error;
    EXPECT_FALSE(boards::ParseOdbppJob(boards::test::WriteArchive(broken, ArchiveKind::Tgz),
                                       "broken.tgz", design_, error));
    EXPECT_EQ(error.file, "broken.tgz/odb/steps/stp/layers/comp_+_top/components");
    EXPECT_GT(error.line, 500);
    EXPECT_NE(error.reason.find("malformed CMP record"), std::string::npos) << error.ToString();
    EXPECT_EQ(design_.components.size(), 2u);
}

TEST_F(OdbppBadInput, BrokenArchivesGiveAReasonAndNeverCrash) {
    const std::string good = boards::test::WriteArchive(members_, ArchiveKind::Tgz);
    for (std::size_t cut : {std::size_t(0), std::size_t(10), std::size_t(600), good.size() / 2}) {
        ReadError error;
        EXPECT_FALSE(boards::ParseOdbppJob(good.substr(0, cut), "cut.tgz", design_, error));
        EXPECT_FALSE(error.reason.empty());
    }
    std::string flipped = good;
    for (std::size_t i = 100; i < flipped.size(); i += 997) flipped[i] = char(~flipped[i]);
    ReadError error;
    EXPECT_FALSE(boards::ParseOdbppJob(flipped, "flipped.tgz", design_, error));
    EXPECT_FALSE(error.reason.empty());
    EXPECT_EQ(design_.components.size(), 2u);
}

TEST_F(OdbppBadInput, OnlyJobsAreClaimedByContent) {
    const boards::OdbppFormat format;
    auto probe = [&](const std::string& head) {
        boards::FileProbe p;
        p.path = "x";
        p.head = std::string_view(head).substr(0, boards::FileProbe::kHeadBytes);
        return format.Recognises(p);
    };
    EXPECT_TRUE(probe(boards::test::WriteArchive(members_, ArchiveKind::Tgz)));
    EXPECT_TRUE(probe(
        boards::test::WriteArchive(boards::test::Rebased(members_, "odb/", ""), ArchiveKind::Zip)));
    EXPECT_TRUE(probe(boards::test::WriteArchive(members_, ArchiveKind::Tar)));
    // Archives that hold no job, and other formats' files.
    const std::vector<JobMember> other = {{"project/", "", JobMember::Kind::Folder},
                                          {"project/board.kicad_pcb", "(kicad_pcb)"},
                                          {"project/README", "text"}};
    for (ArchiveKind kind : {ArchiveKind::Tgz, ArchiveKind::Zip, ArchiveKind::Tar})
        EXPECT_FALSE(probe(boards::test::WriteArchive(other, kind)));
    EXPECT_FALSE(probe("(kicad_pcb (version 20221018))"));
    EXPECT_FALSE(probe("<?xml version=\"1.0\"?><IPC-2581/>"));
    EXPECT_FALSE(probe("{\"components\": []}"));
    EXPECT_FALSE(probe(std::string("\x1f\x8b\x08\x00garbage", 12)));
    EXPECT_FALSE(probe(std::string("PK\x03\x04", 4)));
}

}  // namespace
