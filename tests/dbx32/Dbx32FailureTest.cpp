// SPDX-License-Identifier: GPL-3.0-or-later
// libDbx32 when the design tool is missing, dead or misbehaving, and when the runtime directory
// is not private: the open fails within a few seconds and every walk call returns non-zero.
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>

#include "FakeDesignTool.h"
#include "LiveHostFixture.h"

namespace dbxtest {
namespace {

using Clock = std::chrono::steady_clock;

const char* kSmallDesign = R"({"padStyles": [{"name": "P"}],
  "components": [{"refDes": "R5", "pads": [{"number": "1", "style": "P"}]}]})";

// Opens with a fresh context; expects failure within the limit and a walk that ends at once.
void ExpectOpenFails(const char* why, std::chrono::milliseconds limit = std::chrono::seconds(5)) {
    DesignContext context;
    const auto start = Clock::now();
    EXPECT_NE(TOpenDesign(DBX_OPEN_MODE, DBX_OPEN_VERSION, DBX_OPEN_TOOL, &context), 0) << why;
    EXPECT_LT(Clock::now() - start, limit) << why;
    ComponentRecord component;
    EXPECT_NE(TGetFirstComponent(&context, &component), 0) << why;
    EXPECT_NE(TGetNextComponent(&context, &component), 0) << why;
    PadRecord pad;
    EXPECT_NE(TGetFirstCompPad(&context, "R5", &pad), 0) << why;
    TCloseDesign(&context, "");
}

class Dbx32FailureTest : public LiveHostFixture {};

TEST_F(Dbx32FailureTest, NoToolRunningFailsFast) {
    ExpectOpenFails("no runtime directory", std::chrono::milliseconds(1500));
    ASSERT_EQ(::mkdir(dir_.dbxDir().c_str(), 0700), 0);
    ExpectOpenFails("no socket", std::chrono::milliseconds(1500));
}

TEST_F(Dbx32FailureTest, KilledToolFailsTheNextOpenButNotTheSnapshotAlreadyTaken) {
    StartHost(kSmallDesign);
    OpenedDesign before;
    ASSERT_EQ(before.status, 0);
    host_->Kill();
    ExpectOpenFails("killed tool (stale socket file)", std::chrono::milliseconds(1500));
    // The open design is served from its snapshot; a highlight cannot reach the tool.
    ComponentRecord component;
    ASSERT_EQ(TGetFirstComponent(&before.context, &component), 0);
    EXPECT_STREQ(component.refDes, "R5");
    EXPECT_NE(THighlightComponent(&before.context, DBX_COLOUR_CYAN, &component), 0);
}

TEST_F(Dbx32FailureTest, MisbehavingToolsAreRefused) {
    ASSERT_EQ(::mkdir(dir_.dbxDir().c_str(), 0700), 0);
    using Reply = FakeDesignTool::Reply;
    const std::pair<Reply, const char*> cases[] = {
        {Reply::Garbage, "garbage"},
        {Reply::HugeLength, "huge length"},
        {Reply::Nothing, "no answer"},
        {Reply::TruncatedFrame, "truncated frame"},
        {Reply::MalformedSnapshot, "malformed snapshot"},
        {Reply::WrongType, "wrong reply type"},
    };
    for (const auto& [reply, why] : cases) {
        FakeDesignTool tool(dir_.socketPath(), reply);
        ExpectOpenFails(why);
        EXPECT_EQ(tool.connections(), 1) << why;
    }
}

class Dbx32RuntimeDirTest : public LiveHostFixture {
  protected:
    void SetUp() override { StartHost(kSmallDesign); }
};

TEST_F(Dbx32RuntimeDirTest, ADirectoryOthersCanEnterIsRefused) {
    {
        OpenedDesign design;
        ASSERT_EQ(design.status, 0) << "the private directory works";
    }
    ASSERT_EQ(::chmod(dir_.dbxDir().c_str(), 0755), 0);
    ExpectOpenFails("mode 0755");
    ASSERT_EQ(::chmod(dir_.dbxDir().c_str(), 0700), 0);
    OpenedDesign again;
    EXPECT_EQ(again.status, 0);
}

TEST_F(Dbx32RuntimeDirTest, ASymlinkedDirectoryIsRefused) {
    const std::string real = dir_.path() + "/real";
    std::filesystem::rename(dir_.dbxDir(), real);
    std::filesystem::create_directory_symlink(real, dir_.dbxDir());
    ExpectOpenFails("symlink");
    std::filesystem::remove(dir_.dbxDir());
    std::filesystem::rename(real, dir_.dbxDir());
}

TEST_F(Dbx32RuntimeDirTest, ADirectoryOwnedBySomeoneElseIsRefused) {
    if (::getuid() != 0) GTEST_SKIP() << "changing the owner needs root";
    ASSERT_EQ(::chown(dir_.dbxDir().c_str(), 65534, 65534), 0);
    ExpectOpenFails("owned by nobody");
    ASSERT_EQ(::chown(dir_.dbxDir().c_str(), 0, 0), 0);
}

}  // namespace
}  // namespace dbxtest
