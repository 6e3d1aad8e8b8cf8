// SPDX-License-Identifier: GPL-3.0-or-later
// DBX32_LOG=1: each failed exchange with the design tool says why on one line of stderr; without
// it the library is silent.
#include <stdlib.h>
#include <sys/stat.h>

#include <string>
#include <vector>

#include "FakeDesignTool.h"
#include "LiveHostFixture.h"

namespace dbxtest {
namespace {

const char* kSmallDesign = R"({"padStyles": [{"name": "P"}],
  "components": [{"refDes": "R5", "pads": [{"number": "1", "style": "P"}]}]})";

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    for (std::size_t end; (end = text.find('\n', start)) != std::string::npos; start = end + 1)
        lines.push_back(text.substr(start, end - start));
    if (start < text.size()) lines.push_back(text.substr(start));
    return lines;
}

class Dbx32FailureLogTest : public LiveHostFixture {
  protected:
    void SetUp() override { ::setenv("DBX32_LOG", "1", 1); }
    void TearDown() override { ::unsetenv("DBX32_LOG"); }

    // What a failing open wrote on stderr.
    static std::string FailedOpenLog() {
        ::testing::internal::CaptureStderr();
        DesignContext context;
        EXPECT_NE(TOpenDesign(DBX_OPEN_MODE, DBX_OPEN_VERSION, DBX_OPEN_TOOL, &context), 0);
        return ::testing::internal::GetCapturedStderr();
    }

    // Expects exactly one line, from the call, containing the reason.
    static void ExpectOneLine(const std::string& log, const std::string& call,
                              const std::string& reason) {
        const auto lines = Lines(log);
        ASSERT_EQ(lines.size(), 1u) << log;
        EXPECT_EQ(lines[0].rfind("libDbx32: " + call + " failed: ", 0), 0u) << lines[0];
        EXPECT_NE(lines[0].find(reason), std::string::npos) << lines[0];
    }
};

TEST_F(Dbx32FailureLogTest, SilentUnlessAskedAndOnSuccess) {
    ::setenv("DBX32_LOG", "0", 1);
    EXPECT_EQ(FailedOpenLog(), "");
    ::unsetenv("DBX32_LOG");
    EXPECT_EQ(FailedOpenLog(), "");

    ::setenv("DBX32_LOG", "1", 1);
    StartHost(kSmallDesign);
    ::testing::internal::CaptureStderr();
    {
        OpenedDesign design;
        EXPECT_EQ(design.status, 0);
        ComponentRecord unknown;
        EXPECT_NE(TGetFirstCompPad(&design.context, "NOPE", nullptr), 0);
        EXPECT_EQ(THighlightComponent(&design.context, DBX_COLOUR_RED, &unknown),
                  DBX_STATUS_HIGHLIGHT_NOT_FOUND)
            << "an answer from the tool, not a failed exchange";
    }
    EXPECT_EQ(::testing::internal::GetCapturedStderr(), "");
}

TEST_F(Dbx32FailureLogTest, NoToolAndDeadToolAreNamed) {
    ExpectOneLine(FailedOpenLog(), "TOpenDesign", "the tool is not running");
    ASSERT_EQ(::mkdir(dir_.dbxDir().c_str(), 0700), 0);
    ExpectOneLine(FailedOpenLog(), "TOpenDesign", "no socket: the tool is not running");

    StartHost(kSmallDesign);
    OpenedDesign before;
    ASSERT_EQ(before.status, 0);
    host_->Kill();
    ExpectOneLine(FailedOpenLog(), "TOpenDesign", "socket refused");
    ComponentRecord component;
    ASSERT_EQ(TGetFirstComponent(&before.context, &component), 0);
    ::testing::internal::CaptureStderr();
    EXPECT_EQ(THighlightComponent(&before.context, DBX_COLOUR_CYAN, &component),
              DBX_STATUS_NO_TOOL);
    ExpectOneLine(::testing::internal::GetCapturedStderr(), "THighlightComponent",
                  "socket refused");
}

TEST_F(Dbx32FailureLogTest, MisbehavingToolsAreNamed) {
    ASSERT_EQ(::mkdir(dir_.dbxDir().c_str(), 0700), 0);
    using Reply = FakeDesignTool::Reply;
    const std::pair<Reply, const char*> cases[] = {
        {Reply::Garbage, "bad reply: bad frame magic"},
        {Reply::HugeLength, "exceeds the limit"},
        {Reply::Nothing, "deadline passed"},
        {Reply::TruncatedFrame, "bad reply: truncated frame"},
        {Reply::MalformedSnapshot, "bad reply: "},
        {Reply::WrongType, "bad reply: the tool did not answer with a snapshot"},
    };
    for (const auto& [reply, reason] : cases) {
        SCOPED_TRACE(reason);
        FakeDesignTool tool(dir_.socketPath(), reply);
        ExpectOneLine(FailedOpenLog(), "TOpenDesign", reason);
    }
}

}  // namespace
}  // namespace dbxtest
