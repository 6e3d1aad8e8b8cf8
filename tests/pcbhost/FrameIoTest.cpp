// SPDX-License-Identifier: GPL-3.0-or-later
// Frames over a socketpair: whole frames in small pieces, and every way a frame can be wrong.
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <unistd.h>

#include <thread>

#include "Dbx32.h"
#include "DbxProtocol.h"

namespace {

using namespace std::chrono_literals;

class FrameIoTest : public ::testing::Test {
  protected:
    void SetUp() override {
        int fds[2];
        ASSERT_EQ(::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, fds), 0);
        a_.Reset(fds[0]);
        b_.Reset(fds[1]);
    }
    std::optional<dbx::Frame> Read(uint32_t max = dbx::kMaxFrameBytes,
                                   std::chrono::milliseconds timeout = 2s) {
        return dbx::ReadFrame(b_.get(), max, dbx::DeadlineIn(timeout), &error_);
    }
    void Send(const std::vector<uint8_t>& bytes) {
        ASSERT_TRUE(dbx::WriteAll(a_.get(), bytes.data(), bytes.size(), dbx::DeadlineIn(2s)));
    }
    dbx::UniqueFd a_, b_;
    std::string error_;
};

TEST_F(FrameIoTest, AFrameSentInPiecesArrivesWhole) {
    std::vector<uint8_t> payload(3 << 20);
    for (std::size_t i = 0; i < payload.size(); ++i) payload[i] = uint8_t(i * 7);
    // Larger than the socket buffer: the writer must wait for the reader.
    std::thread writer([&] {
        auto frame =
            dbx::EncodeFrameHeader(dbx::MessageType::SnapshotReply, uint32_t(payload.size()));
        frame.insert(frame.end(), payload.begin(), payload.end());
        // Five-byte pieces through the header, then 64 KiB pieces.
        for (std::size_t at = 0; at < frame.size();) {
            const std::size_t n = std::min<std::size_t>(at < 64 ? 5 : 1 << 16, frame.size() - at);
            if (!dbx::WriteAll(a_.get(), frame.data() + at, n, dbx::DeadlineIn(5s))) return;
            at += n;
        }
    });
    auto frame = Read();
    writer.join();
    ASSERT_TRUE(frame) << error_;
    EXPECT_EQ(frame->type, uint16_t(dbx::MessageType::SnapshotReply));
    EXPECT_EQ(frame->payload, payload);
}

// A buffer handed in is read into when it is large enough, and replaced when it is not.
TEST_F(FrameIoTest, AFrameIsReadIntoTheBufferGivenWhenItFits) {
    const std::vector<uint8_t> payload = {1, 2, 3, 4, 5, 6, 7, 8, 9};
    auto frame = dbx::EncodeFrameHeader(dbx::MessageType::SnapshotReply, uint32_t(payload.size()));
    frame.insert(frame.end(), payload.begin(), payload.end());

    std::vector<uint8_t> large(100, 0xEE);
    const uint8_t* storage = large.data();
    Send(frame);
    auto read = dbx::ReadFrame(b_.get(), dbx::kMaxFrameBytes, dbx::DeadlineIn(2s), &error_,
                               std::move(large));
    ASSERT_TRUE(read) << error_;
    EXPECT_EQ(read->payload, payload);  // nothing of the old contents is left
    EXPECT_EQ(read->payload.data(), storage);

    std::vector<uint8_t> small(4, 0xEE);
    Send(frame);
    read = dbx::ReadFrame(b_.get(), dbx::kMaxFrameBytes, dbx::DeadlineIn(2s), &error_,
                          std::move(small));
    ASSERT_TRUE(read) << error_;
    EXPECT_EQ(read->payload, payload);
}

TEST_F(FrameIoTest, WrongFramesAreRefused) {
    Send({1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12});
    EXPECT_FALSE(Read());
    EXPECT_EQ(error_, "bad frame magic");

    Send(dbx::EncodeFrameHeader(dbx::MessageType::SnapshotReply, dbx::kMaxFrameBytes + 1));
    EXPECT_FALSE(Read());
    EXPECT_NE(error_.find("exceeds the limit"), std::string::npos);

    Send(dbx::EncodeFrameHeader(dbx::MessageType::HighlightRequest, 100));
    EXPECT_FALSE(Read(64)) << "over the reader's own limit";

    auto badType = dbx::EncodeFrameHeader(dbx::MessageType::SnapshotReply, 0);
    badType[6] = 99;
    Send(badType);
    EXPECT_FALSE(Read());
    auto badVersion = dbx::EncodeFrameHeader(dbx::MessageType::SnapshotReply, 0);
    badVersion[4] = 2;
    Send(badVersion);
    EXPECT_FALSE(Read());
}

