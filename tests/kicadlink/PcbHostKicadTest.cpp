// SPDX-License-Identifier: GPL-3.0-or-later
// pcbhost --kicad beside a stand-in KiCad IPC server, highlights sent through libDbx32: the
// highlight line and the board view never wait on KiCad.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>

#include "FakeKicadIpcServer.h"
#include "LiveHostFixture.h"

namespace {

using dbxtest::OpenedDesign;
using kicadlinktest::FakeKicadIpcServer;

constexpr const char* kDesign = R"({
  "padStyles": [{"name": "SMD"}],
  "components": [
    {"refDes": "R1", "pads": [{"number": "1", "style": "SMD"}]},
    {"refDes": "U2", "pads": [{"number": "1", "style": "SMD"}]}
  ]
})";

bool FindComponent(DesignContext& context, const char* refDes, ComponentRecord* out) {
    for (int32_t rc = TGetFirstComponent(&context, out); rc == 0;
         rc = TGetNextComponent(&context, out))
        if (std::strcmp(out->refDes, refDes) == 0) return true;
    return false;
}

class PcbHostKicadTest : public dbxtest::LiveHostFixture {
  protected:
    void SetUp() override {
        const std::string socket = dir_.path() + "/api.sock";
        ::setenv("KICAD_API_SOCKET", socket.c_str(), 1);
        ::setenv("TMPDIR", dir_.path().c_str(), 1);
        server_ = std::make_unique<FakeKicadIpcServer>(
            "ipc://" + socket, "tok",
            std::vector<FakeKicadIpcServer::Footprint>{{"a", "R1"}, {"b", "U2"}}, "design.json");
        ASSERT_TRUE(server_->Start());
    }
    // With `named` false, pcbhost is not told the board: it serves the one KiCad has open.
    void StartKicadHost(bool named = true) {
        designPath_ = dir_.WriteFile("design.json", kDesign);
        std::vector<std::string> args{PCBHOST_EXECUTABLE, "--headless", "--kicad"};
        if (named) args.push_back(designPath_);
        host_ = std::make_unique<dbxtest::PcbHostProcess>(args);
        ASSERT_NE(host_->WaitForLine("serving "), "") << host_->output();
    }
    void TearDown() override {
        host_.reset();
        server_.reset();
        ::unsetenv("KICAD_API_SOCKET");
        ::unsetenv("TMPDIR");
    }

    std::unique_ptr<FakeKicadIpcServer> server_;
};

TEST_F(PcbHostKicadTest, HighlightsReachKicadAndGoOnWhenKicadFallsSilent) {
    StartKicadHost();
    EXPECT_EQ(host_->WaitForLine("linked"),
              "linked to KiCad IPC at ipc://" + dir_.path() + "/api.sock");
    OpenedDesign design;
    ASSERT_EQ(design.status, 0);
    ComponentRecord r1, u2;
    ASSERT_TRUE(FindComponent(design.context, "R1", &r1));
    ASSERT_TRUE(FindComponent(design.context, "U2", &u2));

    EXPECT_EQ(THighlightComponent(&design.context, DBX_COLOUR_RED, &u2), 0);
    EXPECT_EQ(host_->WaitForLine("highlight"), "highlight U2 RED");
    EXPECT_TRUE(server_->WaitForSelection({"b"}));

    // KiCad stops answering: the highlight is printed (and drawn) at once, KiCad's silence is
    // said after the deadline, and serving goes on meanwhile.
    server_->SetBehaviour(FakeKicadIpcServer::Behaviour::Silent);
    EXPECT_EQ(THighlightComponent(&design.context, DBX_COLOUR_CYAN, &r1), 0);
    EXPECT_EQ(host_->WaitForLine("highlight"), "highlight R1 CYAN");
    EXPECT_EQ(THighlightComponent(&design.context, DBX_COLOUR_YELLOW, &u2), 0);
    EXPECT_EQ(host_->WaitForLine("highlight"), "highlight U2 YELLOW");
    // R1 may be overtaken by U2 before it is sent: KiCad shows one selection.
    EXPECT_NE(host_->WaitForLine("kicad: highlight "), "") << host_->output();
    const std::string output = host_->output();
    EXPECT_LT(output.find("highlight U2 YELLOW"), output.find("kicad: highlight"));

    server_->SetBehaviour(FakeKicadIpcServer::Behaviour::Answer);
    EXPECT_EQ(THighlightComponent(&design.context, DBX_COLOUR_RED, &r1), 0);
    EXPECT_TRUE(server_->WaitForSelection({"a"}));
}

TEST_F(PcbHostKicadTest, TheBoardKicadHoldsIsServedAtTheNextOpen) {
    std::ifstream in(PARTWISE_SOURCE_DIR "/examples/demo.kicad_pcb", std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    server_->SetBoardText(text.str());
    StartKicadHost();
    ASSERT_NE(host_->WaitForLine("linked"), "");
    // Not asked for before a client wants the design: writing it out stalls KiCad.
    EXPECT_TRUE(server_->WaitForRequests(2));
    for (const auto& request : server_->Requests())
        EXPECT_EQ(request.typeUrl.find("SaveDocumentToString"), std::string::npos);
    OpenedDesign design;
    ASSERT_EQ(design.status, 0);
    ComponentRecord component;
    int components = 0;
    for (int32_t rc = TGetFirstComponent(&design.context, &component); rc == 0;
         rc = TGetNextComponent(&design.context, &component))
        ++components;
    EXPECT_EQ(components, 69);
    EXPECT_EQ(host_->WaitForLine("live board"), "live board from KiCad (69 components)");
}

TEST_F(PcbHostKicadTest, WithoutABoardFileServesTheBoardKicadHasOpen) {
    server_->SetProjectPath(dir_.path());
    StartKicadHost(false);
    EXPECT_EQ(host_->output().rfind("serving " + designPath_ + " (2 components)", 0), 0u)
        << host_->output();
    EXPECT_EQ(host_->WaitForLine("linked"),
              "linked to KiCad IPC at ipc://" + dir_.path() + "/api.sock");
}

TEST_F(PcbHostKicadTest, WithoutABoardFileAndWithoutKicadSaysWhatToDo) {
    server_.reset();
    ::setenv("KICAD_API_SOCKET", (dir_.path() + "/nothing-here.sock").c_str(), 1);
    dbxtest::PcbHostProcess host({PCBHOST_EXECUTABLE, "--headless", "--kicad"});
    EXPECT_EQ(host.WaitForExit(), 1);
    // "is not running", or "its API is off" where a KiCad answers on port 4242.
    EXPECT_NE(host.output().find("pcbhost: --kicad without a board: KiCad "), std::string::npos)
        << host.output();
    EXPECT_NE(host.output().find("or name the board file"), std::string::npos);
}

}  // namespace
