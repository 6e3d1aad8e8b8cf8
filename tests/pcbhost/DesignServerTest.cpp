// SPDX-License-Identifier: GPL-3.0-or-later
// DesignServer in-process: snapshots, highlight resolution, and garbage that must not stop it.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QTemporaryDir>
#include <fstream>
#include <mutex>
#include <thread>

#include "Dbx32.h"
#include "DbxProtocol.h"
#include "DbxStatus.h"
#include "DesignServer.h"
#include "HighlightLog.h"

namespace pcbhost {
namespace {

using namespace std::chrono_literals;

std::shared_ptr<const Design> Named(std::initializer_list<const char*> refDes) {
    auto d = std::make_shared<Design>();
    for (const char* r : refDes) {
        Component c;
        c.refDes = r;
        d->components.push_back(c);
    }
    return d;
}

class DesignServerTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(dir_.isValid());
        path_ = dir_.filePath("pcb.sock").toStdString();
        server_ = std::make_unique<DesignServer>(path_, [this](const HighlightTarget& t) {
            std::lock_guard lock(mutex_);
            targets_.push_back(t);
        });
        server_->SetDesign(Named({"R1", "C2", "R1"}));
        std::string error;
        ASSERT_TRUE(server_->Start(&error)) << error;
    }

    dbx::UniqueFd Connect() {
        std::string error;
        auto fd = dbx::ConnectUnix(path_, dbx::DeadlineIn(2s), &error);
        EXPECT_TRUE(fd.valid()) << error;
        return fd;
    }
    std::optional<dbx::Frame> Ask(dbx::MessageType type, const std::vector<uint8_t>& payload) {
        auto fd = Connect();
        if (!dbx::WriteFrame(fd.get(), uint16_t(type), payload, dbx::DeadlineIn(2s))) return {};
        std::string error;
        return dbx::ReadFrame(fd.get(), dbx::kMaxFrameBytes, dbx::DeadlineIn(2s), &error);
    }
    std::optional<dbx::Snapshot> Snapshot() {
        auto frame = Ask(dbx::MessageType::SnapshotRequest, {});
        if (!frame || frame->type != uint16_t(dbx::MessageType::SnapshotReply)) return {};
        std::string error;
        return dbx::Snapshot::Decode(std::move(frame->payload), &error);
    }
    int32_t Highlight(uint32_t generation, uint32_t index, const std::string& refDes) {
        auto frame = Ask(dbx::MessageType::HighlightRequest,
                         dbx::EncodeHighlightRequest({generation, index, DBX_COLOUR_CYAN, refDes}));
        if (!frame || frame->type != uint16_t(dbx::MessageType::HighlightReply)) return -1;
        const auto status = dbx::DecodeStatus(std::string_view(
            reinterpret_cast<const char*>(frame->payload.data()), frame->payload.size()));
        return status.value_or(-1);
    }
    std::vector<HighlightTarget> Targets() {
        std::lock_guard lock(mutex_);
        return targets_;
    }

    QTemporaryDir dir_;
    std::string path_;
    std::unique_ptr<DesignServer> server_;
    std::mutex mutex_;
    std::vector<HighlightTarget> targets_;
};

TEST_F(DesignServerTest, ServesTheCurrentDesignAndSwapsItOnReload) {
    auto s = Snapshot();
    ASSERT_TRUE(s);
    EXPECT_EQ(s->generation(), server_->generation());
    ASSERT_EQ(s->components.size(), 3u);
    EXPECT_EQ(s->Text(s->components[1].refDes), "C2");

    const uint32_t before = server_->generation();
    server_->SetDesign(Named({"U1"}));
    s = Snapshot();
    ASSERT_TRUE(s);
    EXPECT_EQ(s->generation(), before + 1);
    ASSERT_EQ(s->components.size(), 1u);
    EXPECT_EQ(s->Text(s->components[0].refDes), "U1");
}

TEST(DesignServerLimitTest, ADesignTooLargeToSendIsRefusedAndTheLastOneStays) {
    DesignServer server("unused.sock", {}, /*maxSnapshotBytes=*/4096);
    ASSERT_TRUE(server.SetDesign(Named({"R1"})));
    const uint32_t served = server.generation();
    auto large = std::make_shared<Design>();
    large->components.resize(1000);
    for (auto& c : large->components) c.refDes = "R100";
    std::string error;
    EXPECT_FALSE(server.SetDesign(large, &error));
    EXPECT_NE(error.find("too large"), std::string::npos) << error;
    EXPECT_EQ(server.generation(), served);
}

