// SPDX-License-Identifier: GPL-3.0-or-later
// What pcbhost does for the library: highlight lines, reloading, one server per socket, a clean
// end on SIGTERM.
#include <signal.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>

#include "LiveHostFixture.h"

namespace dbxtest {
namespace {

std::string Design(const std::string& refDes) {
    return R"({"components": [{"refDes": "R1"}, {"refDes": ")" + refDes +
           R"("}, {"refDes": "R1"}]})";
}

// The record of the first component with the refdes, from a fresh walk.
bool FindComponent(DesignContext& context, const char* refDes, ComponentRecord* out) {
    for (int32_t s = TGetFirstComponent(&context, out); s == 0;
         s = TGetNextComponent(&context, out))
        if (std::string(out->refDes) == refDes) return true;
    return false;
}

class Dbx32HostTest : public LiveHostFixture {};

TEST_F(Dbx32HostTest, HighlightIsPrintedWithItsColourName) {
    StartHost(Design("R5"));
    OpenedDesign design;
    ASSERT_EQ(design.status, 0);
    ComponentRecord component;
    ASSERT_TRUE(FindComponent(design.context, "R5", &component));
    EXPECT_EQ(THighlightComponent(&design.context, DBX_COLOUR_CYAN, &component), 0);
    EXPECT_EQ(host_->WaitForLine("highlight"), "highlight R5 CYAN");
    EXPECT_EQ(THighlightComponent(&design.context, DBX_COLOUR_RED, &component), 0);
    EXPECT_EQ(host_->WaitForLine("highlight"), "highlight R5 RED");
    EXPECT_EQ(THighlightComponent(&design.context, 99, &component), 0);
    EXPECT_EQ(host_->WaitForLine("highlight"), "highlight R5 99");

    ComponentRecord unknown = component;
    std::strcpy(unknown.refDes, "NO!");
    EXPECT_NE(THighlightComponent(&design.context, DBX_COLOUR_YELLOW, &unknown), 0);
    EXPECT_NE(THighlightComponent(&design.context, DBX_COLOUR_YELLOW, nullptr), 0);
    // The next line printed is that of the next good request.
    EXPECT_EQ(THighlightComponent(&design.context, DBX_COLOUR_YELLOW, &component), 0);
    EXPECT_EQ(host_->WaitForLine("highlight"), "highlight R5 YELLOW");
}

TEST_F(Dbx32HostTest, HighlightsAreAnsweredWhileNobodyReadsTheToolsOutput) {
    const std::string refDes(60, 'R');
    StartHost(Design(refDes));
    OpenedDesign design;
    ASSERT_EQ(design.status, 0);
    ComponentRecord component;
    ASSERT_TRUE(FindComponent(design.context, refDes.c_str(), &component));
    // About 70 bytes a line: 2000 lines overfill the output pipe several times.
    int failed = 0;
    for (int i = 0; i < 2000 && failed == 0; ++i)
        failed += THighlightComponent(&design.context, DBX_COLOUR_RED, &component) != 0;
    EXPECT_EQ(failed, 0) << "a highlight waited on the tool's stdout";
    OpenedDesign again;
    EXPECT_EQ(again.status, 0);
    EXPECT_EQ(host_->WaitForLine("highlight"), "highlight " + refDes + " RED");
}

TEST_F(Dbx32HostTest, ReloadsAChangedFileAndKeepsTheLastGoodDesignOnErrors) {
    StartHost(Design("R5"));
    OpenedDesign old;
    ASSERT_EQ(old.status, 0);
    ComponentRecord oldRecord;
    ASSERT_TRUE(FindComponent(old.context, "R5", &oldRecord));

    dir_.WriteFile("design.json", Design("C7"));
    ASSERT_NE(host_->WaitForLine("reloaded"), "") << host_->output();
    {
        OpenedDesign design;
        ASSERT_EQ(design.status, 0);
        ComponentRecord component;
        EXPECT_TRUE(FindComponent(design.context, "C7", &component));
        EXPECT_FALSE(FindComponent(design.context, "R5", &component));
    }
    // A record from the earlier design still names a component by its refdes.
    EXPECT_NE(THighlightComponent(&old.context, DBX_COLOUR_CYAN, &oldRecord), 0) << "R5 is gone";

    dir_.WriteFile("design.json", "{\n  \"components\": [\n    {\"refDes\": 5}\n  ]\n}\n");
    const std::string error = host_->WaitForLine("error");
    EXPECT_NE(error.find(designPath_ + ":3: \"refDes\" must be a string"), std::string::npos)
        << error;
    dir_.WriteFile("design.json", "{\n  \"components\": [\n");
    EXPECT_NE(host_->WaitForLine(designPath_ + ":3:"), "") << host_->output();
    OpenedDesign design;
    ASSERT_EQ(design.status, 0);
    ComponentRecord component;
    EXPECT_TRUE(FindComponent(design.context, "C7", &component)) << "the last good design";
}

TEST_F(Dbx32HostTest, ASecondHostRefusesWhileTheFirstServesAndReplacesAStaleSocket) {
    StartHost(Design("R5"));
    {
        PcbHostProcess second({PCBHOST_EXECUTABLE, "--headless", designPath_});
        EXPECT_EQ(second.WaitForExit(), 1);
        EXPECT_NE(second.output().find("already serving"), std::string::npos) << second.output();
    }
    OpenedDesign stillServed;
    EXPECT_EQ(stillServed.status, 0);

    host_->Kill();
    ASSERT_TRUE(std::filesystem::exists(dir_.socketPath())) << "SIGKILL leaves the socket";
    PcbHostProcess third({PCBHOST_EXECUTABLE, "--headless", designPath_});
    ASSERT_NE(third.WaitForLine("serving "), "") << third.output();
    OpenedDesign design;
    EXPECT_EQ(design.status, 0);
}

TEST_F(Dbx32HostTest, SigtermEndsTheHostAndRemovesTheSocket) {
    StartHost(Design("R5"));
    ASSERT_TRUE(std::filesystem::exists(dir_.socketPath()));
    host_->Signal(SIGTERM);
    EXPECT_EQ(host_->WaitForExit(), 0);
    EXPECT_FALSE(std::filesystem::exists(dir_.socketPath()));
}

TEST_F(Dbx32HostTest, ABadDesignAtStartIsReportedWithItsLine) {
    const std::string path = dir_.WriteFile("bad.json", "{\n\n  \"padStyles\": 3\n}\n");
    PcbHostProcess host({PCBHOST_EXECUTABLE, "--headless", path});
    EXPECT_EQ(host.WaitForExit(), 1);
    EXPECT_NE(host.output().find(path + ":3: \"padStyles\" must be an array"), std::string::npos)
        << host.output();
}

}  // namespace
}  // namespace dbxtest
