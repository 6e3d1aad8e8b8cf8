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
#include "KicadBoardFinder.h"
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
    // Linked, and the footprints looked up.
    void WaitLinked() {
        ASSERT_NE(status_.WaitFor("linked"), "");
        ASSERT_TRUE(server_->WaitForRequests(2));
        std::this_thread::sleep_for(20ms);  // the GetItems answer is read
    }

    std::filesystem::path dir_;
    std::string url_;
    std::unique_ptr<FakeKicadIpcServer> server_;
    StatusLines status_;
    std::unique_ptr<KicadLink> link_;
};

TEST_F(KicadLinkIpcTest, SelectsExactlyTheFootprintsOfAReferenceAndCentresThem) {
    StartLink(Options());
    EXPECT_EQ(status_.WaitFor("linked"), "linked to KiCad IPC at " + url_);

    link_->Highlight("U2");
    EXPECT_TRUE(server_->WaitForSelection({"id-u2"}));
    // A reference used twice selects both footprints, and only them.
    link_->Highlight("R7");
    EXPECT_TRUE(server_->WaitForSelection({"id-r7a", "id-r7b"}));
    ASSERT_TRUE(server_->WaitForRequests(8));

    const auto requests = server_->Requests();
    ASSERT_EQ(requests.size(), 8u);
    const std::string commands = "type.googleapis.com/kiapi.common.commands.";
    const char* expected[] = {"GetVersion", "GetItems",       "ClearSelection", "AddToSelection",
                              "RunAction",  "ClearSelection", "AddToSelection", "RunAction"};
    for (std::size_t i = 0; i < requests.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(requests[i].typeUrl, commands + expected[i]);
        EXPECT_EQ(requests[i].clientName, "pcbhost");
        // No token given: KiCad's first answer brings it.
        EXPECT_EQ(requests[i].token, i == 0 ? "" : kToken);
    }
    EXPECT_EQ(requests[1].types, std::vector<int>{1});
    EXPECT_EQ(requests[1].boardFileName, "board.kicad_pcb");
    EXPECT_EQ(requests[3].ids, std::vector<std::string>{"id-u2"});
    EXPECT_EQ(requests[4].action, "common.Control.centerSelection");
    EXPECT_EQ(requests[6].ids, (std::vector<std::string>{"id-r7a", "id-r7b"}));
    EXPECT_EQ(status_.All().size(), 1u);  // landed highlights say nothing
}

TEST_F(KicadLinkIpcTest, AReferenceNotOnKicadsBoardIsSaidAfterAskingAgain) {
    StartLink(Options());
    WaitLinked();
    link_->Highlight("NOPE");
    const std::string said = status_.WaitFor("kicad:");
    EXPECT_EQ(said, "kicad: highlight NOPE did not land: KiCad IPC at " + url_ +
                        ": not found (no footprint NOPE on KiCad's board board.kicad_pcb)");
    const auto requests = server_->Requests();
    ASSERT_EQ(requests.size(), 3u);  // the footprints asked for again; nothing selected
    EXPECT_EQ(requests[2].typeUrl, "type.googleapis.com/kiapi.common.commands.GetItems");
    // The same again is said again: each highlight that does not land is.
    link_->Highlight("NOPE");
    EXPECT_EQ(status_.WaitFor("kicad:"), said);
}

// KiCad 9 passes over an id it does not have without a word: a footprint deleted and re-created
// (new id) is looked up again, and one that is gone is said.
TEST_F(KicadLinkIpcTest, AStaleFootprintIdIsLookedUpAgainAndAnUnselectedOneSaid) {
    StartLink(Options());
    WaitLinked();
    server_->SetFootprints({{"id-u2-new", "U2"}, {"id-r1", "R1"}});
    link_->Highlight("U2");
    EXPECT_TRUE(server_->WaitForSelection({"id-u2-new"}));
    link_->Highlight("R1");
    EXPECT_TRUE(server_->WaitForSelection({"id-r1"}));
    ASSERT_TRUE(server_->WaitForRequests(11));
    std::this_thread::sleep_for(100ms);
    EXPECT_EQ(status_.All().size(), 1u);
}