TEST_F(DesignServerTest, HighlightResolvesByIndexWhileTheGenerationHoldsElseByRefDes) {
    const uint32_t g = server_->generation();
    EXPECT_EQ(Highlight(g, 2, "R1"), dbx::kStatusOk);
    EXPECT_EQ(Highlight(g + 5, 2, "R1"), dbx::kStatusOk) << "another generation: first R1";
    EXPECT_EQ(Highlight(g, 1, "R1"), dbx::kStatusOk) << "index and refdes disagree: first R1";
    EXPECT_EQ(Highlight(g, 99, "C2"), dbx::kStatusOk);
    EXPECT_EQ(Highlight(g, 0, "NO!"), dbx::kStatusHighlightNotFound);
    const auto targets = Targets();
    ASSERT_EQ(targets.size(), 4u);
    EXPECT_EQ(targets[0].componentIndex, 2);
    EXPECT_EQ(targets[1].componentIndex, 0);
    EXPECT_EQ(targets[2].componentIndex, 0);
    EXPECT_EQ(targets[3].componentIndex, 1);
    EXPECT_EQ(targets[3].refDes, "C2");
    EXPECT_EQ(targets[3].colour, DBX_COLOUR_CYAN);
}

TEST_F(DesignServerTest, GarbageIsAnsweredWithAnErrorOrDroppedAndServingGoesOn) {
    const std::vector<std::vector<uint8_t>> garbage = {
        std::vector<uint8_t>(12, 0xEE),
        dbx::EncodeFrameHeader(dbx::MessageType::SnapshotRequest, dbx::kMaxRequestBytes + 1),
        dbx::EncodeFrameHeader(dbx::MessageType::SnapshotReply, 0),
        [] {
            auto f = dbx::EncodeFrameHeader(dbx::MessageType::HighlightRequest, 3);
            f.insert(f.end(), {1, 2, 3});
            return f;
        }(),
    };
    for (const auto& bytes : garbage) {
        auto fd = Connect();
        ASSERT_TRUE(dbx::WriteAll(fd.get(), bytes.data(), bytes.size(), dbx::DeadlineIn(2s)));
        std::string error;
        auto reply = dbx::ReadFrame(fd.get(), dbx::kMaxFrameBytes, dbx::DeadlineIn(2s), &error);
        ASSERT_TRUE(reply) << "an error reply, then the connection is closed";
        EXPECT_EQ(reply->type, uint16_t(dbx::MessageType::ErrorReply));
        uint8_t byte;
        EXPECT_FALSE(dbx::ReadExact(fd.get(), &byte, 1, dbx::DeadlineIn(2s)));
    }
    // A client that stalls mid-frame does not hold up the others.
    auto stalled = Connect();
    const auto half = dbx::EncodeFrameHeader(dbx::MessageType::SnapshotRequest, 0);
    ASSERT_TRUE(dbx::WriteAll(stalled.get(), half.data(), 6, dbx::DeadlineIn(2s)));
    const auto start = dbx::Clock::now();
    EXPECT_TRUE(Snapshot());
    EXPECT_LT(dbx::Clock::now() - start, 1s);
    EXPECT_TRUE(Targets().empty());
}

TEST_F(DesignServerTest, OneServerPerSocketAndStaleSocketsAreReplaced) {
    DesignServer second(path_, nullptr);
    second.SetDesign(Named({"X"}));
    std::string error;
    EXPECT_FALSE(second.Start(&error));
    EXPECT_NE(error.find("already serving"), std::string::npos) << error;
    EXPECT_TRUE(Snapshot()) << "the first one still serves";

    server_->Stop();
    EXPECT_FALSE(QFile::exists(QString::fromStdString(path_))) << "Stop removes the socket";

    const std::string plain = dir_.filePath("plain.sock").toStdString();
    std::ofstream(plain) << "not a socket";
    DesignServer onFile(plain, nullptr);
    EXPECT_FALSE(onFile.Start(&error));
    EXPECT_NE(error.find("not a socket"), std::string::npos) << error;
}