TEST_F(FrameIoTest, TruncatedFramesAndSilenceEndAtTheDeadline) {
    auto header = dbx::EncodeFrameHeader(dbx::MessageType::SnapshotReply, 100);
    Send(header);
    Send(std::vector<uint8_t>(10, 0));
    const auto start = dbx::Clock::now();
    EXPECT_FALSE(Read(dbx::kMaxFrameBytes, 300ms)) << "10 of 100 bytes, then silence";
    EXPECT_EQ(error_, "truncated frame");
    EXPECT_LT(dbx::Clock::now() - start, 2s);

    Send({0x44, 0x42});  // half a magic, then the peer goes away
    a_.Reset();
    EXPECT_FALSE(Read());
}

long PeakRssKiB() {
    rusage usage{};
    ::getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

TEST_F(FrameIoTest, AnAnnouncedLengthCostsNoMemoryUntilItsBytesArrive) {
    Send(dbx::EncodeFrameHeader(dbx::MessageType::SnapshotReply, dbx::kMaxFrameBytes));
    Send(std::vector<uint8_t>(10, 0));
    a_.Reset();
    const long before = PeakRssKiB();
    EXPECT_FALSE(Read());
    EXPECT_EQ(error_, "truncated frame");
    EXPECT_LT(PeakRssKiB() - before, 64L << 10) << "KiB of peak memory for 10 bytes received";
}

TEST_F(FrameIoTest, WritingToAClosedPeerFailsWithoutSigpipe) {
    b_.Reset();
    std::vector<uint8_t> payload(1 << 20);
    EXPECT_FALSE(dbx::WriteFrame(a_.get(), uint16_t(dbx::MessageType::SnapshotReply), payload,
                                 dbx::DeadlineIn(1s)));
}

TEST(HighlightRequestTest, RoundTripAndMalformedPayloads) {
    const dbx::HighlightRequest request{7, 3, DBX_COLOUR_CYAN, "R5"};
    const auto bytes = dbx::EncodeHighlightRequest(request);
    const std::string_view view(reinterpret_cast<const char*>(bytes.data()), bytes.size());
    const auto decoded = dbx::DecodeHighlightRequest(view);
    ASSERT_TRUE(decoded);
    EXPECT_EQ(decoded->generation, 7u);
    EXPECT_EQ(decoded->componentIndex, 3u);
    EXPECT_EQ(decoded->colour, DBX_COLOUR_CYAN);
    EXPECT_EQ(decoded->refDes, "R5");
    EXPECT_FALSE(dbx::DecodeHighlightRequest(view.substr(0, view.size() - 1)));
    EXPECT_FALSE(dbx::DecodeHighlightRequest(std::string(bytes.begin(), bytes.end()) + "x"));
    EXPECT_FALSE(dbx::DecodeHighlightRequest(""));
    EXPECT_FALSE(dbx::DecodeStatus("abc"));
    EXPECT_EQ(dbx::DecodeStatus(std::string_view("\x05\0\0\x80", 4)), int32_t(0x80000005));
}

TEST(RuntimeDirTest, ToolNamesAndDirectoryRule) {
    EXPECT_TRUE(dbx::IsValidToolName(DBX_OPEN_TOOL));
    EXPECT_TRUE(dbx::IsValidToolName("Tool_2-b"));
    EXPECT_FALSE(dbx::IsValidToolName(""));
    EXPECT_FALSE(dbx::IsValidToolName("a.b"));
    EXPECT_FALSE(dbx::IsValidToolName(std::string(33, 'a')));
    const char* old = std::getenv("XDG_RUNTIME_DIR");
    const std::string saved = old ? old : "";
    ::setenv("XDG_RUNTIME_DIR", "relative/dir", 1);
    EXPECT_EQ(dbx::RuntimeDirPath(), "/tmp/dbx-" + std::to_string(::getuid()));
    ::setenv("XDG_RUNTIME_DIR", "/run/user/5", 1);
    EXPECT_EQ(dbx::RuntimeDirPath(), "/run/user/5/dbx");
    if (old)
        ::setenv("XDG_RUNTIME_DIR", saved.c_str(), 1);
    else
        ::unsetenv("XDG_RUNTIME_DIR");
}

}  // namespace