TEST_F(KicadLinkIpcTest, ARefusedTokenIsSaidAndKicadsOwnIsLearnt) {
    StartLink(Options("not-the-token"));
    // The token handed down belongs to a KiCad that is gone: KiCad's own is learnt.
    EXPECT_EQ(status_.WaitFor("linked"), "linked to KiCad IPC at " + url_);
    link_->Highlight("U2");
    EXPECT_TRUE(server_->WaitForSelection({"id-u2"}));
    const auto requests = server_->Requests();
    EXPECT_EQ(requests.front().token, "not-the-token");
    EXPECT_EQ(requests.back().token, kToken);
}

TEST_F(KicadLinkIpcTest, AKicadRestartedWithANewTokenGetsTheNextHighlight) {
    StartLink(Options());
    WaitLinked();
    link_->Highlight("U2");
    ASSERT_TRUE(server_->WaitForSelection({"id-u2"}));
    ASSERT_TRUE(server_->WaitForRequests(5));  // the view action too
    std::this_thread::sleep_for(50ms);
    server_.reset();
    server_ = std::make_unique<FakeKicadIpcServer>(url_, "kicad-token-2", Footprints(),
                                                   "board.kicad_pcb");
    ASSERT_TRUE(server_->Start());
    std::this_thread::sleep_for(200ms);  // NNG dials the new socket again
    link_->Highlight("R1");
    EXPECT_TRUE(server_->WaitForSelection({"id-r1"})) << ::testing::PrintToString(status_.All());
    for (const auto& line : status_.All())
        EXPECT_EQ(line.find("did not land"), std::string::npos) << line;
}