TEST_F(DesignServerTest, AHighlightArrivingAfterItsClientsDeadlineIsNotApplied) {
    const uint32_t g = server_->generation();
    const dbx::HighlightRequest request{g, 1, 10, "C2"};
    auto reply = Ask(dbx::MessageType::HighlightRequest,
                     dbx::EncodeHighlightRequest(request, dbx::Clock::now() - 1ms));
    ASSERT_TRUE(reply);
    EXPECT_EQ(reply->type, uint16_t(dbx::MessageType::ErrorReply));
    EXPECT_TRUE(Targets().empty());

    reply = Ask(dbx::MessageType::HighlightRequest,
                dbx::EncodeHighlightRequest(request, dbx::DeadlineIn(2s)));
    ASSERT_TRUE(reply);
    EXPECT_EQ(reply->type, uint16_t(dbx::MessageType::HighlightReply));
    ASSERT_EQ(Targets().size(), 1u);
    EXPECT_EQ(Targets()[0].refDes, "C2");
}

TEST_F(DesignServerTest, ACutRefDesSelectsOnlyTheComponentItWasReadFrom) {
    using namespace std::string_literals;
    const std::string longA = std::string(63, 'A') + "X", longB = std::string(63, 'A') + "Y";
    auto design = std::make_shared<Design>();
    design->components.resize(4);
    design->components[0].refDes = "R1";
    design->components[1].refDes = "R1\0X"s;
    design->components[2].refDes = longA;
    design->components[3].refDes = longB;
    server_->SetDesign(design);
    const uint32_t g = server_->generation();
    const std::string cut(63, 'A');
    EXPECT_EQ(Highlight(g, 1, "R1"), dbx::kStatusOk) << "the record of R1\\0X";
    EXPECT_EQ(Highlight(g, 3, cut), dbx::kStatusOk) << "the record of the second long one";
    EXPECT_EQ(Highlight(g + 1, 1, "R1"), dbx::kStatusOk) << "another generation: R1 itself";
    EXPECT_EQ(Highlight(g + 1, 3, cut), dbx::kStatusHighlightNotFound) << "no refdes is the cut";
    EXPECT_EQ(Highlight(g, 0, cut), dbx::kStatusHighlightNotFound) << "index and text disagree";
    const auto targets = Targets();
    ASSERT_EQ(targets.size(), 3u);
    EXPECT_EQ(targets[0].componentIndex, 1);
    EXPECT_EQ(targets[1].componentIndex, 3);
    EXPECT_EQ(targets[2].componentIndex, 0);
}

TEST_F(DesignServerTest, ManyHeldConnectionsLeaveRoomAndAProcessBeyondItsShareIsToldWhy) {
    std::vector<dbx::UniqueFd> held;
    for (int i = 0; i < 300; ++i) held.push_back(Connect());
    EXPECT_TRUE(Snapshot()) << "300 idle connections do not lock a client out";
    while (held.size() < DesignServer::kMaxConnectionsPerClient) held.push_back(Connect());
    auto fd = Connect();
    std::string error;
    auto reply = dbx::ReadFrame(fd.get(), dbx::kMaxFrameBytes, dbx::DeadlineIn(2s), &error);
    ASSERT_TRUE(reply) << error;
    EXPECT_EQ(reply->type, uint16_t(dbx::MessageType::ErrorReply));
    const std::string text(reply->payload.begin(), reply->payload.end());
    EXPECT_NE(text.find("the most one process may hold"), std::string::npos) << text;
    held.clear();
    // The share comes back as connections close.
    for (int tries = 0; tries < 100 && !Snapshot(); ++tries) std::this_thread::sleep_for(10ms);
    EXPECT_TRUE(Snapshot());
}

TEST(HighlightLogTest, NamesTheFiveColoursAndNumbersTheRest) {
    EXPECT_EQ(HighlightLog::Line("R5", DBX_COLOUR_RED), "highlight R5 RED");
    EXPECT_EQ(HighlightLog::Line("R5", DBX_COLOUR_WHITE), "highlight R5 WHITE");
    EXPECT_EQ(HighlightLog::Line("R5", DBX_COLOUR_BLUE), "highlight R5 BLUE");
    EXPECT_EQ(HighlightLog::Line("R5", DBX_COLOUR_CYAN), "highlight R5 CYAN");
    EXPECT_EQ(HighlightLog::Line("R5", DBX_COLOUR_YELLOW), "highlight R5 YELLOW");
    EXPECT_EQ(HighlightLog::Line("R5", 11), "highlight R5 11");
    EXPECT_EQ(HighlightLog::Line("R5", -3), "highlight R5 -3");
    EXPECT_EQ(HighlightLog::Line("A\nB", DBX_COLOUR_CYAN), "highlight A?B CYAN")
        << "one line per request";
}

}  // namespace
}  // namespace pcbhost
