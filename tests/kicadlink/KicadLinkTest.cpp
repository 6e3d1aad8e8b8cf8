// SPDX-License-Identifier: GPL-3.0-or-later
// The link to KiCad against a stand-in IPC server and a stand-in cross-probe listener: what is
// sent, the status lines, and the faults of a KiCad that misbehaves.
#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "FakeKicadIpcServer.h"
#include "KicadIpcClient.h"
#include "KicadLink.h"
#include "StatusLines.h"

namespace {

using kicadlinktest::FakeKicadIpcServer;
using kicadlinktest::StatusLines;
using pcbhost::kicadlink::KicadLink;
using namespace std::chrono_literals;

constexpr const char* kToken = "kicad-token-1";

std::vector<FakeKicadIpcServer::Footprint> Footprints() {
    return {{"id-r1", "R1"}, {"id-u2", "U2"}, {"id-r7a", "R7"}, {"id-r7b", "R7"}};
}

// A TCP port on loopback that nothing listens on.
uint16_t UnusedPort() {
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address);
    socklen_t length = sizeof address;
    ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length);
    ::close(fd);
    return ntohs(address.sin_port);
}

class KicadLinkIpcTest : public ::testing::Test {
  protected:
    void SetUp() override {
        dir_ = std::filesystem::temp_directory_path() /
               ("kicadlink-test-" + std::to_string(::getpid()) + "-" +
                ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::create_directories(dir_);
        url_ = "ipc://" + (dir_ / "api.sock").string();
        server_ =
            std::make_unique<FakeKicadIpcServer>(url_, kToken, Footprints(), "board.kicad_pcb");
        ASSERT_TRUE(server_->Start());
    }
    void TearDown() override {
        link_.reset();
        server_.reset();
        std::filesystem::remove_all(dir_);
    }

    KicadLink::Options Options(std::string token = "") const {
        KicadLink::Options options;
        options.boardPath = "/boards/board.kicad_pcb";
        options.ipcUrls = std::vector<std::string>{url_};
        options.crossProbePort = UnusedPort();
        options.deadline = 300ms;
        options.liveBoardInterval = 50ms;
        options.token = std::move(token);
        return options;
    }
    void StartLink(KicadLink::Options options, KicadLink::LiveBoardHandler onLive = {}) {
        link_ = std::make_unique<KicadLink>(
            std::move(options), [this](const std::string& line) { status_.Add(line); },
            std::move(onLive));
        link_->Start();
    }
    std::string Prefix() const { return "kicad: KiCad IPC at " + url_ + ": "; }

    std::filesystem::path dir_;
    std::string url_;
    std::unique_ptr<FakeKicadIpcServer> server_;
    StatusLines status_;
    std::unique_ptr<KicadLink> link_;
};

TEST_F(KicadLinkIpcTest, SelectsTheFootprintsOfAReferenceThroughTheEnvelope) {
    StartLink(Options());
    EXPECT_EQ(status_.WaitFor("linked"), "linked to KiCad IPC at " + url_);

    link_->Highlight("U2");
    EXPECT_TRUE(server_->WaitForSelection({"id-u2"}));
    // A reference used twice selects both footprints, and only them.
    link_->Highlight("R7");
    EXPECT_TRUE(server_->WaitForSelection({"id-r7a", "id-r7b"}));

    const auto requests = server_->Requests();
    ASSERT_EQ(requests.size(), 5u);
    EXPECT_EQ(requests[0].typeUrl, "type.googleapis.com/kiapi.common.commands.GetItems");
    EXPECT_EQ(requests[0].types, std::vector<int>{1});
    EXPECT_EQ(requests[0].token, "");  // no token given: KiCad's first answer brings it
    EXPECT_EQ(requests[1].typeUrl, "type.googleapis.com/kiapi.common.commands.ClearSelection");
    EXPECT_EQ(requests[2].typeUrl, "type.googleapis.com/kiapi.common.commands.AddToSelection");
    EXPECT_EQ(requests[2].ids, std::vector<std::string>{"id-u2"});
    EXPECT_EQ(requests[4].ids, (std::vector<std::string>{"id-r7a", "id-r7b"}));
    for (std::size_t i = 0; i < requests.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(requests[i].clientName, "pcbhost");
        EXPECT_EQ(requests[i].boardFileName, "board.kicad_pcb");
        if (i > 0) {
            EXPECT_EQ(requests[i].token, kToken);
        }
    }

    // A reference KiCad does not have: the footprints are asked for again, nothing changes.
    link_->Highlight("NOPE");
    ASSERT_TRUE(server_->WaitForRequests(6));
    link_->Highlight("R1");
    EXPECT_TRUE(server_->WaitForSelection({"id-r1"}));
    EXPECT_EQ(server_->Requests()[5].typeUrl, "type.googleapis.com/kiapi.common.commands.GetItems");
    EXPECT_EQ(status_.All().size(), 1u);
}

TEST_F(KicadLinkIpcTest, ARefusedTokenIsSaidOnceAndNothingIsSelected) {
    StartLink(Options("not-the-token"));
    EXPECT_EQ(status_.WaitFor("kicad:"),
              Prefix() + "token refused (the given token did not match)");
    link_->Highlight("U2");
    link_->Highlight("R1");
    ASSERT_TRUE(server_->WaitForRequests(2));
    link_.reset();
    EXPECT_TRUE(server_->Selection().empty());
    EXPECT_EQ(status_.All().size(), 1u);
}

TEST_F(KicadLinkIpcTest, NotReadyAndBusyAreSaidAndTheLinkStays) {
    StartLink(Options());
    ASSERT_NE(status_.WaitFor("linked"), "");
    server_->SetBehaviour(FakeKicadIpcServer::Behaviour::NotReady);
    link_->Highlight("U2");
    EXPECT_EQ(status_.WaitFor("kicad:"), Prefix() + "not ready (KiCad is not ready to reply)");
    server_->SetBehaviour(FakeKicadIpcServer::Behaviour::Busy);
    link_->Highlight("U2");
    EXPECT_EQ(status_.WaitFor("kicad:"), Prefix() + "busy (KiCad is busy and cannot respond)");
    server_->SetBehaviour(FakeKicadIpcServer::Behaviour::Answer);
    link_->Highlight("U2");
    EXPECT_TRUE(server_->WaitForSelection({"id-u2"}));
    EXPECT_EQ(status_.All().size(), 3u);  // not linked a second time
}

TEST_F(KicadLinkIpcTest, AnotherBoardOpenInKicadIsSaidAtLinkAndAtEachHighlight) {
    auto options = Options();
    options.boardPath = "/boards/other.kicad_pcb";
    StartLink(options);
    EXPECT_EQ(status_.WaitFor("linked"), "linked to KiCad IPC at " + url_);
    const std::string said = Prefix() + "request refused (KiCad has no board other.kicad_pcb open)";
    EXPECT_EQ(status_.WaitFor("kicad:"), said);
    link_->Highlight("U2");
    ASSERT_TRUE(server_->WaitForRequests(2));
    link_->Highlight("R1");  // the same again: said once
    ASSERT_TRUE(server_->WaitForRequests(3));
    link_.reset();
    EXPECT_EQ(status_.All().size(), 2u);
    EXPECT_TRUE(server_->Selection().empty());
}

struct Fault {
    FakeKicadIpcServer::Behaviour behaviour;
    std::string said;
};
void PrintTo(const Fault& fault, std::ostream* out) {
    *out << fault.said;
}

class KicadLinkFaultTest : public KicadLinkIpcTest, public ::testing::WithParamInterface<Fault> {};

// The highlight gives up at the deadline with one line, and the link is usable afterwards.
TEST_P(KicadLinkFaultTest, AFaultyAnswerIsOneLineAndNothingHangs) {
    StartLink(Options());
    ASSERT_NE(status_.WaitFor("linked"), "");
    server_->SetBehaviour(GetParam().behaviour, 800ms);
    link_->Highlight("U2");
    EXPECT_EQ(status_.WaitFor("kicad:"), Prefix() + GetParam().said);
    link_->Highlight("U2");  // the same fault again: no second line
    ASSERT_TRUE(server_->WaitForRequests(3));
    server_->SetBehaviour(FakeKicadIpcServer::Behaviour::Answer);
    link_->Highlight("R1");
    EXPECT_TRUE(server_->WaitForSelection({"id-r1"}));
    int faultLines = 0;
    for (const auto& line : status_.All()) faultLines += line.rfind("kicad:", 0) == 0;
    EXPECT_EQ(faultLines, 1);
}

INSTANTIATE_TEST_SUITE_P(
    Faults, KicadLinkFaultTest,
    ::testing::Values(Fault{FakeKicadIpcServer::Behaviour::Silent, "no answer (within 300 ms)"},
                      Fault{FakeKicadIpcServer::Behaviour::Slow, "no answer (within 300 ms)"},
                      Fault{FakeKicadIpcServer::Behaviour::Garbage,
                            "garbled answer (not a reply envelope)"}));

TEST_F(KicadLinkIpcTest, AKicadThatClosesMidRequestIsSaidAndThenNotRunning) {
    StartLink(Options());
    ASSERT_NE(status_.WaitFor("linked"), "");
    server_->SetBehaviour(FakeKicadIpcServer::Behaviour::CloseMidRequest);
    link_->Highlight("U2");
    EXPECT_EQ(status_.WaitFor("kicad:"), Prefix() + "connection closed");
    link_->Highlight("U2");
    EXPECT_EQ(status_.WaitFor("kicad:"), "kicad: not running");
}

TEST_F(KicadLinkIpcTest, AnAnswerOfTheWrongMessageIsNotALink) {
    server_->SetBehaviour(FakeKicadIpcServer::Behaviour::WrongMessage);
    StartLink(Options());
    EXPECT_EQ(status_.WaitFor("kicad:"),
              Prefix() +
                  "garbled answer (expected kiapi.common.commands.GetItemsResponse, got "
                  "type.googleapis.com/kiapi.common.commands.SavedDocumentResponse)");
}

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

class LiveBoards {
  public:
    void Add(std::shared_ptr<const pcbhost::Design> design) {
        std::lock_guard lock(mutex_);
        designs_.push_back(std::move(design));
        added_.notify_all();
    }
    std::shared_ptr<const pcbhost::Design> WaitFor(std::size_t count) {
        std::unique_lock lock(mutex_);
        added_.wait_for(lock, 10s, [&] { return designs_.size() >= count; });
        return designs_.size() >= count ? designs_[count - 1] : nullptr;
    }
    std::size_t Count() {
        std::lock_guard lock(mutex_);
        return designs_.size();
    }

