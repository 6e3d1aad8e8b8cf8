// SPDX-License-Identifier: LGPL-3.0-or-later
// Unix-socket I/O with deadlines: every wait is a poll() bounded by the deadline, EINTR is
// retried, and writes never raise SIGPIPE.
#pragma once

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace dbx {

using Clock = std::chrono::steady_clock;
using Deadline = Clock::time_point;

inline Deadline DeadlineIn(std::chrono::milliseconds ms) {
    return Clock::now() + ms;
}

// Owns a file descriptor.
class UniqueFd {
  public:
    UniqueFd() = default;
    explicit UniqueFd(int fd) : fd_(fd) {}
    UniqueFd(UniqueFd&& other) noexcept : fd_(other.Release()) {}
    UniqueFd& operator=(UniqueFd&& other) noexcept;
    UniqueFd(const UniqueFd&) = delete;
    UniqueFd& operator=(const UniqueFd&) = delete;
    ~UniqueFd() { Reset(); }

    int get() const { return fd_; }
    bool valid() const { return fd_ >= 0; }
    int Release();
    void Reset(int fd = -1);

  private:
    int fd_ = -1;
};

// Waits until fd is ready for events (POLLIN/POLLOUT); false on timeout or error.
bool WaitReady(int fd, short events, Deadline deadline);

bool WriteAll(int fd, const void* data, std::size_t size, Deadline deadline);
bool ReadExact(int fd, void* data, std::size_t size, Deadline deadline);

struct Frame {
    uint16_t type = 0;
    std::vector<uint8_t> payload;
};

bool WriteFrame(int fd, uint16_t type, const std::vector<uint8_t>& payload, Deadline deadline);
// Reads one frame whose payload is at most maxLength bytes; nullopt with *error otherwise.
// The payload is read into `buffer` when its capacity suffices, so a large buffer can serve
// again without its pages being mapped and cleared anew.
std::optional<Frame> ReadFrame(int fd, uint32_t maxLength, Deadline deadline, std::string* error,
                               std::vector<uint8_t> buffer = {});

// Connects to a Unix stream socket and checks that the peer runs as the calling user.
UniqueFd ConnectUnix(const std::string& path, Deadline deadline, std::string* error);

// The uid of the process on the other end of a connected Unix socket, or -1.
long PeerUid(int fd);

}  // namespace dbx
