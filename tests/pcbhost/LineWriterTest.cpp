// SPDX-License-Identifier: GPL-3.0-or-later
// LineWriter: lines reach the descriptor in order; when nobody reads, writing never blocks, the
// queue stays bounded and the lines that did not fit are counted in a line of their own.
#include <gtest/gtest.h>
#include <poll.h>
#include <unistd.h>

#include <chrono>
#include <string>

#include "LineWriter.h"

namespace pcbhost {
namespace {

using namespace std::chrono_literals;

// Reads from fd until `last` has arrived or 10 s have passed.
std::string ReadUntil(int fd, const std::string& last) {
    std::string text;
    const auto end = std::chrono::steady_clock::now() + 10s;
    char buffer[1 << 16];
    while (text.find(last) == std::string::npos && std::chrono::steady_clock::now() < end) {
        pollfd p{fd, POLLIN, 0};
        if (::poll(&p, 1, 100) <= 0) continue;
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n <= 0) break;
        text.append(buffer, std::size_t(n));
    }
    return text;
}

// Reads what arrives until nothing has come for 300 ms.
std::string ReadAvailable(int fd) {
    std::string text;
    char buffer[1 << 16];
    for (;;) {
        pollfd p{fd, POLLIN, 0};
        if (::poll(&p, 1, 300) <= 0) return text;
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n <= 0) return text;
        text.append(buffer, std::size_t(n));
    }
}

class LineWriterTest : public ::testing::Test {
  protected:
    void SetUp() override { ASSERT_EQ(::pipe(fds_), 0); }
    void TearDown() override {
        ::close(fds_[0]);
        ::close(fds_[1]);
    }
    int fds_[2] = {-1, -1};
};

TEST_F(LineWriterTest, WritesEachLineInOrder) {
    LineWriter out(fds_[1]);
    out.Write("serving x");
    out.Write("highlight R1 RED");
    EXPECT_EQ(ReadUntil(fds_[0], "RED\n"), "serving x\nhighlight R1 RED\n");
}

TEST_F(LineWriterTest, AnUnreadDescriptorCostsLinesNotWaitsAndTheLossIsCounted) {
    const std::string payload(200, 'x');
    const int lines = int(3 * LineWriter::kMaxPendingBytes / payload.size());
    LineWriter out(fds_[1]);
    for (int i = 0; i < lines; ++i) out.Write(std::to_string(i) + " " + payload);
    // The reader starts late: it gets the lines that fitted, and the count of the dropped ones
    // in notes, each ahead of the next line that fitted (the writer's thread frees room as the
    // pipe takes lines, so a note may come before the loop ends).
    std::string text = ReadAvailable(fds_[0]);
    out.Write("last");
    text += ReadUntil(fds_[0], "last\n");
    ASSERT_EQ(text.rfind("0 " + payload, 0), 0u);
    int dropped = 0;
    for (std::size_t at = 0; (at = text.find("dropped ", at)) != std::string::npos; ++at) {
        dropped += std::stoi(text.substr(at + 8));
        EXPECT_NE(text.find('\n', at) + 1, text.size()) << "a note comes ahead of a line";
    }
    int written = 0;
    for (std::size_t at = 0; (at = text.find(payload, at)) != std::string::npos; at += 1) ++written;
    EXPECT_GT(dropped, 0);
    EXPECT_EQ(written + dropped, lines);
    EXPECT_LE(std::size_t(written) * (payload.size() + 8), LineWriter::kMaxPendingBytes + (1 << 17))
        << "no more than the queue and the pipe hold";
}

}  // namespace
}  // namespace pcbhost