  private:
    std::mutex mutex_;
    std::condition_variable added_;
    std::vector<std::shared_ptr<const pcbhost::Design>> designs_;
};

TEST_F(KicadLinkIpcTest, ServesTheLiveBoardAndSaysWhenItDoesNotRead) {
    server_->SetBoardText(ReadFile(PARTWISE_SOURCE_DIR "/examples/demo.kicad_pcb"));
    LiveBoards live;
    StartLink(Options(), [&](auto design) { live.Add(std::move(design)); });
    const auto design = live.WaitFor(1);
    ASSERT_NE(design, nullptr);
    EXPECT_EQ(design->components.size(), 69u);

    server_->SetBoardText("(kicad_pcb (version 20211014) (footprint");
    const std::string said = status_.WaitFor("kicad: live board does not read");
    EXPECT_NE(said.find("/boards/board.kicad_pcb (live from KiCad)"), std::string::npos) << said;
    EXPECT_EQ(live.Count(), 1u);
}

TEST_F(KicadLinkIpcTest, AKicadWithoutTheBoardTextIsFollowedThroughTheSavedFileSaidOnce) {
    LiveBoards live;
    StartLink(Options(), [&](auto design) { live.Add(std::move(design)); });
    EXPECT_EQ(status_.WaitFor("kicad:"),
              "kicad: live board not available (request refused (AS_UNHANDLED: no handler for "
              "that request)); following the saved file");
    link_->Highlight("U2");  // highlights go on
    EXPECT_TRUE(server_->WaitForSelection({"id-u2"}));
    std::this_thread::sleep_for(200ms);  // several poll intervals: it is not asked again
    link_.reset();
    int saves = 0;
    for (const auto& request : server_->Requests())
        saves += request.typeUrl.find("SaveDocumentToString") != std::string::npos;
    EXPECT_EQ(saves, 1);
    EXPECT_EQ(live.Count(), 0u);
}

TEST(KicadIpcSocketTest, IsLookedForWhereKicadPutsIt) {
    const auto dir = std::filesystem::temp_directory_path() /
                     ("kicadlink-sockets-" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir / "kicad");
    for (const char* name : {"api.sock", "api-4711.sock", "api-.sock", "other.sock"})
        std::ofstream(dir / "kicad" / name).put('x');
    ::setenv("TMPDIR", dir.c_str(), 1);
    ::unsetenv("KICAD_API_SOCKET");
    const std::string kicadDir = "ipc://" + (dir / "kicad").string();
    EXPECT_EQ(pcbhost::kicadlink::KicadIpcClient::CandidateUrls(),
              (std::vector<std::string>{kicadDir + "/api.sock", kicadDir + "/api-4711.sock"}));
    // A client KiCad launched is told its socket.
    ::setenv("KICAD_API_SOCKET", "/run/kicad/api-1.sock", 1);
    EXPECT_EQ(pcbhost::kicadlink::KicadIpcClient::CandidateUrls().front(),
              "ipc:///run/kicad/api-1.sock");
    ::unsetenv("KICAD_API_SOCKET");
    ::unsetenv("TMPDIR");
    std::filesystem::remove_all(dir);
}

// A listener standing in for KiCad 6's cross-probe port: collects what each connection sent.
class CrossProbeListener {
  public:
    CrossProbeListener() {
        fd_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        ::bind(fd_, reinterpret_cast<sockaddr*>(&address), sizeof address);
        ::listen(fd_, 8);
        socklen_t length = sizeof address;
        ::getsockname(fd_, reinterpret_cast<sockaddr*>(&address), &length);
        port_ = ntohs(address.sin_port);
    }
    ~CrossProbeListener() { Close(); }
    void Close() {
        if (fd_ >= 0) ::close(fd_);
        fd_ = -1;
    }
    uint16_t port() const { return port_; }
    // The next message a connection sent that is not empty; "" after the timeout.
    std::string NextMessage(std::chrono::milliseconds timeout = 5s) {
        const auto end = std::chrono::steady_clock::now() + timeout;
        while (std::chrono::steady_clock::now() < end) {
            pollfd p{fd_, POLLIN, 0};
            if (::poll(&p, 1, 100) <= 0) continue;
            const int client = ::accept(fd_, nullptr, nullptr);
            if (client < 0) continue;
            std::string message;
            char buffer[256];
            for (ssize_t n; (n = ::read(client, buffer, sizeof buffer)) > 0;)
                message.append(buffer, static_cast<std::size_t>(n));
            ::close(client);
            if (!message.empty()) return message;
        }
        return "";
    }