TEST_F(KicadLinkIpcTest, NotReadyAndBusyAreSaidAndTheLinkStays) {
    StartLink(Options());
    WaitLinked();
    const std::string prefix = "kicad: highlight U2 did not land: KiCad IPC at " + url_ + ": ";
    server_->SetBehaviour(FakeKicadIpcServer::Behaviour::NotReady);
    link_->Highlight("U2");
    EXPECT_EQ(status_.WaitFor("kicad:"), prefix + "not ready (KiCad is not ready to reply)");
    server_->SetBehaviour(FakeKicadIpcServer::Behaviour::Busy);
    link_->Highlight("U2");
    EXPECT_EQ(status_.WaitFor("kicad:"), prefix + "busy (KiCad is busy and cannot respond)");
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
    EXPECT_EQ(status_.WaitFor("kicad:"),
              Prefix() +
                  "request refused (AS_UNHANDLED: no handler available for request of type "
                  "kiapi.common.commands.GetItems; it has board.kicad_pcb open)");
    link_->Highlight("U2");
    EXPECT_NE(status_.WaitFor("kicad: highlight U2 did not land"), "");
    link_.reset();
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

// The highlight gives up at its deadline with a line of its own, said well within 2 s, and the
// link is usable afterwards.
TEST_P(KicadLinkFaultTest, AFaultyAnswerIsSaidPerHighlightAndNothingHangs) {
    StartLink(Options());
    WaitLinked();
    server_->SetBehaviour(GetParam().behaviour, 800ms);
    const auto started = std::chrono::steady_clock::now();
    link_->Highlight("U2");
    const std::string said = status_.WaitFor("kicad:");
    EXPECT_LT(std::chrono::steady_clock::now() - started, 2s);
    const bool unanswered = GetParam().behaviour != FakeKicadIpcServer::Behaviour::Garbage;
    EXPECT_EQ(said, std::string("kicad: highlight U2 ") +
                        (unanswered ? "not confirmed: " : "did not land: ") + Prefix().substr(7) +
                        GetParam().said);
    server_->SetBehaviour(FakeKicadIpcServer::Behaviour::Answer);
    std::this_thread::sleep_for(900ms);  // a slow answer still under way is let through
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

TEST_F(KicadLinkIpcTest, AKicadThatClosesMidRequestIsSaidAsNotRunning) {
    StartLink(Options());
    WaitLinked();
    server_->SetBehaviour(FakeKicadIpcServer::Behaviour::CloseMidRequest);
    link_->Highlight("U2");
    // Linked afresh at once: nothing answers any more.
    EXPECT_EQ(status_.WaitFor("kicad:"), "kicad: not running");
    EXPECT_EQ(status_.WaitFor("kicad:"), "kicad: highlight U2 did not land: connection closed");
}

TEST_F(KicadLinkIpcTest, AnAnswerOfTheWrongMessageIsNotALink) {
    server_->SetBehaviour(FakeKicadIpcServer::Behaviour::WrongMessage);
    StartLink(Options());
    EXPECT_EQ(status_.WaitFor("kicad:"),
              Prefix() +
                  "garbled answer (expected kiapi.common.commands.GetVersionResponse, got "
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

int SaveRequests(const FakeKicadIpcServer& server) {
    int saves = 0;
    for (const auto& request : server.Requests())
        saves += request.typeUrl.find("SaveDocumentToString") != std::string::npos;
    return saves;
}

// KiCad is asked for its board text only when the design is asked for, and not again while the
// text just fetched is fresh.
TEST_F(KicadLinkIpcTest, FetchesTheLiveBoardOnlyWhenAskedAndSaysWhenItDoesNotRead) {
    server_->SetBoardText(ReadFile(PARTWISE_SOURCE_DIR "/examples/demo.kicad_pcb"));
    LiveBoards live;
    auto options = Options();
    options.liveBoardFreshness = 300ms;
    StartLink(options, [&](auto design) { live.Add(std::move(design)); });
    WaitLinked();
    link_->Highlight("U2");
    ASSERT_TRUE(server_->WaitForSelection({"id-u2"}));
    std::this_thread::sleep_for(300ms);
    EXPECT_EQ(SaveRequests(*server_), 0);

    ASSERT_TRUE(link_->FetchLiveBoard(5s));
    ASSERT_EQ(live.Count(), 1u);  // handed over before FetchLiveBoard returns
    EXPECT_EQ(live.WaitFor(1)->components.size(), 69u);
    ASSERT_TRUE(link_->FetchLiveBoard(5s));
    EXPECT_EQ(SaveRequests(*server_), 1);  // still fresh
    std::this_thread::sleep_for(350ms);
    ASSERT_TRUE(link_->FetchLiveBoard(5s));
    EXPECT_EQ(SaveRequests(*server_), 2);
    EXPECT_EQ(live.Count(), 1u);  // the same text: nothing new to serve

    server_->SetBoardText("(kicad_pcb (version 20211014) (footprint");
    std::this_thread::sleep_for(350ms);
    ASSERT_TRUE(link_->FetchLiveBoard(5s));
    const std::string said = status_.WaitFor("kicad: live board does not read");
    EXPECT_NE(said.find("/boards/board.kicad_pcb (live from KiCad)"), std::string::npos) << said;
    EXPECT_EQ(live.Count(), 1u);
}

TEST_F(KicadLinkIpcTest, AKicadWithoutTheBoardTextIsFollowedThroughTheSavedFileSaidOnce) {
    LiveBoards live;
    auto options = Options();
    options.liveBoardFreshness = 0ms;
    StartLink(options, [&](auto design) { live.Add(std::move(design)); });
    WaitLinked();
    ASSERT_TRUE(link_->FetchLiveBoard(5s));
    EXPECT_EQ(status_.WaitFor("kicad:"),
              "kicad: live board not available (request refused (AS_UNHANDLED: no handler "
              "available for request of type kiapi.common.commands.SaveDocumentToString)); "
              "following the saved file");
    link_->Highlight("U2");  // highlights go on
    EXPECT_TRUE(server_->WaitForSelection({"id-u2"}));
    ASSERT_TRUE(link_->FetchLiveBoard(5s));  // not asked again
    link_.reset();
    EXPECT_EQ(SaveRequests(*server_), 1);
    EXPECT_EQ(live.Count(), 0u);
}

std::string RecordedReply(const std::string& name) {
    return ReadFile(PARTWISE_SOURCE_DIR "/tests/kicadlink/data/kicad9/" + name);
}

// KiCad 9's own replies, as recorded, read through pcbhost's client.
TEST_F(KicadLinkIpcTest, RecordedKicad9RepliesReadAsKicadMeantThem) {
    pcbhost::kicadlink::KicadIpcClient client("pcbhost", "", "video.kicad_pcb");
    std::string error;
    ASSERT_TRUE(client.Connect(url_, &error)) << error;

    server_->SetReplay(RecordedReply("GetVersion.reply"));
    std::string version;
    ASSERT_TRUE(client.GetVersion(1s, version).ok());
    EXPECT_EQ(version, "9.0.8+1");
    EXPECT_EQ(client.token(), "e7f26a87-fc37-4894-9ec0-0235da246eb7");

    server_->SetReplay(RecordedReply("GetOpenDocuments.reply"));
    std::vector<pcbhost::kicadlink::KicadOpenBoard> boards;
    ASSERT_TRUE(client.GetOpenBoards(1s, boards).ok());
    ASSERT_EQ(boards.size(), 1u);
    EXPECT_EQ(boards[0].fileName, "video.kicad_pcb");
    EXPECT_EQ(boards[0].projectPath, "/tmp/k9run/board");

    server_->SetReplay(RecordedReply("ClearSelection.reply"));
    EXPECT_TRUE(client.ClearSelection(1s).ok());

    // The footprint's reference lies in its field's board text's text.
    server_->SetReplay(RecordedReply("AddToSelection-U1.reply"));
    std::vector<std::string> selected;
    ASSERT_TRUE(
        client.AddToSelection({"00000000-0000-0000-0000-00005402d1b6"}, 1s, &selected).ok());
    EXPECT_EQ(selected, std::vector<std::string>{"00000000-0000-0000-0000-00005402d1b6"});
    std::vector<pcbhost::kicadlink::KicadFootprint> footprints;
    ASSERT_TRUE(client.GetSelection(1s, footprints).ok());
    ASSERT_EQ(footprints.size(), 1u);
    EXPECT_EQ(footprints[0].reference, "U1");

    server_->SetReplay(RecordedReply("RunAction-centerSelection.reply"));
    EXPECT_TRUE(client.RunAction("common.Control.centerSelection", 1s).ok());

    server_->SetReplay(RecordedReply("token-mismatch.reply"));
    const auto refused = client.GetVersion(1s, version);
    EXPECT_EQ(refused.kind, pcbhost::kicadlink::IpcResult::Kind::TokenRefused);
    EXPECT_EQ(refused.detail, "the provided kicad_token did not match this KiCad instance's token");

    server_->SetReplay(RecordedReply("ClearSelection-other-board.reply"));
    EXPECT_EQ(client.ClearSelection(1s).Describe(),
              "request refused (AS_UNHANDLED: no handler available for request of type "
              "kiapi.common.commands.ClearSelection)");
    server_->SetReplay(RecordedReply("SaveDocumentToString-other-board.reply"));
    std::string text;
    EXPECT_EQ(client.SaveBoardToString(1s, text).Describe(),
              "request refused (AS_BAD_REQUEST: the requested document other.kicad_pcb is not "
              "open)");
}

// The stand-in answers as the recorded KiCad 9 did: the same request gets the same message.
TEST_F(KicadLinkIpcTest, TheStandInAnswersAsTheRecordedKicad9) {
    server_ = std::make_unique<FakeKicadIpcServer>(
        url_ + "-2", "e7f26a87-fc37-4894-9ec0-0235da246eb7",
        std::vector<FakeKicadIpcServer::Footprint>{{"00000000-0000-0000-0000-00005402d1b6", "U1"}},
        "video.kicad_pcb");
    ASSERT_TRUE(server_->Start());
    pcbhost::kicadlink::KicadIpcClient client("pcbhost", "", "video.kicad_pcb");
    std::string recordedRequest, recordedReply, error;
    client.SetTranscript([&](const std::string& request, const std::string& reply) {
        recordedRequest = request;
        recordedReply = reply;
    });
    ASSERT_TRUE(client.Connect(url_ + "-2", &error)) << error;
    EXPECT_TRUE(client.ClearSelection(1s).ok());
    EXPECT_EQ(recordedReply, RecordedReply("ClearSelection.reply"));
    std::vector<std::string> selected;
    EXPECT_TRUE(
        client.AddToSelection({"00000000-0000-0000-0000-00005402d1b6"}, 1s, &selected).ok());
    EXPECT_EQ(recordedRequest.substr(recordedRequest.find("type.googleapis.com")),
              RecordedReply("AddToSelection-U1.request")
                  .substr(RecordedReply("AddToSelection-U1.request").find("type.googleapis.com")));
    client.SetBoardFileName("other.kicad_pcb");
    EXPECT_FALSE(client.ClearSelection(1s).ok());
    EXPECT_EQ(recordedReply, RecordedReply("ClearSelection-other-board.reply"));
    std::string text;
    server_->SetBoardText("(kicad_pcb)");
    EXPECT_FALSE(client.SaveBoardToString(1s, text).ok());
    EXPECT_EQ(recordedReply, RecordedReply("SaveDocumentToString-other-board.reply"));
    client.SetBoardFileName("video.kicad_pcb");
    EXPECT_TRUE(client.RunAction("common.Control.centerSelection", 1s).ok());
    EXPECT_EQ(recordedReply, RecordedReply("RunAction-centerSelection.reply"));
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
    const std::string address = "127.0.0.1:" + std::to_string(kicad.port());
    EXPECT_EQ(status.WaitFor("linked"), "linked to KiCad cross-probe on " + address);
    // KiCad 7 and later answer there too, but select only through their API: say how.
    const std::string noApi = status.WaitFor("kicad:");
    EXPECT_EQ(noApi.rfind("kicad: no KiCad API socket in ", 0), 0u) << noApi;
    EXPECT_NE(noApi.find(": KiCad 7 and later select only through their API: switch on "
                         "Preferences > Plugins > Enable KiCad API, then restart KiCad (KiCad "
                         "6 selects through " +
                         address + ")"),
              std::string::npos)
        << noApi;
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
    EXPECT_EQ(status.WaitFor("kicad:"), "kicad: highlight U7 not sent: KiCad is not linked");
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

TEST_F(KicadLinkIpcTest, TheBoardFinderGivesTheBoardKicadHasOpen) {
    server_->SetProjectPath("/home/someone/video");
    pcbhost::kicadlink::KicadBoardFinder::Options options;
    options.ipcUrls = std::vector<std::string>{url_};
    options.crossProbePort = UnusedPort();
    std::string error;
    EXPECT_EQ(pcbhost::kicadlink::KicadBoardFinder::Find(options, error),
              "/home/someone/video/board.kicad_pcb")
        << error;
    // A token from a KiCad since restarted is not in the way.
    options.token = "stale";
    EXPECT_EQ(pcbhost::kicadlink::KicadBoardFinder::Find(options, error),
              "/home/someone/video/board.kicad_pcb")
        << error;
}

TEST(KicadBoardFinderTest, SaysToSwitchTheApiOnWhenOnlyTheCrossProbePortAnswers) {
    CrossProbeListener kicad;
    pcbhost::kicadlink::KicadBoardFinder::Options options;
    options.ipcUrls = std::vector<std::string>{};
    options.crossProbePort = kicad.port();
    std::string error;
    EXPECT_FALSE(pcbhost::kicadlink::KicadBoardFinder::Find(options, error));
    EXPECT_EQ(error, "KiCad runs (127.0.0.1:" + std::to_string(kicad.port()) +
                         " answers) but its API is off: switch on Preferences > Plugins > "
                         "Enable KiCad API, then restart KiCad; or name the board file");
    options.crossProbePort = UnusedPort();
    EXPECT_FALSE(pcbhost::kicadlink::KicadBoardFinder::Find(options, error));
    EXPECT_EQ(error.rfind("KiCad is not running", 0), 0u) << error;
}

}  // namespace