  private:
    int fd_ = -1;
    uint16_t port_ = 0;
};

TEST(KicadLinkCrossProbeTest, SendsThePartAndSaysWhenTheEditorGoes) {
    CrossProbeListener kicad;
    StatusLines status;
    KicadLink::Options options;
    options.boardPath = "board.kicad_pcb";
    options.ipcUrls = std::vector<std::string>{};
    options.crossProbePort = kicad.port();
    options.deadline = 300ms;
    KicadLink link(options, [&](const std::string& line) { status.Add(line); });
    link.Start();
    EXPECT_EQ(status.WaitFor("linked"),
              "linked to KiCad cross-probe on 127.0.0.1:" + std::to_string(kicad.port()));
    link.Highlight("U7");
    EXPECT_EQ(kicad.NextMessage(), "$PART: \"U7\"");
    link.Highlight("R12");
    EXPECT_EQ(kicad.NextMessage(), "$PART: \"R12\"");

    kicad.Close();
    link.Highlight("U7");
    EXPECT_EQ(status.WaitFor("kicad:"), "kicad: cross-probe on 127.0.0.1:" +
                                            std::to_string(kicad.port()) + ": Connection refused");
    link.Highlight("U7");
    EXPECT_EQ(status.WaitFor("kicad:"), "kicad: not running");
}

TEST(KicadLinkCrossProbeTest, NothingThereIsNotRunning) {
    StatusLines status;
    KicadLink::Options options;
    options.boardPath = "board.kicad_pcb";
    options.ipcUrls = std::vector<std::string>{"ipc:///nonexistent/kicad/api.sock"};
    options.crossProbePort = UnusedPort();
    KicadLink link(options, [&](const std::string& line) { status.Add(line); });
    link.Start();
    EXPECT_EQ(status.WaitFor("kicad:"), "kicad: not running");
    link.Stop();
    EXPECT_EQ(status.All().size(), 1u);
}

}  // namespace
